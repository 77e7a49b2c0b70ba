#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "rnd/rnd.h"
#include "rnd/rndparkmiller.h"
#include "rnd/rndregister256.h"
#include "rnd/rndseedtool.h"
#include "rnd/rndtoolimp.h"
#include "rndtestsupport.h"

namespace {

using rndtest::failureOf;

constexpr std::uint32_t MASK = 0x5A6C9152;

std::vector<double> sample(RNDTool& tool) {
  std::vector<double> values;
  for (int i = 0; i < 100; ++i) values.push_back(tool.uniform(0, 1));
  return values;
}

// The seed maker's clock, fixed so that a test knows the seed a tool was opened with.
struct FixedClock {
  static inline std::clock_t ticks = 0;
  static std::clock_t processorTime() { return ticks; }
};

class RandomToolFactory : public ::testing::Test {
 protected:
  void SetUp() override {
    RNDSeedSources sources = defaultSeedSources();
    sources.processorTime = FixedClock::processorTime;
    setSeedSources(sources);
  }
  void TearDown() override { setSeedSources(defaultSeedSources()); }
};

TEST_F(RandomToolFactory, OpensSeededToolsThatMatchHandBuiltOnes) {
  struct Case {
    std::int32_t generatorID;
    std::int32_t initializerID;
    std::uint32_t seed;
  };
  const Case cases[] = {
      {REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, 12345},
      {PARK_MILLER_GENERATOR, PARK_MILLER_GENERATOR, 12345},
      // A Park-Miller generator ignores its initializer, even the null one.
      {PARK_MILLER_GENERATOR, NULL_GENERATOR, 12345},
      {PARK_MILLER_GENERATOR, REGISTER256_GENERATOR, 12345},
      // Seeds above 2^31 reach the generator as their low 32 bits.
      {PARK_MILLER_GENERATOR, PARK_MILLER_GENERATOR, 0x80000005u},
      {REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, 0xFFFFFFFEu},
  };
  for (const Case& c : cases) {
    FixedClock::ticks = static_cast<std::clock_t>(c.seed ^ MASK);
    RNDTool* tool = openRandomTool(c.generatorID, c.initializerID, SEED_CLOCK);
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(randomToolIsOpen(tool));
    const auto* toolImp = dynamic_cast<const RNDToolImp*>(tool);
    ASSERT_NE(toolImp, nullptr);
    EXPECT_EQ(toolImp->gausseanMethod(), POLAR_GAUSSEAN_METHOD);

    std::unique_ptr<RNDGenerator> generator;
    if (c.generatorID == PARK_MILLER_GENERATOR) {
      generator = std::make_unique<RNDParkMiller>();
    } else {
      generator = std::make_unique<RNDRegister256>(RNDParkMiller());
    }
    generator->setSeed(static_cast<std::int32_t>(c.seed));
    RNDToolImp expected(*generator, POLAR_GAUSSEAN_METHOD);
    EXPECT_EQ(sample(*tool), sample(expected)) << c.generatorID << " seed " << c.seed;

    closeRandomTool(tool);
    EXPECT_FALSE(randomToolIsOpen(tool));
  }
}

TEST_F(RandomToolFactory, ToolsOpenedWithTheSameSeedAgree) {
  FixedClock::ticks = 99;
  RNDTool* first = openRandomTool(REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, SEED_CLOCK);
  RNDTool* second = openRandomTool(REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, SEED_CLOCK);
  EXPECT_NE(first, second);
  EXPECT_EQ(sample(*first), sample(*second));
  FixedClock::ticks = 100;
  RNDTool* third = openRandomTool(REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, SEED_CLOCK);
  EXPECT_NE(sample(*first), sample(*third));
  closeRandomTool(third);
  closeRandomTool(second);
  closeRandomTool(first);
}

TEST(RandomToolFactoryFailures, RefusesBadGeneratorIdentifiers) {
  struct Case {
    std::int32_t generatorID;
    std::int32_t initializerID;
    const char* title;
    const char* text;
  };
  const char* generatorRange =
      "(generatorID>FIRST_GENERATOR)&&(generatorID<LAST_GENERATOR)&&\"Valid generatorID\"";
  const char* initializerRange =
      "(initializerID>FIRST_GENERATOR)&&(initializerID<LAST_GENERATOR)&&\"Valid initializerID\"";
  const Case cases[] = {
      {FIRST_GENERATOR, PARK_MILLER_GENERATOR, "Assertion failure", generatorRange},
      {LAST_GENERATOR, PARK_MILLER_GENERATOR, "Assertion failure", generatorRange},
      {-1, PARK_MILLER_GENERATOR, "Assertion failure", generatorRange},
      {NULL_GENERATOR, PARK_MILLER_GENERATOR, "Assertion failure",
       "(generatorID!=NULL_GENERATOR)&&\"Valid generatorID\""},
      // The generator is checked before the initializer.
      {NULL_GENERATOR, LAST_GENERATOR, "Assertion failure",
       "(generatorID!=NULL_GENERATOR)&&\"Valid generatorID\""},
      {PARK_MILLER_GENERATOR, FIRST_GENERATOR, "Assertion failure", initializerRange},
      {REGISTER256_GENERATOR, LAST_GENERATOR, "Assertion failure", initializerRange},
      {REGISTER256_GENERATOR, NULL_GENERATOR, "Error",
       "The null random generator can't be used to initialize a register256 random generator."},
      {REGISTER256_GENERATOR, REGISTER256_GENERATOR, "Error",
       "Register256 can't be used as initializer for another register256."},
  };
  for (const Case& c : cases) {
    const auto failure = failureOf([&] { openRandomTool(c.generatorID, c.initializerID, 0); });
    EXPECT_EQ(failure.title, c.title) << c.generatorID << "/" << c.initializerID;
    EXPECT_EQ(failure.description, c.text) << c.generatorID << "/" << c.initializerID;
    EXPECT_EQ(failure.file, "rndfactory");
  }
}

TEST(RandomToolFactoryFailures, ClosesOnlyOpenTools) {
  const char* notOpen = "openTools.find(tool)!=openTools.end()&&\"Tool is among open tools.\"";

  auto failure = failureOf([] { closeRandomTool(nullptr); });
  EXPECT_EQ(failure.title, "Assertion failure");
  EXPECT_EQ(failure.description, "tool&&\"Valid random tool pointer.\"");
  EXPECT_EQ(failure.file, "rndfactory");

  RNDTool* tool = openRandomTool(PARK_MILLER_GENERATOR, PARK_MILLER_GENERATOR, 0);
  std::unique_ptr<RNDTool> copy(tool->clone());
  closeRandomTool(tool);
  failure = failureOf([&] { closeRandomTool(tool); });
  EXPECT_EQ(failure.title, "Assertion failure");
  EXPECT_EQ(failure.description, notOpen);

  // A clone is the caller's, not the factory's.
  EXPECT_FALSE(randomToolIsOpen(copy.get()));
  failure = failureOf([&] { closeRandomTool(copy.get()); });
  EXPECT_EQ(failure.description, notOpen);
}

}  // namespace
