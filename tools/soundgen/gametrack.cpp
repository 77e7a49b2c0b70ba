#include "soundgen/gametrack.h"

#include <array>
#include <cmath>
#include <vector>

namespace soundgen {

namespace {

constexpr std::uint32_t PPQ = 480;
constexpr std::uint32_t EIGHTH = PPQ / 2;
constexpr std::uint32_t SIXTEENTH = PPQ / 4;
constexpr std::uint32_t BAR = 4 * PPQ;

// General MIDI programs (0-based) and drum keys.
constexpr int SYNTH_BASS = 38;
constexpr int WARM_PAD = 89;
constexpr int SQUARE_LEAD = 80;
constexpr int KICK = 36, SIDE_STICK = 37, SNARE = 38, CLOSED_HAT = 42, OPEN_HAT = 46, CRASH = 49;
constexpr int LOW_TOM = 45, MID_TOM = 47, HIGH_MID_TOM = 48, HIGH_TOM = 50;

struct Chord {
  int bassRoot;            // in the bass register
  std::array<int, 3> pad;  // a close voicing around middle C
};

constexpr Chord A_MINOR{45, {57, 60, 64}};
constexpr Chord F_MAJOR{41, {57, 60, 65}};
constexpr Chord C_MAJOR{48, {55, 60, 64}};
constexpr Chord G_MAJOR{43, {55, 59, 62}};
constexpr Chord E_MAJOR{40, {56, 59, 64}};
constexpr Chord D_MINOR{50, {57, 62, 65}};
constexpr Chord E_MINOR{40, {55, 59, 64}};

enum class Section { INTRO, VERSE, CHORUS, BREAK, TURNAROUND };

struct Bar {
  Section section;
  Chord chord;
};

// Thirty-six bars. The last one sits on E major, the dominant of the A minor the piece starts
// on, so the loop back to bar one resolves instead of jumping.
const std::vector<Bar>& form() {
  static const std::vector<Bar> bars = [] {
    std::vector<Bar> b;
    auto add = [&b](Section s, std::initializer_list<Chord> chords) {
      for (const Chord& c : chords) b.push_back({s, c});
    };
    add(Section::INTRO, {A_MINOR, A_MINOR, F_MAJOR, G_MAJOR});
    add(Section::VERSE, {A_MINOR, F_MAJOR, C_MAJOR, G_MAJOR, A_MINOR, F_MAJOR, G_MAJOR, E_MAJOR});
    add(Section::CHORUS, {F_MAJOR, G_MAJOR, E_MINOR, A_MINOR, D_MINOR, A_MINOR, E_MAJOR, E_MAJOR});
    add(Section::VERSE, {A_MINOR, F_MAJOR, C_MAJOR, G_MAJOR, A_MINOR, F_MAJOR, G_MAJOR, E_MAJOR});
    add(Section::BREAK, {A_MINOR, F_MAJOR, C_MAJOR, G_MAJOR});
    add(Section::TURNAROUND, {F_MAJOR, G_MAJOR, A_MINOR, E_MAJOR});
    return b;
  }();
  return bars;
}

// A melody note: key (0 = rest) and length in eighths; each phrase line is one bar of eight.
struct Note {
  int key;
  int eighths;
};

const std::vector<Note> VERSE_MELODY = {
    {76, 2}, {69, 1}, {72, 1}, {76, 2}, {74, 1}, {72, 1},  // Am
    {69, 2}, {72, 1}, {77, 2}, {76, 1}, {72, 2},           // F
    {79, 3}, {76, 1}, {72, 2}, {76, 2},                    // C
    {74, 4}, {71, 2}, {67, 2},                             // G
    {76, 2}, {81, 2}, {79, 1}, {76, 1}, {72, 2},           // Am
    {77, 3}, {76, 1}, {72, 2}, {69, 2},                    // F
    {71, 2}, {74, 2}, {79, 2}, {77, 1}, {74, 1},           // G
    {76, 4}, {68, 2}, {71, 2},                             // E
};

const std::vector<Note> CHORUS_MELODY = {
    {84, 2}, {81, 2}, {77, 2}, {81, 2},           // F
    {83, 3}, {79, 1}, {74, 2}, {79, 2},           // G
    {76, 2}, {79, 2}, {83, 3}, {81, 1},           // Em
    {81, 6}, {0, 2},                              // Am
    {77, 2}, {81, 2}, {86, 2}, {84, 1}, {81, 1},  // Dm
    {84, 3}, {83, 1}, {81, 2}, {76, 2},           // Am
    {80, 2}, {83, 2}, {88, 2}, {86, 1}, {83, 1},  // E
    {83, 4}, {80, 2}, {76, 2},                    // E
};

const std::vector<Note> TURNAROUND_MELODY = {
    {81, 2}, {77, 2}, {72, 2}, {77, 2},  // F
    {79, 2}, {74, 2}, {71, 2}, {74, 2},  // G
    {76, 4}, {72, 2}, {69, 2},           // Am
    {71, 2}, {68, 2}, {64, 2}, {71, 2},  // E, climbing back to the top
};

void addNote(MidiTrack& track, int channel, std::uint32_t start, std::uint32_t length, int key,
             int velocity) {
  track.events.push_back(noteOn(start, channel, key, velocity));
  track.events.push_back(noteOff(start + length, channel, key));
}

// Plays a melody from the given bar; transposeFrom shifts the notes from that bar on up an
// octave (the second verse lifts its second half).
void addMelody(MidiTrack& lead, const std::vector<Note>& melody, int firstBar, int velocity,
               int octaveUpFromBar = -1) {
  std::uint32_t at = static_cast<std::uint32_t>(firstBar) * BAR;
  for (const Note& n : melody) {
    const std::uint32_t length = static_cast<std::uint32_t>(n.eighths) * EIGHTH;
    if (n.key != 0) {
      const int bar = static_cast<int>(at / BAR);
      const int key = (octaveUpFromBar >= 0 && bar >= octaveUpFromBar) ? n.key + 12 : n.key;
      const int accent = (at % (2 * PPQ) == 0) ? 8 : 0;  // lean on beats one and three
      addNote(lead, LEAD_CHANNEL, at, length - 30, key, velocity + accent);
    }
    at += length;
  }
}

MidiTrack conductor() {
  MidiTrack t{"Vorplex game track", {}};
  t.events.push_back(tempo(0, static_cast<std::uint32_t>(std::lround(60'000'000.0 / GAME_TRACK_BPM))));
  t.events.push_back(timeSignature(0, 4, 2));
  return t;
}

// Channel set-up at tick 0: repeated at every loop, so the sound never drifts.
void setUpChannel(MidiTrack& t, int channel, int program, int volume, int pan, int reverb, int chorus) {
  t.events.push_back(controlChange(0, channel, 121, 0));  // reset controllers
  if (program >= 0) t.events.push_back(programChange(0, channel, program));
  t.events.push_back(controlChange(0, channel, 7, volume));
  t.events.push_back(controlChange(0, channel, 10, pan));
  t.events.push_back(controlChange(0, channel, 91, reverb));
  t.events.push_back(controlChange(0, channel, 93, chorus));
}

MidiTrack drums() {
  MidiTrack t{"Drums", {}};
  setUpChannel(t, DRUM_CHANNEL, -1, 92, 64, 30, 0);
  auto hit = [&t](int bar, int sixteenth, int key, int velocity) {
    addNote(t, DRUM_CHANNEL,
            static_cast<std::uint32_t>(bar) * BAR + static_cast<std::uint32_t>(sixteenth) * SIXTEENTH,
            SIXTEENTH / 2, key, velocity);
  };
  const std::vector<Bar>& bars = form();
  for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar) {
    const Section section = bars[bar].section;
    const bool sectionStart = bar == 0 || bars[bar - 1].section != section || bar == 20;
    if (sectionStart && section != Section::BREAK) hit(bar, 0, CRASH, 100);
    if (section == Section::BREAK) {
      // Half time: the floor drops out for four bars.
      hit(bar, 0, KICK, 100);
      for (int q = 0; q < 16; q += 4) hit(bar, q, CLOSED_HAT, q == 0 ? 70 : 55);
      hit(bar, 12, SIDE_STICK, 70);
      continue;
    }
    hit(bar, 0, KICK, 115);
    hit(bar, 8, KICK, 105);
    if (section != Section::INTRO) hit(bar, 10, KICK, 90);
    hit(bar, 4, SNARE, 105);
    hit(bar, 12, SNARE, 108);
    for (int e = 0; e < 16; e += 2) {
      const bool open = e == 14 && bar % 2 == 1;
      hit(bar, e, open ? OPEN_HAT : CLOSED_HAT, e % 4 == 0 ? 82 : 62);
    }
    if (bar == 19 || bar == 27) {
      // A tom fill across the last beat into the next section.
      const int toms[] = {HIGH_TOM, HIGH_MID_TOM, MID_TOM, LOW_TOM};
      for (int k = 0; k < 4; ++k) hit(bar, 12 + k, toms[k], 90 + 6 * k);
    }
    if (bar == static_cast<int>(bars.size()) - 1) {
      // A snare roll swelling up to the loop point, where the crash of bar one answers it.
      for (int k = 8; k < 16; ++k) hit(bar, k, SNARE, 56 + 6 * (k - 8));
    }
  }
  return t;
}

MidiTrack bass() {
  MidiTrack t{"Bass", {}};
  setUpChannel(t, BASS_CHANNEL, SYNTH_BASS, 100, 64, 10, 0);
  constexpr int STEPS[8] = {0, 0, 12, 0, 7, 0, 12, 7};
  constexpr int VELOCITIES[8] = {104, 82, 94, 82, 98, 82, 94, 88};
  const std::vector<Bar>& bars = form();
  for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar) {
    const std::uint32_t start = static_cast<std::uint32_t>(bar) * BAR;
    const int root = bars[bar].chord.bassRoot;
    if (bars[bar].section == Section::BREAK) {
      addNote(t, BASS_CHANNEL, start, 2 * PPQ - 40, root, 96);
      addNote(t, BASS_CHANNEL, start + 2 * PPQ, 2 * PPQ - 40, root + 7, 86);
      continue;
    }
    for (int e = 0; e < 8; ++e) {
      addNote(t, BASS_CHANNEL, start + static_cast<std::uint32_t>(e) * EIGHTH, EIGHTH - 40, root + STEPS[e],
              VELOCITIES[e]);
    }
  }
  return t;
}

MidiTrack harmony() {
  MidiTrack t{"Pad", {}};
  setUpChannel(t, HARMONY_CHANNEL, WARM_PAD, 80, 44, 70, 40);
  const std::vector<Bar>& bars = form();
  for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar) {
    const int velocity = bars[bar].section == Section::CHORUS ? 84 : 72;
    for (int key : bars[bar].chord.pad) {
      addNote(t, HARMONY_CHANNEL, static_cast<std::uint32_t>(bar) * BAR, BAR - 20, key, velocity);
    }
  }
  return t;
}

MidiTrack lead() {
  MidiTrack t{"Lead", {}};
  setUpChannel(t, LEAD_CHANNEL, SQUARE_LEAD, 84, 84, 45, 10);
  addMelody(t, VERSE_MELODY, 4, 88);
  addMelody(t, CHORUS_MELODY, 12, 92);
  addMelody(t, VERSE_MELODY, 20, 88, 24);
  // The break answers with the verse's opening, an octave down and quiet.
  std::vector<Note> echo(VERSE_MELODY.begin(), VERSE_MELODY.begin() + 18);
  for (Note& n : echo) n.key -= 12;
  addMelody(t, echo, 28, 62);
  addMelody(t, TURNAROUND_MELODY, 32, 86);
  return t;
}

}  // namespace

MidiSong composeGameTrack() {
  MidiSong song;
  song.ticksPerQuarter = PPQ;
  song.endTick = static_cast<std::uint32_t>(form().size()) * BAR;
  song.tracks = {conductor(), drums(), bass(), harmony(), lead()};
  return song;
}

double songSeconds(const MidiSong& song) {
  return static_cast<double>(song.endTick) / song.ticksPerQuarter * 60.0 / GAME_TRACK_BPM;
}

}  // namespace soundgen
