// A 256-word XOR shift register (taps 0 and 103), filled bit by bit from an initializer
// generator. Drawing is one XOR and two table reads.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rnd/rnd.h"

class RNDRegister256 : public RNDGenerator {
 public:
  static constexpr std::int32_t WORD_COUNT = 256;
  using State = std::array<std::uint32_t, WORD_COUNT>;

  // Fills the register from a clone of the initializer; the initializer itself is not kept.
  explicit RNDRegister256(const RNDGenerator& initializer);
  RNDRegister256(const RNDRegister256& other);
  ~RNDRegister256() noexcept(false) override;

  double random() override;
  void popState() override;
  // Saves index and words; the initializer's own state is not part of it.
  void pushState() override;
  // Reseeds the initializer and refills the register from it.
  void setSeed(std::int32_t seed) override;
  RNDGenerator* clone() const override;

  std::int32_t index() const { return mIndex; }
  const State& state() const { return mState; }
  bool invariant() const;

 private:
  struct Record {
    std::int32_t index;
    State state;
  };

  void fill();

  RNDGenerator* mInitializer;  // owned
  std::int32_t mIndex;
  State mState;
  std::vector<Record> mStateStack;
};
