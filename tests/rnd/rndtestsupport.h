// Helpers shared by the random-number tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dbg/dbg.h"
#include "rnd/rnd.h"
#include "support/caughtexception.h"

namespace rndtest {

struct Failure {
  std::string title;
  std::string description;
  std::string file;
};

// Runs f and returns what DBGException it raised; a test fails if nothing was raised.
template <typename F>
Failure failureOf(F&& f) {
  const DBGException e = caughtException(f);
  return Failure{e.title(), e.description(), e.file()};
}

// A generator that returns a fixed list of values, over and over, so a test can steer a
// tool or a register into the case it wants. setSeed restarts the list and logs the seed
// (clones share the log, so a test can see what a tool passed on to its own clone).
class ScriptedGenerator : public RNDGenerator {
 public:
  explicit ScriptedGenerator(std::vector<double> values)
      : mValues(std::move(values)), mSeeds(std::make_shared<std::vector<std::int32_t>>()) {}

  double random() override {
    const double value = mValues[mNext % mValues.size()];
    ++mNext;
    return value;
  }
  void popState() override {
    mNext = mSaved.back();
    mSaved.pop_back();
  }
  void pushState() override { mSaved.push_back(mNext); }
  void setSeed(std::int32_t seed) override {
    mSeeds->push_back(seed);
    mNext = 0;
  }
  RNDGenerator* clone() const override { return new ScriptedGenerator(*this); }

  std::size_t drawCount() const { return mNext; }
  const std::vector<std::int32_t>& seeds() const { return *mSeeds; }

 private:
  std::vector<double> mValues;
  std::size_t mNext = 0;
  std::vector<std::size_t> mSaved;
  std::shared_ptr<std::vector<std::int32_t>> mSeeds;
};

template <typename G>
std::vector<double> draws(G& generator, int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(generator.random());
  return values;
}

}  // namespace rndtest
