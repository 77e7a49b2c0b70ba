#include <new>

#include "dbg/dbg.h"
#include "tme/tme.h"

DBG_SOURCE("tmesampler");

namespace {
std::set<TMESampler*>& registry() {
  static std::set<TMESampler*> samplers;
  return samplers;
}
}  // namespace

TMESampler::TMESampler(TMEClock& clock) : mClock(&clock) {}

std::int32_t TMESampler::start() {
  if (mNestingCount == 0) mStartTime = mClock->now();
  return ++mNestingCount;
}

void TMESampler::stop() {
  if (--mNestingCount == 0) mDurations.push_back(mClock->now() - mStartTime);
}

namespace tme {
TMESampler* createSampler(TMEClock& clock) {
  TMESampler* sampler = new (std::nothrow) TMESampler(clock);
  DBG_ASSERT(sampler);
  registry().insert(sampler);
  return sampler;
}

void destroySampler(TMESampler* sampler) {
  registry().erase(sampler);
  delete sampler;
}

const std::set<TMESampler*>& samplers() {
  return registry();
}
}  // namespace tme
