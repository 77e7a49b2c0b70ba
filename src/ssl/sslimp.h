// The sound library's one implementation: the open sets, the playing track and every check,
// over an SSLBackEnd that does the audio.
#pragma once

#include <memory>
#include <set>

#include "ssl/ssl.h"
#include "sslbackend.h"

class SSLSample {
 public:
  explicit SSLSample(SSLSegment* segment) : mSegment(segment) {}
  SSLSegment* segment() const { return mSegment; }
  bool invariant() const { return mSegment != nullptr; }

 private:
  SSLSegment* mSegment;
};

class SSLTrack {
 public:
  explicit SSLTrack(SSLSegment* segment) : mSegment(segment) {}
  SSLSegment* segment() const { return mSegment; }
  bool invariant() const { return mSegment != nullptr; }

 private:
  SSLSegment* mSegment;
};

class SSLImp final : public SSL {
 public:
  explicit SSLImp(std::unique_ptr<SSLBackEnd> backEnd);
  ~SSLImp() override;
  SSLImp(const SSLImp&) = delete;
  SSLImp& operator=(const SSLImp&) = delete;

  void closeSample(SSLSample* sample) override;
  void closeTrack(SSLTrack* track) override;
  SSLSample* openSample(const std::string& fileName) override;
  SSLTrack* openTrack(const std::string& fileName) override;
  void playTrack(SSLTrack* track) override;
  void playSample(SSLSample* sample) override;
  void stopTrack(SSLTrack* track) override;
  std::set<SSLSample*> samples() const override { return mSamples; }
  std::set<SSLTrack*> tracks() const override { return mTracks; }

  bool isOpen(SSLSample* sample) const;
  bool isOpen(SSLTrack* track) const;
  SSLTrack* playingTrack() const { return mPlayingTrack; }
  bool invariant() const;

 private:
  SSLBackEnd* performance() const;

  std::unique_ptr<SSLBackEnd> mBackEnd;
  std::set<SSLSample*> mSamples;
  std::set<SSLTrack*> mTracks;
  SSLTrack* mPlayingTrack = nullptr;
};
