// The game's music: a looping piece for drums, bass, a pad and a lead.
#pragma once

#include "soundgen/midi.h"

namespace soundgen {

inline constexpr int DRUM_CHANNEL = 9;  // General MIDI "channel 10"
inline constexpr int BASS_CHANNEL = 0;
inline constexpr int HARMONY_CHANNEL = 1;
inline constexpr int LEAD_CHANNEL = 2;

inline constexpr int GAME_TRACK_BARS = 36;
inline constexpr double GAME_TRACK_BPM = 126.0;

// The song; its end tick is the end of the last bar, where it loops to its first.
MidiSong composeGameTrack();

// Length of the song in seconds at its one tempo.
double songSeconds(const MidiSong& song);

}  // namespace soundgen
