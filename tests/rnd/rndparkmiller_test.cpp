#include "rnd/rndparkmiller.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "rndtestsupport.h"

namespace {

using rndtest::draws;
using rndtest::failureOf;

TEST(RNDParkMiller, MatchesThePublishedMinimalStandardSequence) {
  RNDParkMiller generator(1);
  EXPECT_EQ(generator.random(), 16806.0 / 2147483646.0);
  EXPECT_EQ(generator.seed(), 16807);
  for (int i = 1; i < 10000; ++i) generator.random();
  EXPECT_EQ(generator.seed(), 1043618065);
}

TEST(RNDParkMiller, StaysInRangeAcrossTheSchrageBoundary) {
  // 127773 is the last seed whose product with 16807 fits in 32 bits; above it the
  // decomposition takes over, and the largest seed must step without overflow too.
  struct Case {
    std::int32_t seed;
    std::int32_t next;
  };
  const Case cases[] = {
      {127773, static_cast<std::int32_t>(127773LL * 16807 % 2147483647)},
      {127774, static_cast<std::int32_t>(127774LL * 16807 % 2147483647)},
      {2147483646, static_cast<std::int32_t>(2147483646LL * 16807 % 2147483647)},
  };
  for (const Case& c : cases) {
    RNDParkMiller generator(c.seed);
    const double r = generator.random();
    EXPECT_EQ(generator.seed(), c.next) << c.seed;
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
  }
}

TEST(RNDParkMiller, SetSeedKeepsTheLow31BitsWithinRange) {
  struct Case {
    std::int32_t value;
    std::int32_t seed;
  };
  const Case cases[] = {
      {0, 122223},
      {std::numeric_limits<std::int32_t>::min(), 122223},  // low 31 bits are zero
      {-5, 2147483643},
      {1, 1},
      {2147483646, 2147483646},
      {2147483647, 122223},  // the modulus itself: as stuck as zero
      {-1, 122223},          // low 31 bits all ones, likewise
      {-2147483647, 1},
  };
  for (const Case& c : cases) {
    RNDParkMiller generator;
    generator.setSeed(c.value);
    EXPECT_EQ(generator.seed(), c.seed) << c.value;
    EXPECT_TRUE(generator.invariant());
    RNDParkMiller constructed(c.value);
    EXPECT_EQ(constructed.seed(), c.seed) << c.value;
  }
  EXPECT_EQ(RNDParkMiller().seed(), 122223);
}

TEST(RNDParkMiller, PopStateRepeatsTheDrawsSinceTheMatchingPush) {
  RNDParkMiller generator(42);
  generator.pushState();
  const auto outer = draws(generator, 5);
  generator.pushState();
  const auto inner = draws(generator, 7);
  generator.popState();
  EXPECT_EQ(draws(generator, 7), inner);
  generator.popState();
  EXPECT_EQ(draws(generator, 5), outer);

  const auto failure = failureOf([&] { generator.popState(); });
  EXPECT_EQ(failure.title, "Assertion failure");
  EXPECT_EQ(failure.description, "!mSeedStack.empty()&&\"Non empty stack.\"");
  EXPECT_EQ(failure.file, "rndparkmiller");
}

TEST(RNDParkMiller, CloneContinuesExactlyIncludingSavedStates) {
  RNDParkMiller generator(7);
  draws(generator, 3);
  generator.pushState();
  draws(generator, 4);
  std::unique_ptr<RNDGenerator> copy(generator.clone());
  EXPECT_EQ(draws(*copy, 10), draws(generator, 10));
  generator.popState();
  copy->popState();
  EXPECT_EQ(draws(*copy, 10), draws(generator, 10));
}

}  // namespace
