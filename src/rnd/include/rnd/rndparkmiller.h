// The minimal standard generator of Park and Miller: seed = seed * 16807 mod (2^31 - 1).
#pragma once

#include <cstdint>
#include <vector>

#include "rnd/rnd.h"

class RNDParkMiller : public RNDGenerator {
 public:
  static constexpr std::int32_t MIN = 1;
  static constexpr std::int32_t MAX = 2147483646;
  static constexpr std::int32_t DEFAULT_SEED = 122223;

  RNDParkMiller();
  explicit RNDParkMiller(std::int32_t seed);
  RNDParkMiller(const RNDParkMiller& other);
  ~RNDParkMiller() noexcept(false) override;

  double random() override;
  void popState() override;
  void pushState() override;
  void setSeed(std::int32_t seed) override;
  RNDGenerator* clone() const override;

  std::int32_t seed() const { return mSeed; }
  bool invariant() const;

 private:
  std::int32_t mSeed;
  std::vector<std::int32_t> mSeedStack;
};
