// The generator's sounds and music: fit for the game, well-formed, and what the build wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>

#include "soundgen/gametrack.h"
#include "soundgen/midi.h"
#include "soundgen/samples.h"
#include "soundgen/wave.h"

namespace {

using namespace soundgen;

using Bytes = std::vector<std::uint8_t>;

const std::vector<GeneratedSample>& samples() {
  static const std::vector<GeneratedSample> made = makeGameSamples();
  return made;
}

const Pcm& sample(const std::string& name) {
  for (const GeneratedSample& s : samples()) {
    if (s.fileName == name) return s.pcm;
  }
  ADD_FAILURE() << "no sample " << name;
  static const Pcm none;
  return none;
}

double seconds(const Pcm& pcm) {
  return static_cast<double>(pcm.samples.size()) / pcm.sampleRate;
}

// Crossings of zero per second: a rough measure of how high a sound is.
double crossingsPerSecond(const Pcm& pcm) {
  int crossings = 0;
  for (std::size_t i = 1; i < pcm.samples.size(); ++i)
    crossings += (pcm.samples[i - 1] < 0) != (pcm.samples[i] < 0);
  return crossings / seconds(pcm);
}

double energy(const Pcm& pcm) {
  double sum = 0.0;
  for (std::int16_t s : pcm.samples) sum += (s / 32767.0) * (s / 32767.0);
  return sum / pcm.sampleRate;
}

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(GameSamples, AreTheThirteenOfTheTableCleanAndBelowFullScale) {
  const std::vector<std::string> expected = {
      "pillpillbounce.wav",  "pillblobbounce.wav", "blobblobbounce.wav", "pillexplosion.wav",
      "bulletexplosion.wav", "blobexplosion.wav",  "redpill.wav",        "greenpill.wav",
      "yellowpill.wav",      "firegun.wav",        "reloadgun.wav",      "activatemenuitem.wav",
      "selectmenuitem.wav"};
  ASSERT_EQ(samples().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const GeneratedSample& s = samples()[i];
    SCOPED_TRACE(s.fileName);
    EXPECT_EQ(s.fileName, expected[i]);
    EXPECT_EQ(s.pcm.sampleRate, 44100);
    EXPECT_EQ(s.pcm.channels, 1);
    EXPECT_EQ(clippedSamplesOf(s.pcm), 0u);
    EXPECT_GT(peakOf(s.pcm), 0.2);
    EXPECT_LE(peakOf(s.pcm), 0.85);
    EXPECT_GT(seconds(s.pcm), 0.04);
    EXPECT_LT(seconds(s.pcm), 1.5);
    // Starting and stopping on silence: no click when a sound starts or is over.
    EXPECT_LT(std::abs(s.pcm.samples.front()), 1000);
    EXPECT_LT(std::abs(s.pcm.samples.back()), 100);
  }
}

TEST(GameSamples, SoundLikeWhatTheyStandFor) {
  // Bounces: hard small pills click high, blobs thud low.
  EXPECT_GT(crossingsPerSecond(sample("pillpillbounce.wav")),
            crossingsPerSecond(sample("pillblobbounce.wav")));
  EXPECT_GT(crossingsPerSecond(sample("pillblobbounce.wav")),
            crossingsPerSecond(sample("blobblobbounce.wav")));
  // Explosions from a light pop to a heavy burst, by length and by weight.
  const Pcm& bullet = sample("bulletexplosion.wav");
  const Pcm& pill = sample("pillexplosion.wav");
  const Pcm& blob = sample("blobexplosion.wav");
  EXPECT_LT(seconds(bullet), seconds(pill));
  EXPECT_LT(seconds(pill), seconds(blob));
  EXPECT_LT(energy(bullet), energy(pill));
  EXPECT_LT(energy(pill), energy(blob));
  EXPECT_GE(peakOf(blob), peakOf(pill));
  // The shot is short; the menu's blip is lighter and shorter than its confirm.
  EXPECT_LT(seconds(sample("firegun.wav")), 0.3);
  EXPECT_LT(peakOf(sample("activatemenuitem.wav")), peakOf(sample("selectmenuitem.wav")));
  EXPECT_LT(seconds(sample("activatemenuitem.wav")), seconds(sample("selectmenuitem.wav")));
  // The three pills are three different sounds.
  EXPECT_NE(sample("redpill.wav").samples, sample("greenpill.wav").samples);
  EXPECT_NE(sample("greenpill.wav").samples, sample("yellowpill.wav").samples);
}

TEST(WaveEncoding, WritesACanonicalPcmFile) {
  Pcm pcm;
  pcm.samples = {0, 1, -2};
  const Bytes expected = {'R', 'I', 'F',  'F',  42,   0, 0, 0, 'W', 'A',  'V', 'E',  'f',
                          'm', 't', ' ',  16,   0,    0, 0, 1, 0,   1,    0,   0x44, 0xAC,
                          0,   0,   0x88, 0x58, 0x01, 0, 2, 0, 16,  0,    'd', 'a',  't',
                          'a', 6,   0,    0,    0,    0, 0, 1, 0,   0xFE, 0xFF};
  EXPECT_EQ(encodeWave(pcm), expected);
  EXPECT_EQ(toPcm({0.0, 1.0, -1.0, 2.0, 0.5}).samples,
            (std::vector<std::int16_t>{0, 32767, -32767, 32767, 16384}));
}

TEST(MidiEncoding, VariableLengthQuantities) {
  const std::pair<std::uint32_t, Bytes> cases[] = {
      {0, {0x00}},
      {0x40, {0x40}},
      {0x7F, {0x7F}},
      {0x80, {0x81, 0x00}},
      {0x2000, {0xC0, 0x00}},
      {0x3FFF, {0xFF, 0x7F}},
      {0x4000, {0x81, 0x80, 0x00}},
      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const auto& [value, bytes] : cases) EXPECT_EQ(encodeVariableLength(value), bytes) << value;
}

TEST(MidiEncoding, ReleasesComeBeforeStrikesAndTheTrackEndsAtTheLoopPoint) {
  MidiSong song;
  song.ticksPerQuarter = 96;
  song.endTick = 200;
  MidiTrack track;
  track.events = {noteOn(0, 0, 60, 100), noteOn(96, 0, 60, 90), noteOff(96, 0, 60), noteOff(150, 0, 60)};
  song.tracks = {track};
  const Bytes expected = {'M',  'T',  'h',  'd',  0, 0,  0, 6,
                          0,    1,    0,    1,    0, 96,         // format 1, one track, 96 a beat
                          'M',  'T',  'r',  'k',  0, 0,  0, 20,  //
                          0x00, 0x90, 60,   100,                 // strike
                          0x60, 0x80, 60,   0x40,                // released first ...
                          0x00, 0x90, 60,   90,                  // ... then struck again
                          0x36, 0x80, 60,   0x40,                //
                          0x32, 0xFF, 0x2F, 0x00};               // End of Track at tick 200
  EXPECT_EQ(encodeMidi(song), expected);
}

TEST(GameTrack, IsAMinuteOrMoreForDrumsBassHarmonyAndLeadThatLoopsCleanly) {
  const MidiSong song = composeGameTrack();
  EXPECT_GE(songSeconds(song), 60.0);
  EXPECT_EQ(song.endTick % (4u * song.ticksPerQuarter), 0u) << "the loop point is the end of a bar";

  std::map<int, int> notesByChannel;
  std::map<int, bool> programAtStart;
  for (const MidiTrack& track : song.tracks) {
    std::map<std::pair<int, int>, std::uint32_t> sounding;  // (channel, key) -> since
    for (const MidiEvent& e : track.events) {
      ASSERT_FALSE(e.bytes.empty());
      EXPECT_LE(e.tick, song.endTick);
      const int kind = e.bytes[0] & 0xF0;
      const int channel = e.bytes[0] & 0x0F;
      if (kind == 0xC0 && e.tick == 0) programAtStart[channel] = true;
      if (kind == 0x90 && e.bytes[2] > 0) {
        ++notesByChannel[channel];
        EXPECT_EQ(sounding.count({channel, e.bytes[1]}), 0u)
            << "key struck twice without release at " << e.tick;
        sounding[{channel, e.bytes[1]}] = e.tick;
      } else if (kind == 0x80) {
        auto it = sounding.find({channel, e.bytes[1]});
        ASSERT_NE(it, sounding.end()) << "release without strike at " << e.tick;
        EXPECT_LT(it->second, e.tick);
        sounding.erase(it);
      }
    }
    EXPECT_TRUE(sounding.empty()) << "every note is released by the loop point";
  }
  for (int channel : {DRUM_CHANNEL, BASS_CHANNEL, HARMONY_CHANNEL, LEAD_CHANNEL}) {
    SCOPED_TRACE(channel);
    EXPECT_GT(notesByChannel[channel], 30);
  }
  EXPECT_EQ(notesByChannel.size(), 4u);
  // Each round sets its own instruments, so the loop sounds the same every time.
  for (int channel : {BASS_CHANNEL, HARMONY_CHANNEL, LEAD_CHANNEL})
    EXPECT_TRUE(programAtStart[channel]) << channel;
}

TEST(GeneratedData, TheBuildWroteExactlyWhatTheGeneratorMakes) {
  const std::string data = VORPLEX_TEST_DATA_DIR;
  for (const GeneratedSample& s : samples()) {
    EXPECT_EQ(readFile(data + "/" + s.fileName), encodeWave(s.pcm)) << s.fileName;
  }
  EXPECT_EQ(readFile(data + "/gametrack.mid"), encodeMidi(composeGameTrack()));
}

}  // namespace
