// Random numbers: the uniform generators, the tool that shapes their output into the
// distributions the game draws from, and the factory that opens and closes tools.
//
// The platform opens the program's one tool at start-up:
//
//     RNDTool* tool = openRandomTool(REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, 0x2FF);
//     double angle = tool->uniform(0.0, 6.283185308);
//     ...
//     closeRandomTool(tool);
#pragma once

#include <cstdint>

// Generator identifiers, for the factory's generatorID and initializerID.
enum RNDGeneratorIDs : std::int32_t {
  FIRST_GENERATOR = 0,  // lower bound, not a generator
  NULL_GENERATOR = 1,   // no generator; always refused
  PARK_MILLER_GENERATOR = 2,
  REGISTER256_GENERATOR = 3,
  LAST_GENERATOR = 4  // upper bound, not a generator
};

// How a tool draws normal values.
enum RNDGausseanMethods : std::int32_t {
  LEAST_GAUSSEAN_METHOD = 0,
  BOX_MULLER_GAUSSEAN_METHOD = 1,
  POLAR_GAUSSEAN_METHOD = 2,
  LARGEST_GAUSSEAN_METHOD = 3
};

// Seed flags: which clock and calendar values makeSeed mixes into a seed.
enum RNDSeedFlags : std::uint32_t {
  SEED_CLOCK = 0x001,     // processor time used so far, in clock ticks
  SEED_COUNTER = 0x002,   // number of makeSeed calls so far, this one included
  SEED_SECOND = 0x004,    // UTC seconds, 0 to 59
  SEED_MINUTE = 0x008,    // 0 to 59
  SEED_HOUR = 0x010,      // 0 to 23
  SEED_WEEKDAY = 0x020,   // 0 = Sunday
  SEED_MONTHDAY = 0x040,  // 1 to 31
  SEED_YEARDAY = 0x080,   // 0 to 365
  SEED_MONTH = 0x100,     // 0 to 11
  SEED_YEAR = 0x200       // years since 1900
};

// A uniform generator. Destroying a generator checks its invariant, so a corrupted one is
// reported rather than silently freed.
class RNDGenerator {
 public:
  virtual ~RNDGenerator() noexcept(false) = default;
  // A double in [0, 1).
  virtual double random() = 0;
  // Restores the state saved by the matching pushState.
  virtual void popState() = 0;
  virtual void pushState() = 0;
  virtual void setSeed(std::int32_t seed) = 0;
  // A new generator, owned by the caller, that continues exactly as this one would,
  // saved states included.
  virtual RNDGenerator* clone() const = 0;

 protected:
  RNDGenerator() = default;
  RNDGenerator(const RNDGenerator&) = default;
  RNDGenerator& operator=(const RNDGenerator&) = delete;
};

// Distributions over a generator.
class RNDTool {
 public:
  virtual ~RNDTool() noexcept(false) = default;
  // mean + deviation * z, z standard normal.
  virtual double gaussean(double mean, double deviation) = 0;
  virtual void popState() = 0;
  // True with the given probability: 0.5 is a fair coin, 1 always true.
  virtual bool chance(double probability) = 0;
  virtual void pushState() = 0;
  // Uses the low 32 bits of the value's integer part as the generator's seed.
  virtual void setSeed(double seed) = 0;
  // A double in [low, high).
  virtual double uniform(double low, double high) = 0;
  // An integer in [low, high], every value equally likely.
  virtual std::int32_t uniformInteger(std::int32_t low, std::int32_t high) = 0;
  // A new tool, owned by the caller, that continues exactly as this one would.
  virtual RNDTool* clone() const = 0;

 protected:
  RNDTool() = default;
  RNDTool(const RNDTool&) = default;
  RNDTool& operator=(const RNDTool&) = delete;
};

// Creates a tool over a new generator of the given kind, seeded from makeSeed(seedFlags).
// A register256 generator needs PARK_MILLER_GENERATOR as its initializer; a Park-Miller
// generator ignores the initializer, which must still be a valid identifier.
RNDTool* openRandomTool(std::int32_t generatorID, std::int32_t initializerID, std::uint32_t seedFlags);
// Destroys a tool made by openRandomTool (and its generator).
void closeRandomTool(RNDTool* tool);
// Whether the tool was made by openRandomTool and not yet closed.
bool randomToolIsOpen(const RNDTool* tool);

// A 32-bit seed mixed from the clock and calendar values that seedFlags names.
std::uint32_t makeSeed(std::uint32_t seedFlags);
