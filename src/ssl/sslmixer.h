// The SDL2_mixer back end of the sound library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sslbackend.h"

// Enough voices that a chain of explosions, bounces and the gun all sound at once; when they
// are all busy the oldest sound is cut for the newest.
inline constexpr int SSL_MIXING_CHANNELS = 32;
inline constexpr int SSL_MIXING_RATE = 44100;

// Of SDL_mixer's 128. Both leave headroom, so that a chain of explosions over the music is
// not clipped; the music sits under the effects so explosions and the menu stay clear over it.
inline constexpr int SSL_EFFECTS_VOLUME = 96;
inline constexpr int SSL_MUSIC_VOLUME = 80;

// Where a General MIDI soundfont may be: the entries of SDL_SOUNDFONTS (which SDL_mixer itself
// would ignore once we choose one), then the usual Debian and FluidSynth places.
std::vector<std::string> sslSoundFontCandidates();

// The first candidate that is an existing file, or "" when there is none.
std::string sslFindSoundFont(const std::vector<std::string>& candidates);

// Opens the audio device (or SDL's silent dummy driver when no device works, saying so on
// standard error) and hands FluidSynth the first soundfont found among the candidates (without
// one, tracks load but stay silent, also said once on standard error).
std::unique_ptr<SSLBackEnd> openMixerBackEnd(
    const std::vector<std::string>& soundFontCandidates = sslSoundFontCandidates());
