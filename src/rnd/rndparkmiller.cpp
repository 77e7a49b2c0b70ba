#include "rnd/rndparkmiller.h"

#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("rndparkmiller");

namespace {
constexpr std::int32_t MULTIPLIER = 16807;
constexpr std::int32_t MODULUS = 2147483647;
// Schrage's decomposition of the modulus, MODULUS = MULTIPLIER * QUOTIENT + REMAINDER, keeps
// every intermediate inside 32 signed bits.
constexpr std::int32_t QUOTIENT = 127773;
constexpr std::int32_t REMAINDER = 2836;

// Only the low 31 bits count. Zero is the generator's fixed point, and 2^31 - 1 is the modulus
// itself, so congruent to zero: both would leave the generator stuck, so both get the default
// seed.
std::int32_t admissibleSeed(std::int32_t seed) {
  const std::int32_t low = seed & 0x7FFFFFFF;
  if (low == 0 || low == MODULUS) return RNDParkMiller::DEFAULT_SEED;
  return low;
}
}  // namespace

RNDParkMiller::RNDParkMiller() : RNDParkMiller(DEFAULT_SEED) {}

RNDParkMiller::RNDParkMiller(std::int32_t seed) : mSeed(admissibleSeed(seed)) {
  DBG_ASSERT(invariant());
}

RNDParkMiller::RNDParkMiller(const RNDParkMiller& other)
    : RNDGenerator(other), mSeed(other.mSeed), mSeedStack(other.mSeedStack) {
  DBG_ASSERT(other.invariant());
  DBG_ASSERT(invariant());
}

RNDParkMiller::~RNDParkMiller() noexcept(false) {
  DBG_ASSERT(invariant());
}

bool RNDParkMiller::invariant() const {
  return MIN <= mSeed && mSeed <= MAX;
}

double RNDParkMiller::random() {
  if (mSeed <= QUOTIENT) {
    mSeed = (mSeed * MULTIPLIER) % MODULUS;
  } else {
    mSeed = MULTIPLIER * (mSeed % QUOTIENT) - REMAINDER * (mSeed / QUOTIENT);
    if (mSeed <= 0) mSeed += MODULUS;
  }
  return static_cast<double>(mSeed - MIN) / (static_cast<double>(MAX) - MIN + 1.0);
}

void RNDParkMiller::popState() {
  DBG_ASSERT(invariant());
  DBG_ASSERT_TEXT(!mSeedStack.empty(), "!mSeedStack.empty()&&\"Non empty stack.\"");
  mSeed = mSeedStack.back();
  mSeedStack.pop_back();
  DBG_ASSERT(invariant());
}

void RNDParkMiller::pushState() {
  DBG_ASSERT(invariant());
  mSeedStack.push_back(mSeed);
  DBG_ASSERT(invariant());
}

void RNDParkMiller::setSeed(std::int32_t seed) {
  DBG_ASSERT(invariant());
  mSeed = admissibleSeed(seed);
  DBG_ASSERT(invariant());
}

RNDGenerator* RNDParkMiller::clone() const {
  DBG_ASSERT(invariant());
  RNDParkMiller* parkMiller = new (std::nothrow) RNDParkMiller(*this);
  DBG_ASSERT_TEXT(parkMiller, "parkMiller&&\"Park miller generator created successfully.\"");
  DBG_ASSERT(invariant());
  return parkMiller;
}
