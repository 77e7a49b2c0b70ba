#include "sslimp.h"

#include <new>
#include <utility>

#include "dbg/dbg.h"

DBG_SOURCE("sslimp");

namespace {

SSLSegment* validSegment(SSLSegment* segment) {
  DBG_ASSERT("Valid segment." && segment);
  return segment;
}

}  // namespace

SSLImp::SSLImp(std::unique_ptr<SSLBackEnd> backEnd) : mBackEnd(std::move(backEnd)) {
  DBG_ASSERT(invariant());
}

SSLImp::~SSLImp() {
  if (mBackEnd) mBackEnd->stopAll();
  mPlayingTrack = nullptr;
  // The game's sound set closes everything before the library goes; anything a caller left
  // open is freed here while the audio is still up, rather than leaked.
  for (SSLSample* sample : mSamples) {
    if (mBackEnd) mBackEnd->release(sample->segment());
    delete sample;
  }
  for (SSLTrack* track : mTracks) {
    if (mBackEnd) mBackEnd->release(track->segment());
    delete track;
  }
  mSamples.clear();
  mTracks.clear();
}

bool SSLImp::invariant() const {
  return mBackEnd != nullptr && mBackEnd->isReady();
}

SSLBackEnd* SSLImp::performance() const {
  SSLBackEnd* performance = mBackEnd.get();
  DBG_ASSERT("Valid performance." && performance);
  return performance;
}

bool SSLImp::isOpen(SSLSample* sample) const {
  DBG_ASSERT("Valid sample." && sample);
  return mSamples.count(sample) != 0;
}

bool SSLImp::isOpen(SSLTrack* track) const {
  DBG_ASSERT("Valid track." && track);
  return mTracks.count(track) != 0;
}

SSLSample* SSLImp::openSample(const std::string& fileName) {
  DBG_ASSERT(invariant());
  SSLSegment* segment = validSegment(performance()->loadSegment(fileName, SSLSegmentKind::SAMPLE));
  performance()->setRepeats(segment, false);
  SSLSample* sampleImp = new (std::nothrow) SSLSample(segment);
  if (!sampleImp) performance()->release(segment);
  DBG_ASSERT("Sample implementation created successfully." && sampleImp);
  mSamples.insert(sampleImp);
  // Ready before the first play, so the first explosion is not late.
  performance()->download(segment);
  DBG_ASSERT(invariant());
  return sampleImp;
}

void SSLImp::closeSample(SSLSample* sample) {
  DBG_ASSERT(invariant());
  DBG_ASSERT("Open sample." && isOpen(sample));
  performance()->unload(validSegment(sample->segment()));
  mSamples.erase(sample);
  performance()->release(sample->segment());
  delete sample;
  DBG_ASSERT(invariant());
}

SSLTrack* SSLImp::openTrack(const std::string& fileName) {
  DBG_ASSERT(invariant());
  SSLSegment* segment = validSegment(performance()->loadSegment(fileName, SSLSegmentKind::TRACK));
  performance()->setRepeats(segment, true);
  SSLTrack* trackImp = new (std::nothrow) SSLTrack(segment);
  if (!trackImp) performance()->release(segment);
  DBG_ASSERT("Track implementation created successfully." && trackImp);
  mTracks.insert(trackImp);
  DBG_ASSERT(invariant());
  return trackImp;
}

void SSLImp::closeTrack(SSLTrack* track) {
  DBG_ASSERT(invariant());
  DBG_ASSERT("Open track." && isOpen(track));
  DBG_ASSERT("Track is not playing." && (track != mPlayingTrack));
  mTracks.erase(track);
  performance()->release(validSegment(track->segment()));
  delete track;
  DBG_ASSERT(invariant());
}

void SSLImp::playTrack(SSLTrack* track) {
  DBG_ASSERT(invariant());
  DBG_ASSERT("Open track." && isOpen(track));
  DBG_ASSERT("No track is playing." && (mPlayingTrack == 0));
  SSLSegment* segment = validSegment(track->segment());
  performance()->download(segment);
  performance()->playPrimary(segment);
  mPlayingTrack = track;
  DBG_ASSERT(invariant());
}

void SSLImp::playSample(SSLSample* sample) {
  DBG_ASSERT(invariant());
  DBG_ASSERT("Open sample." && isOpen(sample));
  performance()->playSecondary(validSegment(sample->segment()));
  DBG_ASSERT(invariant());
}

void SSLImp::stopTrack(SSLTrack* track) {
  DBG_ASSERT(invariant());
  DBG_ASSERT("Open track." && isOpen(track));
  DBG_ASSERT("Track is playing." && (track == mPlayingTrack));
  SSLSegment* segment = validSegment(track->segment());
  performance()->stop(segment);
  mPlayingTrack = nullptr;
  performance()->unload(segment);
  DBG_ASSERT(invariant());
}
