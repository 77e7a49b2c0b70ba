// Test support: captures what SDL plays through its "disk" driver, and small fixtures to play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dbg/dbg.h"
#include "support/caughtexception.h"

namespace ssltest {

inline constexpr int RATE = 44100;

// Points SDL's audio at a raw file (S16LE stereo at 44.1 kHz) until destroyed. Real time is
// what the driver normally keeps; asFastAsPossible renders without waiting, for long music.
class DiskAudio {
 public:
  explicit DiskAudio(bool asFastAsPossible = false);
  ~DiskAudio();
  DiskAudio(const DiskAudio&) = delete;
  DiskAudio& operator=(const DiskAudio&) = delete;

  const std::string& path() const { return mPath; }
  std::size_t framesWritten() const;
  // Waits until the file holds that many frames; false on timeout.
  bool waitForFrames(std::size_t frames, double timeoutSeconds) const;
  // Left and right mixed down: max(|l|, |r|) per frame, so one channel's sound is not lost.
  std::vector<int> levels() const;

 private:
  std::string mPath;
};

// Largest level in [from, to) frames (clamped to the capture).
int peakBetween(const std::vector<int>& levels, std::size_t from, std::size_t to);
// First frame at or after from whose level exceeds threshold, or levels.size().
std::size_t firstFrameAbove(const std::vector<int>& levels, int threshold, std::size_t from = 0);
// Frames louder than threshold.
std::size_t framesAbove(const std::vector<int>& levels, int threshold);
// Start frames of sounds that follow at least quietFrames of near silence.
std::vector<std::size_t> onsets(const std::vector<int>& levels, int threshold, std::size_t quietFrames);

inline std::size_t frames(double seconds) {
  return static_cast<std::size_t>(seconds * RATE);
}

// A wave file holding a constant value: mixed sounds add up exactly, so overlaps are visible
// as sums of levels.
void writeConstantWave(const std::string& path, int level, double seconds);
// A MIDI file with one short note at its start and silence up to loopSeconds.
void writeSingleNoteMidi(const std::string& path, double loopSeconds);

// A unique path in the temporary folder.
std::string temporaryPath(const std::string& stem);

void sleepSeconds(double seconds);

}  // namespace ssltest
