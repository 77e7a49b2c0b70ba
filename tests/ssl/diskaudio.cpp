#include "diskaudio.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "soundgen/midi.h"
#include "soundgen/wave.h"

namespace ssltest {

std::string temporaryPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  return (std::filesystem::temp_directory_path() /
          ("vorplex-" + stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
      .string();
}

DiskAudio::DiskAudio(bool asFastAsPossible) : mPath(temporaryPath("audio") + ".raw") {
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", mPath.c_str(), 1);
  if (asFastAsPossible) {
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  } else {
    ::unsetenv("SDL_DISKAUDIODELAY");
  }
}

DiskAudio::~DiskAudio() {
  std::error_code ec;
  std::filesystem::remove(mPath, ec);
  ::unsetenv("SDL_DISKAUDIODELAY");
}

std::size_t DiskAudio::framesWritten() const {
  std::error_code ec;
  auto size = std::filesystem::file_size(mPath, ec);
  return ec ? 0 : static_cast<std::size_t>(size / 4);
}

bool DiskAudio::waitForFrames(std::size_t wanted, double timeoutSeconds) const {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (framesWritten() < wanted) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    sleepSeconds(0.01);
  }
  return true;
}

std::vector<int> DiskAudio::levels() const {
  std::ifstream file(mPath, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<int> out(bytes.size() / 4);
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto sample = [&](std::size_t at) {
      return static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                                        (static_cast<std::uint8_t>(bytes[at + 1]) << 8)));
    };
    out[i] = std::max(std::abs(sample(4 * i)), std::abs(sample(4 * i + 2)));
  }
  return out;
}

int peakBetween(const std::vector<int>& levels, std::size_t from, std::size_t to) {
  to = std::min(to, levels.size());
  int peak = 0;
  for (std::size_t i = from; i < to; ++i) peak = std::max(peak, levels[i]);
  return peak;
}

std::size_t firstFrameAbove(const std::vector<int>& levels, int threshold, std::size_t from) {
  for (std::size_t i = from; i < levels.size(); ++i) {
    if (levels[i] > threshold) return i;
  }
  return levels.size();
}

std::size_t framesAbove(const std::vector<int>& levels, int threshold) {
  return static_cast<std::size_t>(
      std::count_if(levels.begin(), levels.end(), [&](int v) { return v > threshold; }));
}

std::vector<std::size_t> onsets(const std::vector<int>& levels, int threshold, std::size_t quietFrames) {
  std::vector<std::size_t> found;
  std::size_t quiet = quietFrames;  // the start of the capture counts as quiet
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (levels[i] > threshold) {
      if (quiet >= quietFrames) found.push_back(i);
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return found;
}

void writeConstantWave(const std::string& path, int level, double seconds) {
  soundgen::Pcm pcm;
  pcm.samples.assign(frames(seconds), static_cast<std::int16_t>(level));
  soundgen::writeBytes(path, soundgen::encodeWave(pcm));
}

void writeSingleNoteMidi(const std::string& path, double loopSeconds) {
  // 120 beats a minute at 480 ticks a beat: 960 ticks a second.
  soundgen::MidiSong song;
  song.ticksPerQuarter = 480;
  song.endTick = static_cast<std::uint32_t>(loopSeconds * 960);
  soundgen::MidiTrack track{"note", {}};
  track.events.push_back(soundgen::tempo(0, 500000));
  track.events.push_back(soundgen::controlChange(0, 0, 91, 0));  // no reverb tail to blur the onsets
  track.events.push_back(soundgen::controlChange(0, 0, 93, 0));
  track.events.push_back(soundgen::programChange(0, 0, 0));
  track.events.push_back(soundgen::noteOn(0, 0, 72, 120));
  track.events.push_back(soundgen::noteOff(240, 0, 72));
  song.tracks.push_back(track);
  soundgen::writeBytes(path, soundgen::encodeMidi(song));
}

void sleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace ssltest
