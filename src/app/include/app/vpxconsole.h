// Named timers and trace lines: two small program-wide facilities that the screens use whether
// or not the developer overlays show them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>

class TMESampler;

// A named timer: measures start/stop intervals and keeps a history of their averages, one entry
// per ten intervals, for the frame-time graphs.
class VPXTimer {
 public:
  static constexpr std::size_t HISTORY_LENGTH = 100;
  static constexpr std::size_t INTERVALS_PER_ENTRY = 10;

  VPXTimer(const std::string& name, TMESampler* sampler);
  VPXTimer(const VPXTimer&) = delete;
  VPXTimer& operator=(const VPXTimer&) = delete;

  const std::string& name() const { return mName; }
  TMESampler* sampler() const { return mSampler; }
  // Seconds, oldest first; always HISTORY_LENGTH entries.
  const std::deque<double>& history() const { return mHistory; }

 private:
  friend void stop(VPXTimer* timer);

  std::string mName;
  TMESampler* mSampler;
  std::deque<double> mHistory;
};

// A timer on the program's clock, registered until destroyTimer.
VPXTimer* createTimer(const std::string& name);
void destroyTimer(VPXTimer* timer);
void start(VPXTimer* timer);
// Every tenth interval folds the last ten into one history entry and drops the oldest.
void stop(VPXTimer* timer);
// The live timers, in the order the time overlay draws them.
const std::set<VPXTimer*>& timers();

// The trace lines: at most TRACE_LINE_LIMIT wait; further lines are dropped until the trace
// overlay takes some.
inline constexpr std::size_t TRACE_LINE_LIMIT = 1000;
void addTraceLine(const std::string& line);
bool hasTraceLine();
std::size_t traceLineCount();
// Removes and returns the oldest waiting line; there must be one.
std::string takeTraceLine();
