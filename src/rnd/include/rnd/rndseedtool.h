// Where makeSeed reads the time from. The C library's clocks by default; tests put fixed
// values in their place to check what each seed flag contributes and how a missing clock
// is reported.
#pragma once

#include <cstdint>
#include <ctime>

struct RNDSeedSources {
  std::clock_t (*processorTime)();                          // (clock_t)-1 when unavailable
  std::time_t (*calendarTime)();                            // (time_t)-1 when unavailable
  std::tm* (*brokenDownUTC)(const std::time_t*, std::tm*);  // null on failure
};

// The C library's std::clock, std::time and gmtime_r.
RNDSeedSources defaultSeedSources();
// Installs new sources and returns the ones they replace.
RNDSeedSources setSeedSources(const RNDSeedSources& sources);
// How many times makeSeed has been called in this process.
std::uint32_t makeSeedCallCount();
