#include "soundgen/samples.h"

#include <cmath>

#include "soundgen/synth.h"

namespace soundgen {

namespace {

// Loudness is set per sound so that the explosions carry most weight and the menu blips stay
// discreet; every peak stays well below full scale, leaving room when many sounds overlap.

// Two small hard pills: a short, high, glassy tick.
Signal pillPillBounce() {
  Signal s = decay(sweep(2100.0, 1900.0, 0.09), 0.018, 0.0005);
  mixInto(s, decay(sweep(3350.0, 3300.0, 0.09), 0.010, 0.0005), 0.0, 0.5);
  return fadeOut(normalised(s, 0.40), 0.005);
}

// A pill against a soft blob: a rounder "plip" that drops in pitch.
Signal pillBlobBounce() {
  Signal s = decay(sweep(820.0, 430.0, 0.14), 0.040, 0.001);
  mixInto(s, decay(lowPass(noise(0.02, 7u), 3000.0), 0.004), 0.0, 0.3);
  return fadeOut(normalised(s, 0.45), 0.01);
}

// Two blobs squashing together: a low, wobbly thud.
Signal blobBlobBounce() {
  Signal s = decay(sweep(210.0, 95.0, 0.24), 0.070, 0.003);
  Signal wobble = decay(sweep(330.0, 150.0, 0.24), 0.045, 0.003);
  mixInto(s, wobble, 0.0, 0.35);
  mixInto(s, decay(lowPass(noise(0.05, 11u), 900.0), 0.015), 0.0, 0.6);
  return fadeOut(normalised(s, 0.50), 0.02);
}

// The lightest of the three explosions: a bullet popping.
Signal bulletExplosion() {
  Signal s = decay(highPass(noise(0.16, 23u), 1200.0), 0.030, 0.0005);
  mixInto(s, decay(sweep(950.0, 300.0, 0.08), 0.020, 0.0005), 0.0, 0.5);
  return fadeOut(normalised(s, 0.55), 0.01);
}

// A pill bursting: a crackling medium blast with a glassy shimmer on top.
Signal pillExplosion() {
  Signal s = decay(lowPass(noise(0.55, 31u), 2500.0), 0.12, 0.002);
  Signal crackle = noise(0.45, 37u);
  for (std::size_t i = 0; i < crackle.size(); ++i) {
    crackle[i] *= (i / 1200) % 3 == 0 ? 1.0 : 0.15;  // bursts of grit
  }
  mixInto(s, decay(highPass(crackle, 2500.0), 0.10), 0.01, 0.5);
  mixInto(s, bell(1480.0, 0.5, 0.12), 0.0, 0.15);
  return fadeOut(normalised(s, 0.65), 0.03);
}

// A blob blown apart: the heaviest, a deep boom with a long rumbling tail.
Signal blobExplosion() {
  Signal s = decay(lowPass(noise(1.3, 41u), 700.0), 0.35, 0.004);
  mixInto(s, decay(sweep(95.0, 38.0, 1.1), 0.30, 0.004), 0.0, 0.9);
  mixInto(s, decay(lowPass(noise(0.12, 43u), 4000.0), 0.03, 0.001), 0.0, 0.6);
  return fadeOut(normalised(s, 0.80), 0.1);
}

// Green pill, a good thing: a rising major arpeggio of bells.
Signal greenPill() {
  Signal s = silence(0.8);
  const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};  // C6 E6 G6 C7
  for (int i = 0; i < 4; ++i) mixInto(s, bell(notes[i], 0.8 - 0.07 * i, 0.22), 0.07 * i, 1.0);
  return fadeOut(normalised(s, 0.50), 0.05);
}

// Red pill, a bad thing: two falling tones a semitone apart, sour and buzzing.
Signal redPill() {
  Signal s = decay(harmonicSweep(466.2, 415.3, 0.7, 6, 1.2), 0.25, 0.005);
  mixInto(s, decay(harmonicSweep(440.0, 392.0, 0.7, 6, 1.2), 0.25, 0.005), 0.0, 0.9);
  mixInto(s, decay(harmonicSweep(311.1, 277.2, 0.55, 4, 1.5), 0.2, 0.005), 0.15, 0.6);
  return fadeOut(normalised(lowPass(s, 3000.0), 0.50), 0.05);
}

// Yellow pill: a sparkle of high pings climbing upwards.
Signal yellowPill() {
  Signal s = silence(0.75);
  std::uint32_t state = 97u;
  for (int i = 0; i < 14; ++i) {
    state = state * 1664525u + 1013904223u;
    double jitter = static_cast<double>(state >> 8) / 16777216.0;  // 0..1
    double hz = 2200.0 * std::pow(2.0, (i + 2.0 * jitter) / 8.0);
    mixInto(s, bell(hz, 0.3, 0.06), 0.035 * i, 0.7 - 0.03 * i);
  }
  return fadeOut(normalised(s, 0.40), 0.05);
}

// The laser: a short, bright downward zap.
Signal fireGun() {
  Signal s = decay(harmonicSweep(2600.0, 380.0, 0.17, 8, 1.0), 0.06, 0.001);
  return fadeOut(normalised(s, 0.45), 0.01);
}

// The reload: two clicks of a mechanism with a small metallic ring.
Signal reloadGun() {
  Signal s = silence(0.22);
  for (double at : {0.0, 0.085}) {
    mixInto(s, decay(highPass(noise(0.03, at > 0.0 ? 53u : 59u), 2000.0), 0.004, 0.0002), at, 1.0);
    mixInto(s, decay(sweep(3100.0, 3050.0, 0.08), 0.012, 0.0005), at, 0.25);
  }
  mixInto(s, decay(sweep(650.0, 640.0, 0.05), 0.010, 0.0005), 0.085, 0.4);
  return fadeOut(normalised(s, 0.50), 0.01);
}

// A menu item lights up: a light, soft blip.
Signal activateMenuItem() {
  Signal s = decay(sweep(1320.0, 1320.0, 0.07), 0.020, 0.003);
  return fadeOut(normalised(s, 0.30), 0.01);
}

// A menu item is chosen: a firmer two-step confirm.
Signal selectMenuItem() {
  Signal s = decay(harmonicSweep(660.0, 660.0, 0.07, 3, 2.0), 0.05, 0.002);
  mixInto(s, decay(harmonicSweep(990.0, 990.0, 0.12, 3, 2.0), 0.06, 0.002), 0.06, 1.0);
  return fadeOut(normalised(s, 0.45), 0.01);
}

}  // namespace

std::vector<GeneratedSample> makeGameSamples() {
  struct Row {
    const char* fileName;
    Signal (*make)();
  };
  const Row rows[] = {
      {"pillpillbounce.wav", pillPillBounce},
      {"pillblobbounce.wav", pillBlobBounce},
      {"blobblobbounce.wav", blobBlobBounce},
      {"pillexplosion.wav", pillExplosion},
      {"bulletexplosion.wav", bulletExplosion},
      {"blobexplosion.wav", blobExplosion},
      {"redpill.wav", redPill},
      {"greenpill.wav", greenPill},
      {"yellowpill.wav", yellowPill},
      {"firegun.wav", fireGun},
      {"reloadgun.wav", reloadGun},
      {"activatemenuitem.wav", activateMenuItem},
      {"selectmenuitem.wav", selectMenuItem},
  };
  std::vector<GeneratedSample> samples;
  for (const Row& row : rows) samples.push_back({row.fileName, toPcm(row.make())});
  return samples;
}

}  // namespace soundgen
