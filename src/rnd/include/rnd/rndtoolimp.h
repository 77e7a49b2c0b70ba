// The random tool over one owned generator.
#pragma once

#include <cstdint>

#include "rnd/rnd.h"

class RNDToolImp : public RNDTool {
 public:
  // Keeps a clone of the generator, never the generator itself.
  RNDToolImp(const RNDGenerator& generator, std::int32_t gausseanMethod);
  RNDToolImp(const RNDToolImp& other);
  ~RNDToolImp() noexcept(false) override;

  double gaussean(double mean, double deviation) override;
  void popState() override;
  bool chance(double probability) override;
  void pushState() override;
  void setSeed(double seed) override;
  double uniform(double low, double high) override;
  std::int32_t uniformInteger(std::int32_t low, std::int32_t high) override;
  RNDTool* clone() const override;

  std::int32_t gausseanMethod() const { return mGausseanMethod; }
  bool invariant() const;

 private:
  RNDGenerator* mGenerator;  // owned
  std::int32_t mGausseanMethod;
};
