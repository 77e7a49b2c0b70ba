// Synthesised signals and the 16-bit PCM wave files they are written as.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundgen {

inline constexpr int SAMPLE_RATE = 44100;

// A mono signal at SAMPLE_RATE with values in [-1, 1] for full scale.
using Signal = std::vector<double>;

// 16-bit PCM samples, interleaved when there is more than one channel.
struct Pcm {
  int sampleRate = SAMPLE_RATE;
  int channels = 1;
  std::vector<std::int16_t> samples;
};

// Rounds to 16 bits; values beyond full scale are clamped (a well-made signal has none).
Pcm toPcm(const Signal& signal);

// A canonical RIFF/WAVE file: "fmt " chunk with PCM, then one "data" chunk.
std::vector<std::uint8_t> encodeWave(const Pcm& pcm);

// Writes the bytes to the file, replacing it; false when it cannot be written.
bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The largest absolute sample value, as a fraction of full scale (32767).
double peakOf(const Pcm& pcm);

// Samples at the 16-bit limits: a clipped signal shows up here.
std::size_t clippedSamplesOf(const Pcm& pcm);

}  // namespace soundgen
