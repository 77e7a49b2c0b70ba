// TME: the timing library. A clock in seconds, a waiter that holds the caller until the clock
// reaches a time, and samplers that measure repeated intervals.
//
// tme::clock() and tme::waiter() are the program's own; tests can put a hand-driven clock in
// their place with TMEScopedClock, which every later tme::clock() call, the waiter and the
// samplers created on tme::clock() then read:
//
//     TMEManualClock manual;
//     TMEScopedClock installed(manual);
//     TMESampler* sampler = tme::createSampler(tme::clock());
//     sampler->start(); manual.advance(0.25); sampler->stop();   // durations() == {0.25}
//     tme::destroySampler(sampler);
//
// Single-threaded, like the rest of the game.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

// Seconds, as a double, from an arbitrary origin, read from a monotonic counter of
// sub-millisecond resolution.
class TMEClock {
 public:
  TMEClock();
  virtual ~TMEClock();
  TMEClock(const TMEClock&) = delete;
  TMEClock& operator=(const TMEClock&) = delete;

  // The counter value divided by the frequency.
  virtual double now() const;
  // Counts per second of the counter, read once when the clock is built.
  double frequency() const { return mFrequency; }

 private:
  double mFrequency;
};

// A clock that only moves when told to; starts at 0.
class TMEManualClock : public TMEClock {
 public:
  double now() const override { return mNow; }
  void set(double seconds) { mNow = seconds; }
  void advance(double seconds) { mNow += seconds; }

 private:
  double mNow = 0.0;
};

// Holds the caller until its clock reaches a time: it sleeps for the whole milliseconds of the
// wait less one, then reads the clock in a busy loop, so that the coarse sleep cannot overshoot.
class TMEWaiter {
 public:
  explicit TMEWaiter(TMEClock& clock);
  virtual ~TMEWaiter();
  TMEWaiter(const TMEWaiter&) = delete;
  TMEWaiter& operator=(const TMEWaiter&) = delete;

  // Returns at once when the time has already come.
  virtual void waitUntil(double time);

  TMEClock& clock() const { return *mClock; }
  void setClock(TMEClock& clock) { mClock = &clock; }

 protected:
  // The operating system's sleep; a test waiter replaces it to watch the waits.
  virtual void sleepMilliseconds(std::int32_t milliseconds);

 private:
  TMEClock* mClock;
};

// Measures intervals between start and stop. Starts and stops nest: only the outermost pair of
// a nest records a duration. A stop without a start drives the count negative, and nothing is
// recorded until as many extra starts have been made.
class TMESampler {
 public:
  // The clock is not owned and must outlive the sampler.
  explicit TMESampler(TMEClock& clock);
  TMESampler(const TMESampler&) = delete;
  TMESampler& operator=(const TMESampler&) = delete;

  // Returns the new nesting count.
  std::int32_t start();
  void stop();
  // One entry per completed outermost interval, oldest first, in seconds.
  const std::vector<double>& durations() const { return mDurations; }
  // Empties the durations; the nesting count and the start time stay as they are.
  void clear() { mDurations.clear(); }

  TMEClock& clock() const { return *mClock; }
  std::int32_t nestingCount() const { return mNestingCount; }
  double startTime() const { return mStartTime; }

 private:
  TMEClock* mClock;
  std::int32_t mNestingCount = 0;
  double mStartTime = 0.0;
  std::vector<double> mDurations;
};

namespace tme {
// The program's clock: the monotonic one, built on first use, unless a clock is installed.
TMEClock& clock();
// The program's waiter, built on first use; it reads whatever tme::clock() returns.
TMEWaiter& waiter();

// Makes tme::clock() (and the waiter) use the given clock, or the monotonic one again for
// null. Returns the clock that was installed before (null for the monotonic one).
TMEClock* installClock(TMEClock* clock);

// A new sampler on the clock, registered until destroySampler.
TMESampler* createSampler(TMEClock& clock);
// Unregisters and deletes the sampler.
void destroySampler(TMESampler* sampler);
// The samplers created and not yet destroyed.
const std::set<TMESampler*>& samplers();
}  // namespace tme

// Installs a clock for the lifetime of the object and then puts back the one before.
class TMEScopedClock {
 public:
  explicit TMEScopedClock(TMEClock& clock) : mPrevious(tme::installClock(&clock)) {}
  ~TMEScopedClock() { tme::installClock(mPrevious); }
  TMEScopedClock(const TMEScopedClock&) = delete;
  TMEScopedClock& operator=(const TMEScopedClock&) = delete;

 private:
  TMEClock* mPrevious;
};
