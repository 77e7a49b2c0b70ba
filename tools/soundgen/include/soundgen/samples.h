// The game's thirteen sound effects, synthesised.
#pragma once

#include <string>
#include <vector>

#include "soundgen/wave.h"

namespace soundgen {

struct GeneratedSample {
  std::string fileName;  // as the game opens it, e.g. "firegun.wav"
  Pcm pcm;
};

// All thirteen, in the order of the game's sample table.
std::vector<GeneratedSample> makeGameSamples();

}  // namespace soundgen
