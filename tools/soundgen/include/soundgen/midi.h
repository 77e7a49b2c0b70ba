// Standard MIDI files: the events of a song and their encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundgen {

// One channel or meta event at an absolute tick. Channels are 0-based here (channel 9 is the
// General MIDI drum channel, "channel 10" to musicians).
struct MidiEvent {
  std::uint32_t tick = 0;
  std::vector<std::uint8_t> bytes;  // status byte and data, or FF type length data for meta
};

struct MidiTrack {
  std::string name;
  std::vector<MidiEvent> events;  // in any order; encoding sorts them stably by tick
};

struct MidiSong {
  std::uint16_t ticksPerQuarter = 480;
  std::uint32_t endTick = 0;  // every track's End of Track sits here: the loop point
  std::vector<MidiTrack> tracks;
};

MidiEvent noteOn(std::uint32_t tick, int channel, int note, int velocity);
MidiEvent noteOff(std::uint32_t tick, int channel, int note);
MidiEvent programChange(std::uint32_t tick, int channel, int program);
MidiEvent controlChange(std::uint32_t tick, int channel, int controller, int value);
MidiEvent tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
MidiEvent timeSignature(std::uint32_t tick, int numerator, int denominatorPowerOfTwo);

// The variable-length quantity of the file format (7 bits a byte, high bit = more follows).
std::vector<std::uint8_t> encodeVariableLength(std::uint32_t value);

// A format-1 file, one MTrk chunk per track, without running status. Within one tick note-offs
// come before note-ons, so a repeated note is released before it strikes again.
std::vector<std::uint8_t> encodeMidi(const MidiSong& song);

}  // namespace soundgen
