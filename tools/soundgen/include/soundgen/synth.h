// Small synthesis kit the game's samples are built from: deterministic, so every build writes
// the same files.
#pragma once

#include <cstdint>

#include "soundgen/wave.h"

namespace soundgen {

// A silent signal of the given length in seconds.
Signal silence(double seconds);

// Number of samples in that many seconds.
std::size_t samplesIn(double seconds);

// A sine whose frequency glides exponentially from startHz to endHz over the signal's length.
Signal sweep(double startHz, double endHz, double seconds, double phase = 0.0);

// Sum of harmonics (amplitude 1/n^rolloff) of a gliding fundamental: brighter than a sine
// without the aliasing of a naive square wave.
Signal harmonicSweep(double startHz, double endHz, double seconds, int harmonics, double rolloff);

// White noise from our own generator, seeded so the output never changes.
Signal noise(double seconds, std::uint32_t seed);

// One-pole low-pass and high-pass filters with the given corner frequency.
Signal lowPass(const Signal& in, double cornerHz);
Signal highPass(const Signal& in, double cornerHz);

// Multiplies by exp(-t / tau), after a linear attack of attackSeconds (no click at the start).
Signal decay(const Signal& in, double tau, double attackSeconds = 0.002);

// A short linear fade at the end so a sound never stops on a non-zero value.
Signal fadeOut(const Signal& in, double seconds);

// Adds b, scaled by gain, into a starting at offsetSeconds (a grows when needed).
void mixInto(Signal& a, const Signal& b, double offsetSeconds = 0.0, double gain = 1.0);

// Scales so that the largest absolute value equals peak (0 < peak < 1).
Signal normalised(const Signal& in, double peak);

// A bell-like tone: a few inharmonic partials, each decaying faster the higher it is.
Signal bell(double hz, double seconds, double tau);

}  // namespace soundgen
