#include "rnd/rndseedtool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#include "rnd/rnd.h"
#include "rndtestsupport.h"

namespace {

using rndtest::failureOf;

constexpr std::uint32_t MASK = 0x5A6C9152;

// Fixed clocks: what each source returns, and whether it was asked at all.
struct FakeTime {
  static inline std::clock_t ticks = 0;
  static inline std::time_t now = 0;
  static inline bool breakDownFails = false;
  static inline int clockReads = 0;
  static inline int calendarReads = 0;

  static std::clock_t processorTime() {
    ++clockReads;
    return ticks;
  }
  static std::time_t calendarTime() {
    ++calendarReads;
    return now;
  }
  static std::tm* brokenDownUTC(const std::time_t*, std::tm* result) {
    if (breakDownFails) return nullptr;
    *result = std::tm{};
    result->tm_sec = 7;
    result->tm_min = 11;
    result->tm_hour = 13;
    result->tm_wday = 3;
    result->tm_mday = 17;
    result->tm_yday = 200;
    result->tm_mon = 6;
    result->tm_year = 125;
    return result;
  }
};

class MakeSeed : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeTime::ticks = 1000;
    FakeTime::now = 1752757871;
    FakeTime::breakDownFails = false;
    FakeTime::clockReads = 0;
    FakeTime::calendarReads = 0;
    setSeedSources(RNDSeedSources{FakeTime::processorTime, FakeTime::calendarTime, FakeTime::brokenDownUTC});
  }
  void TearDown() override { setSeedSources(defaultSeedSources()); }
};

TEST_F(MakeSeed, EachFlagAddsItsValue) {
  struct Case {
    std::uint32_t flags;
    std::uint32_t sum;
  };
  const Case cases[] = {
      {0, 0},
      {SEED_CLOCK, 1000},
      {SEED_SECOND, 7},
      {SEED_MINUTE, 11},
      {SEED_HOUR, 13},
      {SEED_WEEKDAY, 3},
      {SEED_MONTHDAY, 17},
      {SEED_YEARDAY, 200},
      {SEED_MONTH, 6},
      {SEED_YEAR, 125},
      {SEED_CLOCK | SEED_SECOND | SEED_YEAR, 1000 + 7 + 125},
      {0x3FC, 7 + 11 + 13 + 3 + 17 + 200 + 6 + 125},
      // The platform's flags: everything except the month, counter aside.
      {0x2FF & ~std::uint32_t{SEED_COUNTER}, 1000 + 7 + 11 + 13 + 3 + 17 + 200 + 125},
  };
  for (const Case& c : cases) EXPECT_EQ(makeSeed(c.flags), c.sum ^ MASK) << std::hex << c.flags;
}

TEST_F(MakeSeed, CounterCountsEveryCallThisOneIncluded) {
  const std::uint32_t before = makeSeedCallCount();
  EXPECT_EQ(makeSeed(SEED_COUNTER) ^ MASK, before + 1);
  makeSeed(0);  // calls without the flag count as well
  EXPECT_EQ(makeSeed(SEED_COUNTER) ^ MASK, before + 3);
  EXPECT_EQ(makeSeed(SEED_COUNTER | SEED_CLOCK) ^ MASK, before + 4 + 1000);
  EXPECT_EQ(makeSeedCallCount(), before + 4);
}

TEST_F(MakeSeed, SumWrapsAt32Bits) {
  FakeTime::ticks = static_cast<std::clock_t>(0xFFFFFFF0u);
  EXPECT_EQ(makeSeed(SEED_CLOCK | SEED_YEARDAY), (0xFFFFFFF0u + 200u) ^ MASK);
}

TEST_F(MakeSeed, ReadsOnlyTheClocksItsFlagsNeed) {
  makeSeed(SEED_COUNTER);
  EXPECT_EQ(FakeTime::clockReads, 0);
  EXPECT_EQ(FakeTime::calendarReads, 0);
  makeSeed(SEED_MONTH);
  EXPECT_EQ(FakeTime::clockReads, 0);
  EXPECT_EQ(FakeTime::calendarReads, 1);
}

TEST_F(MakeSeed, ReportsMissingClocks) {
  struct Case {
    std::clock_t ticks;
    std::time_t now;
    bool breakDownFails;
    std::uint32_t flags;
    const char* text;
  };
  const std::clock_t noClock = static_cast<std::clock_t>(-1);
  const std::time_t noTime = static_cast<std::time_t>(-1);
  const Case cases[] = {
      {noClock, 0, false, SEED_CLOCK, "Platform does not support measuring execution time."},
      {0, noTime, false, SEED_SECOND, "Platform does not support measuring calendar time."},
      {0, noTime, false, SEED_YEAR, "Platform does not support measuring calendar time."},
      {0, 0, true, SEED_HOUR, "Platform does not support broken down times."},
  };
  for (const Case& c : cases) {
    FakeTime::ticks = c.ticks;
    FakeTime::now = c.now;
    FakeTime::breakDownFails = c.breakDownFails;
    const auto failure = failureOf([&] { makeSeed(c.flags); });
    EXPECT_EQ(failure.title, "Error");
    EXPECT_EQ(failure.description, c.text);
    EXPECT_EQ(failure.file, "rndseedtool");
  }
  // A missing clock is no failure when no flag asks for it.
  FakeTime::ticks = noClock;
  FakeTime::now = noTime;
  EXPECT_EQ(makeSeed(0), MASK);
}

TEST(MakeSeedOnThisMachine, UsesTheLibraryClocks) {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  ASSERT_TRUE(gmtime_r(&now, &utc));
  // The year only changes once a year, so this cannot race with the clock.
  EXPECT_EQ(makeSeed(SEED_YEAR) ^ MASK, static_cast<std::uint32_t>(utc.tm_year));
  EXPECT_NO_THROW(makeSeed(0x2FF));
}

}  // namespace
