#include "soundgen/wave.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace soundgen {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

Pcm toPcm(const Signal& signal) {
  Pcm pcm;
  pcm.samples.reserve(signal.size());
  for (double v : signal) {
    double scaled = std::round(std::clamp(v, -1.0, 1.0) * 32767.0);
    pcm.samples.push_back(static_cast<std::int16_t>(scaled));
  }
  return pcm;
}

std::vector<std::uint8_t> encodeWave(const Pcm& pcm) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
  const std::uint32_t blockAlign = static_cast<std::uint32_t>(pcm.channels * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  putTag(out, "RIFF");
  put32(out, 36 + dataBytes);
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, static_cast<std::uint32_t>(pcm.channels));
  put32(out, static_cast<std::uint32_t>(pcm.sampleRate));
  put32(out, static_cast<std::uint32_t>(pcm.sampleRate) * blockAlign);
  put16(out, blockAlign);
  put16(out, 16);
  putTag(out, "data");
  put32(out, dataBytes);
  for (std::int16_t s : pcm.samples) put16(out, static_cast<std::uint16_t>(s));
  return out;
}

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

double peakOf(const Pcm& pcm) {
  int peak = 0;
  for (std::int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak / 32767.0;
}

std::size_t clippedSamplesOf(const Pcm& pcm) {
  return static_cast<std::size_t>(std::count_if(pcm.samples.begin(), pcm.samples.end(),
                                                [](std::int16_t s) { return s >= 32767 || s <= -32767; }));
}

}  // namespace soundgen
