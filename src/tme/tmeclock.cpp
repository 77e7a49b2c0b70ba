#include <chrono>
#include <limits>
#include <thread>

#include "tme/tme.h"

namespace {
using Counter = std::chrono::steady_clock;
static_assert(Counter::is_steady, "the clock must never go backwards");

// The counter's period is a compile-time ratio; its inverse is the frequency.
constexpr double COUNTER_FREQUENCY =
    static_cast<double>(Counter::period::den) / static_cast<double>(Counter::period::num);

TMEClock* gInstalledClock = nullptr;

TMEClock& monotonicClock() {
  static TMEClock clock;
  return clock;
}
}  // namespace

TMEClock::TMEClock() : mFrequency(COUNTER_FREQUENCY) {}

TMEClock::~TMEClock() = default;

double TMEClock::now() const {
  return static_cast<double>(Counter::now().time_since_epoch().count()) / mFrequency;
}

TMEWaiter::TMEWaiter(TMEClock& clock) : mClock(&clock) {}

TMEWaiter::~TMEWaiter() = default;

void TMEWaiter::waitUntil(double time) {
  const double start = mClock->now();
  if (!(start < time)) return;
  // The wait rounded to whole milliseconds, less one so that the sleep (which may overrun by
  // up to a millisecond) ends before the time; the rest is spun. Clamped so that an absurdly
  // distant time cannot overflow the conversion.
  const double rounded = (time - start) * 1000.0 + 0.5;
  const double limit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
  const std::int32_t milliseconds =
      (rounded < limit ? static_cast<std::int32_t>(rounded) : std::numeric_limits<std::int32_t>::max()) - 1;
  if (milliseconds > 0) sleepMilliseconds(milliseconds);
  while (mClock->now() < time) {
  }
}

void TMEWaiter::sleepMilliseconds(std::int32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace tme {
TMEClock& clock() {
  return gInstalledClock ? *gInstalledClock : monotonicClock();
}

TMEWaiter& waiter() {
  static TMEWaiter programWaiter(clock());
  return programWaiter;
}

TMEClock* installClock(TMEClock* installed) {
  TMEClock* previous = gInstalledClock;
  gInstalledClock = installed;
  waiter().setClock(clock());
  return previous;
}
}  // namespace tme
