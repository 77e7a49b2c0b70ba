#include "soundgen/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace soundgen {

namespace {
constexpr double TWO_PI = 2.0 * std::numbers::pi;

double onePoleCoefficient(double cornerHz) {
  return 1.0 - std::exp(-TWO_PI * cornerHz / SAMPLE_RATE);
}
}  // namespace

std::size_t samplesIn(double seconds) {
  return static_cast<std::size_t>(std::max(0.0, std::round(seconds * SAMPLE_RATE)));
}

Signal silence(double seconds) {
  return Signal(samplesIn(seconds), 0.0);
}

Signal sweep(double startHz, double endHz, double seconds, double phase) {
  Signal out(samplesIn(seconds));
  const double n = static_cast<double>(std::max<std::size_t>(out.size(), 1));
  for (std::size_t i = 0; i < out.size(); ++i) {
    double hz = startHz * std::pow(endHz / startHz, static_cast<double>(i) / n);
    phase += TWO_PI * hz / SAMPLE_RATE;
    out[i] = std::sin(phase);
  }
  return out;
}

Signal harmonicSweep(double startHz, double endHz, double seconds, int harmonics, double rolloff) {
  Signal out(samplesIn(seconds), 0.0);
  const double n = static_cast<double>(std::max<std::size_t>(out.size(), 1));
  double phase = 0.0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    double hz = startHz * std::pow(endHz / startHz, static_cast<double>(i) / n);
    phase += TWO_PI * hz / SAMPLE_RATE;
    double v = 0.0;
    for (int h = 1; h <= harmonics; ++h) {
      if (hz * h >= SAMPLE_RATE / 2.0) break;  // keep above-Nyquist partials out
      v += std::sin(phase * h) / std::pow(h, rolloff);
    }
    out[i] = v;
  }
  return out;
}

Signal noise(double seconds, std::uint32_t seed) {
  Signal out(samplesIn(seconds));
  std::uint32_t state = seed ? seed : 1u;
  for (double& v : out) {
    // xorshift32: tiny, fast and the same on every machine
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    v = static_cast<double>(state) / 2147483648.0 - 1.0;
  }
  return out;
}

Signal lowPass(const Signal& in, double cornerHz) {
  Signal out(in.size());
  const double a = onePoleCoefficient(cornerHz);
  double y = 0.0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    y += a * (in[i] - y);
    out[i] = y;
  }
  return out;
}

Signal highPass(const Signal& in, double cornerHz) {
  Signal low = lowPass(in, cornerHz);
  Signal out(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = in[i] - low[i];
  return out;
}

Signal decay(const Signal& in, double tau, double attackSeconds) {
  Signal out(in.size());
  const double attack = std::max(1.0, attackSeconds * SAMPLE_RATE);
  for (std::size_t i = 0; i < in.size(); ++i) {
    double t = static_cast<double>(i) / SAMPLE_RATE;
    double rise = std::min(1.0, static_cast<double>(i) / attack);
    out[i] = in[i] * rise * std::exp(-t / tau);
  }
  return out;
}

Signal fadeOut(const Signal& in, double seconds) {
  Signal out = in;
  const std::size_t n = std::min(out.size(), samplesIn(seconds));
  for (std::size_t k = 0; k < n; ++k)
    out[out.size() - 1 - k] *= static_cast<double>(k) / static_cast<double>(n);
  return out;
}

void mixInto(Signal& a, const Signal& b, double offsetSeconds, double gain) {
  const std::size_t offset = samplesIn(offsetSeconds);
  if (a.size() < offset + b.size()) a.resize(offset + b.size(), 0.0);
  for (std::size_t i = 0; i < b.size(); ++i) a[offset + i] += gain * b[i];
}

Signal normalised(const Signal& in, double peak) {
  double largest = 0.0;
  for (double v : in) largest = std::max(largest, std::abs(v));
  Signal out = in;
  if (largest > 0.0) {
    for (double& v : out) v *= peak / largest;
  }
  return out;
}

Signal bell(double hz, double seconds, double tau) {
  // Ratios of a struck metal bar, softened: the fundamental dominates and rings longest.
  struct Partial {
    double ratio, gain, tauScale;
  };
  constexpr Partial partials[] = {{1.0, 1.0, 1.0}, {2.0, 0.45, 0.6}, {2.76, 0.25, 0.4}, {5.4, 0.12, 0.25}};
  Signal out = silence(seconds);
  for (const Partial& p : partials) {
    if (hz * p.ratio >= SAMPLE_RATE / 2.0) continue;
    mixInto(out, decay(sweep(hz * p.ratio, hz * p.ratio, seconds), tau * p.tauScale), 0.0, p.gain);
  }
  return out;
}

}  // namespace soundgen
