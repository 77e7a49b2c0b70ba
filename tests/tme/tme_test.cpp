#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "tme/tme.h"

namespace {

// Moves on by a fixed step each time it is read, so a busy loop on it ends; the reads are
// counted.
class SteppingClock final : public TMEClock {
 public:
  SteppingClock(double start, double step) : mNow(start), mStep(step) {}
  double now() const override {
    ++mReads;
    mLastRead = mNow;
    mNow += mStep;
    return mLastRead;
  }
  void sleep(double seconds) { mNow += seconds; }
  int reads() const { return mReads; }
  double lastRead() const { return mLastRead; }

 private:
  mutable double mNow;
  double mStep;
  mutable double mLastRead = 0.0;
  mutable int mReads = 0;
};

// Records the sleeps instead of taking them, and lets its clock pass the time slept.
class WatchedWaiter final : public TMEWaiter {
 public:
  explicit WatchedWaiter(SteppingClock& clock) : TMEWaiter(clock), mClock(clock) {}
  std::vector<std::int32_t> sleeps;

 protected:
  void sleepMilliseconds(std::int32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    mClock.sleep(milliseconds / 1000.0);
  }

 private:
  SteppingClock& mClock;
};

TEST(TMEWaiter, SleepsTheRoundedMillisecondsLessOneThenSpinsToTheTime) {
  constexpr std::int32_t MOST = std::numeric_limits<std::int32_t>::max();
  struct Case {
    const char* what;
    double wait;  // seconds after the clock's 10.0
    double readStep;
    std::vector<std::int32_t> sleeps;
  };
  const Case cases[] = {
      {"in the past", -1.0, 0.0001, {}},
      {"exactly now", 0.0, 0.0001, {}},
      {"1.4 ms rounds to 1, less 1: spin only", 0.0014, 0.0001, {}},
      {"1.6 ms rounds to 2: sleep 1", 0.0016, 0.0001, {1}},
      {"2.6 ms rounds to 3: sleep 2", 0.0026, 0.0001, {2}},
      {"the main loop's 0.1 s: sleep 99", 0.1, 0.0001, {99}},
      // Too long for 32 bits of milliseconds: clamped, not overflowed.
      {"ten billion seconds", 1.0e10, 1.0e6, {MOST - 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SteppingClock clock(10.0, c.readStep);
    WatchedWaiter waiter(clock);
    const double target = 10.0 + c.wait;
    waiter.waitUntil(target);
    EXPECT_EQ(waiter.sleeps, c.sleeps);
    if (c.wait <= 0.0) {
      EXPECT_EQ(clock.reads(), 1) << "returns on the first reading";
    } else {
      EXPECT_GE(clock.lastRead(), target);
      EXPECT_GT(clock.reads(), 2) << "spins after the sleep";
    }
  }
}

TEST(TMEWaiter, ProgramWaiterReturnsOnceTheRealClockHasPassedTheTime) {
  TMEClock& clock = tme::clock();
  const double target = clock.now() + 0.003;
  tme::waiter().waitUntil(target);
  EXPECT_GE(clock.now(), target);
  tme::waiter().waitUntil(target - 1.0);  // long past: back at once
}

TEST(TMEClock, CountsSecondsMonotonically) {
  TMEClock& clock = tme::clock();
  EXPECT_EQ(dynamic_cast<TMEManualClock*>(&clock), nullptr);
  EXPECT_GE(clock.frequency(), 1.0e4) << "sub-millisecond resolution";
  const double before = clock.now();
  double previous = before;
  for (int i = 0; i < 1000; ++i) {
    const double reading = clock.now();
    EXPECT_GE(reading, previous);
    previous = reading;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_GE(clock.now() - before, 0.0019);
}

TEST(TMEClock, InstalledClockServesTheProgramUntilTheScopeEnds) {
  TMEClock& real = tme::clock();
  TMEManualClock outer;
  outer.set(5.0);
  {
    TMEScopedClock installOuter(outer);
    EXPECT_EQ(&tme::clock(), &outer);
    EXPECT_EQ(&tme::waiter().clock(), &outer);
    EXPECT_EQ(tme::clock().now(), 5.0);
    {
      TMEManualClock inner;
      TMEScopedClock installInner(inner);
      EXPECT_EQ(&tme::clock(), &inner);
      EXPECT_EQ(&tme::waiter().clock(), &inner);
    }
    EXPECT_EQ(&tme::clock(), &outer);
    EXPECT_EQ(&tme::waiter().clock(), &outer);
    // Time already reached on the installed clock: the waiter must not look at the real one.
    tme::waiter().waitUntil(4.0);
  }
  EXPECT_EQ(&tme::clock(), &real);
  EXPECT_EQ(&tme::waiter().clock(), &real);
}

TEST(TMEManualClock, MovesOnlyWhenTold) {
  TMEManualClock clock;
  EXPECT_EQ(clock.now(), 0.0);
  clock.advance(0.25);
  clock.advance(0.5);
  EXPECT_EQ(clock.now(), 0.75);
  clock.set(2.0);
  EXPECT_EQ(clock.now(), 2.0);
}

class TMESamplerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.set(1.0);
    sampler = tme::createSampler(tme::clock());
  }
  void TearDown() override {
    tme::destroySampler(sampler);
    EXPECT_TRUE(tme::samplers().empty());
  }

  TMEManualClock clock;
  TMEScopedClock installed{clock};
  TMESampler* sampler = nullptr;
};

TEST_F(TMESamplerTest, FactoryRegistersAFreshSamplerOnTheGivenClock) {
  EXPECT_EQ(&sampler->clock(), &clock);
  EXPECT_EQ(sampler->nestingCount(), 0);
  EXPECT_EQ(sampler->startTime(), 0.0);
  EXPECT_TRUE(sampler->durations().empty());
  EXPECT_EQ(tme::samplers(), std::set<TMESampler*>{sampler});

  TMESampler* other = tme::createSampler(clock);
  EXPECT_EQ(tme::samplers().size(), 2u);
  tme::destroySampler(other);
  EXPECT_EQ(tme::samplers(), std::set<TMESampler*>{sampler});
}

TEST_F(TMESamplerTest, OnlyTheOutermostPairOfANestRecordsADuration) {
  EXPECT_EQ(sampler->start(), 1);
  clock.advance(0.5);
  EXPECT_EQ(sampler->start(), 2);
  clock.advance(0.25);
  sampler->stop();
  EXPECT_TRUE(sampler->durations().empty());
  EXPECT_EQ(sampler->startTime(), 1.0) << "inner starts do not move the start";
  clock.advance(0.25);
  sampler->stop();
  EXPECT_EQ(sampler->nestingCount(), 0);

  clock.advance(3.0);
  sampler->start();
  clock.advance(0.125);
  sampler->stop();
  EXPECT_EQ(sampler->durations(), (std::vector<double>{1.0, 0.125})) << "oldest first";
}

TEST_F(TMESamplerTest, ClearEmptiesTheDurationsOnlyEvenWhileRunning) {
  sampler->start();
  clock.advance(0.5);
  sampler->stop();
  sampler->start();
  clock.advance(0.25);
  sampler->clear();
  EXPECT_TRUE(sampler->durations().empty());
  EXPECT_EQ(sampler->nestingCount(), 1);
  EXPECT_EQ(sampler->startTime(), 1.5);
  clock.advance(0.25);
  sampler->stop();
  EXPECT_EQ(sampler->durations(), std::vector<double>{0.5});
}

TEST_F(TMESamplerTest, UnmatchedStopSilencesTheSamplerUntilMadeUpByAnExtraStart) {
  sampler->stop();
  EXPECT_EQ(sampler->nestingCount(), -1);
  EXPECT_EQ(sampler->start(), 0);
  clock.advance(1.0);
  sampler->stop();
  EXPECT_TRUE(sampler->durations().empty());
  EXPECT_EQ(sampler->startTime(), 0.0) << "no outermost start has happened yet";

  EXPECT_EQ(sampler->start(), 0);
  EXPECT_EQ(sampler->start(), 1);
  clock.advance(0.5);
  sampler->stop();
  EXPECT_EQ(sampler->durations(), std::vector<double>{0.5});
}

}  // namespace
