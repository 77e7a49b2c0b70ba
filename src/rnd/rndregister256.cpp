#include "rnd/rndregister256.h"

#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("rndregister256");

namespace {
constexpr std::int32_t INDEX_MASK = RNDRegister256::WORD_COUNT - 1;
constexpr std::int32_t TAP = 103;
constexpr double TWO_TO_MINUS_32 = 1.0 / 4294967296.0;
}  // namespace

RNDRegister256::RNDRegister256(const RNDGenerator& initializer)
    : mInitializer(initializer.clone()), mIndex(0), mState{} {
  fill();
  DBG_ASSERT(invariant());
}

RNDRegister256::RNDRegister256(const RNDRegister256& other)
    : RNDGenerator(other),
      mInitializer(nullptr),
      mIndex(other.mIndex),
      mState(other.mState),
      mStateStack(other.mStateStack) {
  DBG_ASSERT(other.invariant());
  mInitializer = other.mInitializer->clone();
  DBG_ASSERT(invariant());
}

RNDRegister256::~RNDRegister256() noexcept(false) {
  DBG_ASSERT(invariant());
  delete mInitializer;
}

bool RNDRegister256::invariant() const {
  return 0 <= mIndex && mIndex < WORD_COUNT && mInitializer;
}

double RNDRegister256::random() {
  const std::uint32_t x = mState[mIndex] ^ mState[(mIndex + TAP) & INDEX_MASK];
  mState[mIndex] = x;
  mIndex = (mIndex + 1) & INDEX_MASK;
  return x * TWO_TO_MINUS_32;
}

void RNDRegister256::fill() {
  mIndex = 0;
  for (std::uint32_t& word : mState) {
    word = 0;
    for (int bit = 0; bit < 32; ++bit) {
      if (mInitializer->random() >= 0.5) word |= std::uint32_t{1} << bit;
    }
  }
  // Force a staircase of known bits into every third word so the words are linearly
  // independent whatever the initializer produced; the register then cannot fall into a
  // short cycle.
  for (int k = 0; k < 32; ++k) {
    std::uint32_t& word = mState[3 + 3 * k];
    word = (word & (0xFFFFFFFFu >> k)) | (0x80000000u >> k);
  }
}

void RNDRegister256::popState() {
  DBG_ASSERT(invariant());
  DBG_ASSERT_TEXT(!mStateStack.empty(), "!mStateStack.empty()&&\"Non empty stack.\"");
  mIndex = mStateStack.back().index;
  mState = mStateStack.back().state;
  mStateStack.pop_back();
  DBG_ASSERT(invariant());
}

void RNDRegister256::pushState() {
  DBG_ASSERT(invariant());
  mStateStack.push_back(Record{mIndex, mState});
  DBG_ASSERT(invariant());
}

void RNDRegister256::setSeed(std::int32_t seed) {
  DBG_ASSERT(invariant());
  mInitializer->setSeed(seed);
  fill();
  DBG_ASSERT(invariant());
}

RNDGenerator* RNDRegister256::clone() const {
  DBG_ASSERT(invariant());
  RNDRegister256* register256 = new (std::nothrow) RNDRegister256(*this);
  DBG_ASSERT_TEXT(register256, "register256&&\"Register256 created successfully.\"");
  DBG_ASSERT(invariant());
  return register256;
}
