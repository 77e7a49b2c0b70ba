#include "rnd/rndregister256.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "rnd/rndparkmiller.h"
#include "rndtestsupport.h"

namespace {

using rndtest::draws;
using rndtest::failureOf;
using rndtest::ScriptedGenerator;

TEST(RNDRegister256, FillsWordsLeastSignificantBitFirstFromTheInitializer) {
  // Draws alternate 0.5 (a set bit: the threshold counts as one) and just below it.
  ScriptedGenerator initializer({0.5, 0.4999999});
  RNDRegister256 generator(initializer);
  const auto& state = generator.state();
  EXPECT_EQ(generator.index(), 0);
  EXPECT_EQ(state[0], 0x55555555u);
  EXPECT_EQ(state[1], 0x55555555u);
  EXPECT_EQ(state[255], 0x55555555u);
  // Every third word from 3 to 96 gets a staircase: bit 31 - k set, the k bits above it clear.
  for (int k = 0; k < 32; ++k) {
    const std::uint32_t expected = (0x55555555u & (0xFFFFFFFFu >> k)) | (0x80000000u >> k);
    EXPECT_EQ(state[3 + 3 * k], expected) << k;
  }
  EXPECT_EQ(state[99], 0x55555555u);
  // The fill draws from a clone: the caller's generator is untouched.
  EXPECT_EQ(initializer.drawCount(), 0u);
}

TEST(RNDRegister256, DrawsXorTheWordWithItsTapAndWrapsTheIndex) {
  // Word i gets bit i % 32 only (the staircase words aside), so every draw is predictable.
  std::vector<double> bits(8192, 0.0);
  for (int i = 0; i < 256; ++i) bits[i * 32 + i % 32] = 0.75;
  ScriptedGenerator initializer(bits);
  RNDRegister256 generator(initializer);
  auto expected = generator.state();
  for (int n = 0; n < 300; ++n) {
    const int i = n % 256;
    const std::uint32_t x = expected[i] ^ expected[(i + 103) % 256];
    expected[i] = x;
    EXPECT_EQ(generator.random(), x / 4294967296.0) << n;
    EXPECT_EQ(generator.index(), (n + 1) % 256);
  }
}

TEST(RNDRegister256, ReseedingWithTheSameValueRepeatsTheSequence) {
  RNDRegister256 generator{RNDParkMiller()};
  generator.setSeed(1234);
  const auto first = draws(generator, 600);
  draws(generator, 77);
  generator.setSeed(1234);
  EXPECT_EQ(generator.index(), 0);
  EXPECT_EQ(draws(generator, 600), first);
  generator.setSeed(1235);
  EXPECT_NE(draws(generator, 600), first);
  for (double r : first) {
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
  }
}

TEST(RNDRegister256, PopStateRestoresIndexAndWordsButNotTheInitializer) {
  RNDRegister256 generator{RNDParkMiller(99)};
  draws(generator, 250);  // the saved index is about to wrap
  generator.pushState();
  const auto afterPush = draws(generator, 20);
  generator.popState();
  EXPECT_EQ(draws(generator, 20), afterPush);

  const auto failure = failureOf([&] { generator.popState(); });
  EXPECT_EQ(failure.title, "Assertion failure");
  EXPECT_EQ(failure.description, "!mStateStack.empty()&&\"Non empty stack.\"");
  EXPECT_EQ(failure.file, "rndregister256");

  // A reseed after a push refills from the initializer; popping brings the old words back.
  generator.pushState();
  const auto saved = generator.state();
  generator.setSeed(5);
  generator.popState();
  EXPECT_EQ(generator.state(), saved);
}

TEST(RNDRegister256, CloneContinuesExactlyAndReseedsAlike) {
  RNDRegister256 generator{RNDParkMiller(3)};
  draws(generator, 10);
  generator.pushState();
  draws(generator, 5);
  std::unique_ptr<RNDGenerator> copy(generator.clone());
  EXPECT_EQ(draws(*copy, 300), draws(generator, 300));
  copy->popState();
  generator.popState();
  EXPECT_EQ(draws(*copy, 300), draws(generator, 300));
  copy->setSeed(8);
  generator.setSeed(8);
  EXPECT_EQ(draws(*copy, 300), draws(generator, 300));
}

}  // namespace
