#include "rnd/rndseedtool.h"

#include <cstdint>

#include "dbg/dbg.h"
#include "rnd/rnd.h"

DBG_SOURCE("rndseedtool");

namespace {
std::clock_t libraryProcessorTime() {
  return std::clock();
}
std::time_t libraryCalendarTime() {
  return std::time(nullptr);
}
std::tm* libraryBrokenDownUTC(const std::time_t* time, std::tm* result) {
  return gmtime_r(time, result);
}

constexpr std::uint32_t CALENDAR_FLAGS = 0x3FC;
constexpr std::uint32_t SEED_MASK = 0x5A6C9152;

RNDSeedSources sources = defaultSeedSources();
std::uint32_t callCount = 0;
}  // namespace

RNDSeedSources defaultSeedSources() {
  return RNDSeedSources{libraryProcessorTime, libraryCalendarTime, libraryBrokenDownUTC};
}

RNDSeedSources setSeedSources(const RNDSeedSources& replacement) {
  const RNDSeedSources previous = sources;
  sources = replacement;
  return previous;
}

std::uint32_t makeSeedCallCount() {
  return callCount;
}

std::uint32_t makeSeed(std::uint32_t seedFlags) {
  ++callCount;
  // Unsigned arithmetic: the sum wraps at 32 bits as the seed does.
  std::uint32_t sum = 0;
  if (seedFlags & SEED_CLOCK) {
    const std::clock_t ticks = sources.processorTime();
    if (ticks == static_cast<std::clock_t>(-1))
      DBG_ERROR("Platform does not support measuring execution time.");
    sum = static_cast<std::uint32_t>(ticks);
  }
  std::tm utc{};
  if (seedFlags & CALENDAR_FLAGS) {
    const std::time_t now = sources.calendarTime();
    if (now == static_cast<std::time_t>(-1)) DBG_ERROR("Platform does not support measuring calendar time.");
    if (!sources.brokenDownUTC(&now, &utc)) DBG_ERROR("Platform does not support broken down times.");
  }
  if (seedFlags & SEED_COUNTER) sum += callCount;
  if (seedFlags & SEED_SECOND) sum += static_cast<std::uint32_t>(utc.tm_sec);
  if (seedFlags & SEED_MINUTE) sum += static_cast<std::uint32_t>(utc.tm_min);
  if (seedFlags & SEED_HOUR) sum += static_cast<std::uint32_t>(utc.tm_hour);
  if (seedFlags & SEED_WEEKDAY) sum += static_cast<std::uint32_t>(utc.tm_wday);
  if (seedFlags & SEED_MONTHDAY) sum += static_cast<std::uint32_t>(utc.tm_mday);
  if (seedFlags & SEED_YEARDAY) sum += static_cast<std::uint32_t>(utc.tm_yday);
  if (seedFlags & SEED_MONTH) sum += static_cast<std::uint32_t>(utc.tm_mon);
  if (seedFlags & SEED_YEAR) sum += static_cast<std::uint32_t>(utc.tm_year);
  return sum ^ SEED_MASK;
}
