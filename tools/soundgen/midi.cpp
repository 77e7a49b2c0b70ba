#include "soundgen/midi.h"

#include <algorithm>

namespace soundgen {

namespace {

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(byte(static_cast<int>(v >> shift)));
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

MidiEvent meta(std::uint32_t tick, int type, const std::vector<std::uint8_t>& data) {
  MidiEvent e{tick, {0xFF, byte(type)}};
  std::vector<std::uint8_t> length = encodeVariableLength(static_cast<std::uint32_t>(data.size()));
  e.bytes.insert(e.bytes.end(), length.begin(), length.end());
  e.bytes.insert(e.bytes.end(), data.begin(), data.end());
  return e;
}

// Releases sort before everything else in the same tick, so a note struck again on the beat it
// ends is not cut off by its own earlier release.
int orderWithinTick(const MidiEvent& e) {
  const std::uint8_t status = e.bytes.empty() ? 0 : e.bytes[0];
  if (status == 0xFF) return 0;           // meta: tempo and names first
  if ((status & 0xF0) == 0x80) return 1;  // note off
  if ((status & 0xF0) == 0x90) return 3;  // note on
  return 2;                               // programs and controllers before the notes
}

}  // namespace

MidiEvent noteOn(std::uint32_t tick, int channel, int note, int velocity) {
  return {tick, {byte(0x90 | channel), byte(note), byte(velocity)}};
}

MidiEvent noteOff(std::uint32_t tick, int channel, int note) {
  return {tick, {byte(0x80 | channel), byte(note), 0x40}};
}

MidiEvent programChange(std::uint32_t tick, int channel, int program) {
  return {tick, {byte(0xC0 | channel), byte(program)}};
}

MidiEvent controlChange(std::uint32_t tick, int channel, int controller, int value) {
  return {tick, {byte(0xB0 | channel), byte(controller), byte(value)}};
}

MidiEvent tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter) {
  return meta(
      tick, 0x51,
      {byte(static_cast<int>(microsecondsPerQuarter >> 16)),
       byte(static_cast<int>(microsecondsPerQuarter >> 8)), byte(static_cast<int>(microsecondsPerQuarter))});
}

MidiEvent timeSignature(std::uint32_t tick, int numerator, int denominatorPowerOfTwo) {
  return meta(tick, 0x58, {byte(numerator), byte(denominatorPowerOfTwo), 24, 8});
}

std::vector<std::uint8_t> encodeVariableLength(std::uint32_t value) {
  std::vector<std::uint8_t> out{byte(static_cast<int>(value & 0x7F))};
  while ((value >>= 7) != 0) out.insert(out.begin(), byte(static_cast<int>((value & 0x7F) | 0x80)));
  return out;
}

std::vector<std::uint8_t> encodeMidi(const MidiSong& song) {
  std::vector<std::uint8_t> out;
  putTag(out, "MThd");
  put32(out, 6);
  out.push_back(0);
  out.push_back(1);  // format 1: simultaneous tracks
  out.push_back(byte(static_cast<int>(song.tracks.size() >> 8)));
  out.push_back(byte(static_cast<int>(song.tracks.size())));
  out.push_back(byte(song.ticksPerQuarter >> 8));
  out.push_back(byte(song.ticksPerQuarter));

  for (const MidiTrack& track : song.tracks) {
    std::vector<MidiEvent> events = track.events;
    if (!track.name.empty()) {
      events.insert(events.begin(),
                    meta(0, 0x03, std::vector<std::uint8_t>(track.name.begin(), track.name.end())));
    }
    std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
      if (a.tick != b.tick) return a.tick < b.tick;
      return orderWithinTick(a) < orderWithinTick(b);
    });
    events.push_back(meta(std::max(song.endTick, events.empty() ? 0u : events.back().tick), 0x2F, {}));

    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const MidiEvent& e : events) {
      std::vector<std::uint8_t> delta = encodeVariableLength(e.tick - now);
      body.insert(body.end(), delta.begin(), delta.end());
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
      now = e.tick;
    }
    putTag(out, "MTrk");
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace soundgen
