#include "rnd/rndtoolimp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "rnd/rndparkmiller.h"
#include "rnd/rndregister256.h"
#include "rndtestsupport.h"

namespace {

using rndtest::failureOf;
using rndtest::ScriptedGenerator;

constexpr std::int32_t INT_MIN32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t INT_MAX32 = std::numeric_limits<std::int32_t>::max();
// The largest value the register can draw.
constexpr double TOP = 1.0 - 1.0 / 4294967296.0;

RNDToolImp toolDrawing(double r, std::int32_t method = POLAR_GAUSSEAN_METHOD) {
  return RNDToolImp(ScriptedGenerator({r}), method);
}

TEST(RNDToolImp, UniformIntegerCoversItsBoundsWithoutOverflow) {
  struct Case {
    std::int32_t low;
    std::int32_t high;
    double r;
    std::int32_t expected;
  };
  const Case cases[] = {
      {0, 3, 0.0, 0},
      {0, 3, 0.2499999, 0},
      {0, 3, 0.25, 1},
      {0, 3, TOP, 3},
      {5, 5, 0.0, 5},
      {5, 5, TOP, 5},
      {-10, 10, 0.5, 0},
      // Widths of 2^31 and more do not fit 32 signed bits.
      {INT_MIN32, INT_MAX32, 0.0, INT_MIN32},
      {INT_MIN32, INT_MAX32, 0.5, 0},
      {INT_MIN32, INT_MAX32, TOP, INT_MAX32},
      {INT_MIN32, -1, TOP, -1},
      {-1, INT_MAX32, TOP, INT_MAX32},
      {INT_MAX32, INT_MAX32, TOP, INT_MAX32},
      {INT_MIN32, INT_MIN32, TOP, INT_MIN32},
  };
  for (const Case& c : cases) {
    RNDToolImp tool = toolDrawing(c.r);
    EXPECT_EQ(tool.uniformInteger(c.low, c.high), c.expected) << c.low << ".." << c.high << " r=" << c.r;
  }
}

TEST(RNDToolImp, UniformIntegerWeighsEveryValueAlike) {
  RNDToolImp tool(RNDRegister256(RNDParkMiller(2024)), POLAR_GAUSSEAN_METHOD);
  int counts[4] = {};
  constexpr int DRAWS = 40000;
  for (int i = 0; i < DRAWS; ++i) {
    const std::int32_t value = tool.uniformInteger(0, 3);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 3);
    ++counts[value];
  }
  for (int count : counts) EXPECT_NEAR(count, DRAWS / 4, DRAWS / 40);
}

TEST(RNDToolImp, UniformStaysBelowItsUpperBound) {
  struct Case {
    double low;
    double high;
    double r;
    double expected;
  };
  const double one = 1.0;
  const double nextAfterOne = std::nextafter(1.0, 2.0);
  const double big = std::numeric_limits<double>::max();
  const Case cases[] = {
      {0.0, 6.283185308, 0.0, 0.0},
      {0.0, 6.283185308, 0.5, 3.141592654},
      {-800.0, 800.0, 0.25, -400.0},
      // One step of width: the top draw would round onto the upper bound.
      {one, nextAfterOne, TOP, one},
      // A width beyond the largest double.
      {-big, big, 0.5, 0.0},
      {-big, big, 0.0, -big},
  };
  for (const Case& c : cases) {
    RNDToolImp tool = toolDrawing(c.r);
    const double value = tool.uniform(c.low, c.high);
    EXPECT_EQ(value, c.expected) << c.low << ".." << c.high << " r=" << c.r;
    EXPECT_LT(value, c.high);
  }

  RNDToolImp tool(RNDRegister256(RNDParkMiller(11)), POLAR_GAUSSEAN_METHOD);
  for (int i = 0; i < 100000; ++i) {
    const double angle = tool.uniform(0.0, 6.283185308);
    ASSERT_GE(angle, 0.0);
    ASSERT_LT(angle, 6.283185308);
  }
}

TEST(RNDToolImp, ChanceIsTrueWhenTheDrawDoesNotExceedTheProbability) {
  struct Case {
    double r;
    double probability;
    bool expected;
  };
  const Case cases[] = {
      {0.5, 0.5, true}, {0.5000001, 0.5, false}, {TOP, 1.0, true}, {0.3, 0.0, false}, {0.0, 0.0, true},
  };
  for (const Case& c : cases) {
    RNDToolImp tool = toolDrawing(c.r);
    EXPECT_EQ(tool.chance(c.probability), c.expected) << c.r << " vs " << c.probability;
  }
}

TEST(RNDToolImp, PolarMethodRejectsPointsOutsideTheCircleAndAtItsCentre) {
  // (0.98, 0.98) lies outside the unit circle and (0, 0) at its centre, where the
  // logarithm is infinite; the third pair, (0.8, 0), is the one used.
  RNDToolImp tool(ScriptedGenerator({0.99, 0.99, 0.5, 0.5, 0.9, 0.5}), POLAR_GAUSSEAN_METHOD);
  const double p = 2 * 0.9 - 1;
  const double s = p * p;
  EXPECT_DOUBLE_EQ(tool.gaussean(10.0, 2.0), 10.0 + 2.0 * p * std::sqrt(-2.0 * std::log(s) / s));
}

TEST(RNDToolImp, BoxMullerDrawsAgainWhenTheLogarithmIsInfinite) {
  RNDToolImp tool(ScriptedGenerator({0.0, 0.3, 0.5, 0.125}), BOX_MULLER_GAUSSEAN_METHOD);
  const double z = std::cos(0.125 * 6.28318530717958) * std::sqrt(-2.0 * std::log(0.5));
  EXPECT_DOUBLE_EQ(tool.gaussean(-1.0, 3.0), -1.0 + 3.0 * z);
}

TEST(RNDToolImp, BothGausseanMethodsHaveTheRequestedMeanAndDeviation) {
  for (std::int32_t method : {BOX_MULLER_GAUSSEAN_METHOD, POLAR_GAUSSEAN_METHOD}) {
    RNDToolImp tool(RNDRegister256(RNDParkMiller(77)), method);
    constexpr int DRAWS = 40000;
    double sum = 0;
    double squares = 0;
    for (int i = 0; i < DRAWS; ++i) {
      const double x = tool.gaussean(3.0, 2.0);
      ASSERT_TRUE(std::isfinite(x));
      sum += x;
      squares += x * x;
    }
    const double mean = sum / DRAWS;
    EXPECT_NEAR(mean, 3.0, 0.05) << method;
    EXPECT_NEAR(std::sqrt(squares / DRAWS - mean * mean), 2.0, 0.05) << method;
  }
}

TEST(RNDToolImp, SetSeedPassesTheLow32BitsOfTheIntegerPart) {
  struct Case {
    double seed;
    std::int32_t passed;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0.0, 0},
      {122223.9, 122223},
      {-5.7, -5},  // toward zero, not down
      {4294967295.0, -1},
      {4294967296.0 + 7.0, 7},
      {1099511627776.0 + 3.0, 3},     // 2^40 + 3
      {-1099511627776.0 - 3.0, -3},   // -(2^40 + 3)
      {9223372036854775808.0, 0},     // 2^63, just past a 64-bit integer
      {9223372036854777856.0, 2048},  // 2^63 + 2^11
      {-9223372036854777856.0, -2048},
      {3.0 * 9223372036854775808.0, 0},  // a multiple of 2^32
      {1e300, 0},                        // also a multiple of 2^32
      {nan, 0},
      {infinity, 0},
      {-infinity, 0},
  };
  for (const Case& c : cases) {
    ScriptedGenerator generator({0.5});
    RNDToolImp tool(generator, POLAR_GAUSSEAN_METHOD);
    tool.setSeed(c.seed);
    ASSERT_EQ(generator.seeds().size(), 1u);
    EXPECT_EQ(generator.seeds()[0], c.passed) << c.seed;
  }
}

TEST(RNDToolImp, SameSeedSameSequenceAndPopStateRepeatsDraws) {
  RNDToolImp first(RNDRegister256(RNDParkMiller()), POLAR_GAUSSEAN_METHOD);
  RNDToolImp second(RNDRegister256(RNDParkMiller()), POLAR_GAUSSEAN_METHOD);
  first.setSeed(31337);
  second.uniform(0, 1);
  second.setSeed(31337);
  auto mixedDraws = [](RNDTool& tool) {
    std::vector<double> values;
    for (int i = 0; i < 50; ++i) {
      values.push_back(tool.uniform(-1, 1));
      values.push_back(tool.uniformInteger(0, 9));
      values.push_back(tool.chance(0.3));
      values.push_back(tool.gaussean(0, 1));
    }
    return values;
  };
  EXPECT_EQ(mixedDraws(first), mixedDraws(second));

  first.pushState();
  const auto afterPush = mixedDraws(first);
  std::unique_ptr<RNDTool> copy(first.clone());
  first.popState();
  EXPECT_EQ(mixedDraws(first), afterPush);
  // The clone took the saved state along.
  copy->popState();
  EXPECT_EQ(mixedDraws(*copy), afterPush);
}

TEST(RNDToolImp, KeepsAClone) {
  RNDParkMiller generator(5);
  RNDToolImp tool(generator, BOX_MULLER_GAUSSEAN_METHOD);
  tool.uniform(0, 1);
  tool.setSeed(9);
  EXPECT_EQ(generator.seed(), 5);
  EXPECT_EQ(tool.gausseanMethod(), BOX_MULLER_GAUSSEAN_METHOD);
}

TEST(RNDToolImp, RefusesUnknownGausseanMethods) {
  for (std::int32_t method :
       {std::int32_t{LEAST_GAUSSEAN_METHOD}, std::int32_t{LARGEST_GAUSSEAN_METHOD}, -1}) {
    const auto failure = failureOf([&] { RNDToolImp tool(RNDParkMiller(), method); });
    EXPECT_EQ(failure.title, "Assertion failure");
    EXPECT_EQ(failure.description,
              "(gausseanMethod>LEAST_GAUSSEAN_METHOD)&&(gausseanMethod<LARGEST_GAUSSEAN_METHOD)&&\"Valid "
              "method.\"");
    EXPECT_EQ(failure.file, "rndtoolimp");
  }
}

}  // namespace
