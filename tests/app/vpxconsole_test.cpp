#include "app/vpxconsole.h"

#include <gtest/gtest.h>

#include "support/testplatform.h"
#include "tme/tme.h"

namespace {

struct VPXTimers : ::testing::Test {
  TMEManualClock manual;
  TMEScopedClock installed{manual};
  VPXTimer* timer = createTimer("Tick game");
  void TearDown() override { destroyTimer(timer); }
  void interval(double seconds) {
    start(timer);
    manual.advance(seconds);
    stop(timer);
  }
};

TEST_F(VPXTimers, EveryTenIntervalsAddTheirMeanAndDropTheOldest) {
  EXPECT_EQ(timer->name(), "Tick game");
  EXPECT_EQ(timer->history(), std::deque<double>(100, 0.0));
  EXPECT_TRUE(timers().count(timer));

  for (int i = 1; i <= 9; ++i) interval(0.01 * i);
  EXPECT_EQ(timer->history(), std::deque<double>(100, 0.0)) << "nine intervals add nothing";
  interval(0.10);
  ASSERT_EQ(timer->history().size(), 100u);
  EXPECT_NEAR(timer->history().back(), 0.055, 1e-12);
  EXPECT_EQ(timer->history().front(), 0.0);
  EXPECT_TRUE(timer->sampler()->durations().empty());

  for (int i = 0; i < 10; ++i) interval(0.5);
  EXPECT_EQ(timer->history().size(), 100u);
  EXPECT_NEAR(timer->history()[98], 0.055, 1e-12);
  EXPECT_NEAR(timer->history()[99], 0.5, 1e-12);
}

TEST_F(VPXTimers, NestedStartsMakeOneInterval) {
  for (int i = 0; i < 10; ++i) {
    start(timer);
    start(timer);
    manual.advance(1.0);
    stop(timer);
    manual.advance(1.0);
    stop(timer);
  }
  EXPECT_DOUBLE_EQ(timer->history().back(), 2.0);
}

TEST(VPXTimerRegistry, EqualNamesCoexistAndDestroyingUnregisters) {
  std::size_t before = timers().size();
  VPXTimer* a = createTimer("Draw intro");
  VPXTimer* b = createTimer("Draw intro");
  EXPECT_NE(a, b);
  EXPECT_EQ(timers().size(), before + 2);
  std::size_t samplers = tme::samplers().size();
  destroyTimer(a);
  EXPECT_EQ(timers().size(), before + 1);
  EXPECT_EQ(tme::samplers().size(), samplers - 1) << "its sampler goes with it";
  destroyTimer(b);
}

TEST(VPXTraceLines, AtMostAThousandWaitAndTakingMakesRoom) {
  while (hasTraceLine()) takeTraceLine();
  for (int i = 0; i < 1001; ++i) addTraceLine("line " + std::to_string(i));
  EXPECT_EQ(traceLineCount(), 1000u) << "the 1001st is dropped";
  EXPECT_EQ(takeTraceLine(), "line 0");
  addTraceLine("after");
  EXPECT_EQ(traceLineCount(), 1000u);
  std::string last;
  while (hasTraceLine()) last = takeTraceLine();
  EXPECT_EQ(last, "after");
  DBGException e = caughtException([] { takeTraceLine(); });
  EXPECT_STREQ(e.description(), "hasTraceLine()");
  EXPECT_STREQ(e.file(), "vpxconsole");
}

}  // namespace
