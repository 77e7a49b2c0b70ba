#include "app/vpxconsole.h"

#include <numeric>

#include "dbg/dbg.h"
#include "tme/tme.h"

DBG_SOURCE("vpxconsole");

namespace {
std::set<VPXTimer*>& timerRegistry() {
  static std::set<VPXTimer*> registry;
  return registry;
}

std::deque<std::string>& traceLines() {
  static std::deque<std::string> lines;
  return lines;
}
}  // namespace

VPXTimer::VPXTimer(const std::string& name, TMESampler* sampler)
    : mName(name), mSampler(sampler), mHistory(HISTORY_LENGTH, 0.0) {}

VPXTimer* createTimer(const std::string& name) {
  VPXTimer* timer = new VPXTimer(name, tme::createSampler(tme::clock()));
  DBG_ASSERT(timer);
  timerRegistry().insert(timer);
  return timer;
}

void destroyTimer(VPXTimer* timer) {
  DBG_ASSERT(timer);
  timerRegistry().erase(timer);
  tme::destroySampler(timer->sampler());
  delete timer;
}

void start(VPXTimer* timer) {
  timer->sampler()->start();
}

void stop(VPXTimer* timer) {
  TMESampler* sampler = timer->sampler();
  sampler->stop();
  const std::vector<double>& durations = sampler->durations();
  if (durations.size() < VPXTimer::INTERVALS_PER_ENTRY) return;
  double average =
      std::accumulate(durations.begin(), durations.end(), 0.0) / static_cast<double>(durations.size());
  timer->mHistory.push_back(average);
  timer->mHistory.pop_front();
  sampler->clear();
}

const std::set<VPXTimer*>& timers() {
  return timerRegistry();
}

void addTraceLine(const std::string& line) {
  if (traceLines().size() < TRACE_LINE_LIMIT) traceLines().push_back(line);
}

bool hasTraceLine() {
  return !traceLines().empty();
}

std::size_t traceLineCount() {
  return traceLines().size();
}

std::string takeTraceLine() {
  DBG_ASSERT(hasTraceLine());
  std::string line = std::move(traceLines().front());
  traceLines().pop_front();
  return line;
}
