// The few operations the sound library needs from an audio system. SSLImp keeps the rules (open
// sets, the one playing track, the checks); a back end only moves sound.
#pragma once

#include <memory>
#include <string>

// One loaded sound object of a back end.
class SSLSegment {
 public:
  virtual ~SSLSegment() = default;
};

enum class SSLSegmentKind { SAMPLE, TRACK };

class SSLBackEnd {
 public:
  virtual ~SSLBackEnd() = default;
  // The back end's player is ready (the audio is open).
  virtual bool isReady() const = 0;
  // Loads a file; a failure raises an Error with the back end's own message.
  virtual SSLSegment* loadSegment(const std::string& fileName, SSLSegmentKind kind) = 0;
  // false: plays once; true: repeats until stopped.
  virtual void setRepeats(SSLSegment* segment, bool forever) = 0;
  virtual void download(SSLSegment* segment) = 0;
  virtual void unload(SSLSegment* segment) = 0;
  // The music: from its beginning, one at a time.
  virtual void playPrimary(SSLSegment* segment) = 0;
  // A sound effect mixed over everything else.
  virtual void playSecondary(SSLSegment* segment) = 0;
  virtual void stop(SSLSegment* segment) = 0;
  virtual void stopAll() = 0;
  // Frees the segment; it must not be used again.
  virtual void release(SSLSegment* segment) = 0;
};

std::unique_ptr<SSLBackEnd> openRecordingBackEnd();
