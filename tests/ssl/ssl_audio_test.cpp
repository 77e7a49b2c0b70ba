// The sound library over SDL2_mixer for real: what it plays is captured by SDL's disk driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "diskaudio.h"
#include "soundgen/gametrack.h"
#include "ssl/ssl.h"
#include "sslimp.h"
#include "sslmixer.h"

namespace {

using namespace ssltest;

const std::string DATA = VORPLEX_TEST_DATA_DIR;

struct TemporaryFiles {
  std::vector<std::string> paths;
  std::string add(const std::string& stem) {
    paths.push_back(temporaryPath(stem));
    return paths.back();
  }
  ~TemporaryFiles() {
    std::error_code ec;
    for (const std::string& p : paths) std::filesystem::remove(p, ec);
  }
};

// Our own lines on standard error (SDL's disk driver adds warnings of its own).
int linesSaid(const std::string& text) {
  int lines = 0;
  for (std::size_t at = text.find("Vorplex:"); at != std::string::npos; at = text.find("Vorplex:", at + 1))
    ++lines;
  return lines;
}

// A constant sample value as the mixer plays it, at the effects' volume.
int heard(int level) {
  return level * SSL_EFFECTS_VOLUME / 128;
}

std::size_t countLevel(const std::vector<int>& levels, int level) {
  return static_cast<std::size_t>(std::count(levels.begin(), levels.end(), level));
}

TEST(SSLAudio, PlayedSampleSoundsBelowFullScale) {
  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLSample* shot = ssl->openSample(DATA + "/firegun.wav");
  ssl->playSample(shot);
  sleepSeconds(0.5);
  ssl->closeSample(shot);
  closeSSL(ssl);

  std::vector<int> levels = audio.levels();
  EXPECT_GT(framesAbove(levels, 1000), frames(0.05));
  EXPECT_LT(peakBetween(levels, 0, levels.size()), 32767);
}

TEST(SSLAudio, ABlobSplitOverTheMusicIsNotClipped) {
  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLTrack* music = ssl->openTrack(DATA + "/gametrack.mid");
  SSLSample* blob = ssl->openSample(DATA + "/blobexplosion.wav");
  SSLSample* bullet = ssl->openSample(DATA + "/bulletexplosion.wav");
  ssl->playTrack(music);
  sleepSeconds(0.3);
  ssl->playSample(bullet);  // what the game plays when a shot splits a blob
  ssl->playSample(blob);
  sleepSeconds(0.2);
  ssl->playSample(blob);  // and its child, split by the next shot
  sleepSeconds(1.0);
  ssl->stopTrack(music);
  closeSSL(ssl);

  std::vector<int> levels = audio.levels();
  EXPECT_GT(framesAbove(levels, 8000), frames(0.05));
  EXPECT_EQ(framesAbove(levels, 32766), 0u);
}

TEST(SSLAudio, TwoPlaysOfOneSampleOverlapAndAddUp) {
  TemporaryFiles files;
  const std::string wave = files.add("constant") + ".wav";
  writeConstantWave(wave, 4000, 0.5);

  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLSample* sample = ssl->openSample(wave);
  ssl->playSample(sample);
  sleepSeconds(0.15);
  ssl->playSample(sample);
  sleepSeconds(0.8);
  closeSSL(ssl);

  // The second play neither cut the first short nor waited for it: for a while both sound.
  std::vector<int> levels = audio.levels();
  EXPECT_GT(countLevel(levels, 2 * heard(4000)), frames(0.2));
  EXPECT_GT(countLevel(levels, heard(4000)), frames(0.15));
  EXPECT_EQ(peakBetween(levels, 0, levels.size()), 2 * heard(4000));
}

TEST(SSLAudio, WhenEveryChannelIsBusyTheOldestSoundGivesWay) {
  TemporaryFiles files;
  const std::string loud = files.add("oldest") + ".wav";
  const std::string soft = files.add("filler") + ".wav";
  writeConstantWave(loud, 1024, 3.0);
  writeConstantWave(soft, 16, 3.0);

  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLSample* oldest = ssl->openSample(loud);
  SSLSample* filler = ssl->openSample(soft);
  ssl->playSample(oldest);
  sleepSeconds(0.05);
  for (int i = 1; i < SSL_MIXING_CHANNELS; ++i) ssl->playSample(filler);
  sleepSeconds(0.3);
  ssl->playSample(filler);  // one more than there are channels
  sleepSeconds(0.3);
  closeSSL(ssl);

  std::vector<int> levels = audio.levels();
  const int allBusy = heard(1024) + (SSL_MIXING_CHANNELS - 1) * heard(16);
  const int oldestGone = SSL_MIXING_CHANNELS * heard(16);
  EXPECT_GT(countLevel(levels, allBusy), frames(0.1));
  EXPECT_GT(countLevel(levels, oldestGone), frames(0.1));
  EXPECT_GT(firstFrameAbove(levels, allBusy + 1), levels.size() - 1) << "nothing louder than all channels";
}

TEST(SSLAudio, GameTrackRendersAndLoopsWithoutAGap) {
  const double songSeconds = soundgen::songSeconds(soundgen::composeGameTrack());
  DiskAudio audio(true);
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLTrack* track = ssl->openTrack(DATA + "/gametrack.mid");
  const std::size_t playedAt = audio.framesWritten();
  ssl->playTrack(track);
  // Rendering runs ahead while the track loads: wait from where the music has begun.
  const bool rendered = audio.waitForFrames(audio.framesWritten() + frames(songSeconds + 8.0), 200.0);
  ssl->stopTrack(track);
  ssl->closeTrack(track);
  closeSSL(ssl);
  ASSERT_TRUE(rendered);

  std::vector<int> levels = audio.levels();
  const std::size_t start = firstFrameAbove(levels, 64, playedAt);
  ASSERT_LT(start, levels.size());
  // Sound all the way through the piece and on over the loop point into its second round.
  for (double t = 0.0; t < songSeconds + 5.0; t += 0.5) {
    SCOPED_TRACE(t);
    EXPECT_GT(peakBetween(levels, start + frames(t), start + frames(t + 0.5)), 1000);
  }
  EXPECT_LT(peakBetween(levels, start, levels.size()), 26000) << "the music leaves headroom for the effects";
}

TEST(SSLAudio, StopThenPlayStartsTheTrackAgainFromItsBeginning) {
  TemporaryFiles files;
  const std::string midi = files.add("note") + ".mid";
  writeSingleNoteMidi(midi, 3.0);

  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLTrack* track = ssl->openTrack(midi);
  ssl->playTrack(track);
  const std::size_t firstPlay = audio.framesWritten();
  sleepSeconds(1.0);
  ssl->stopTrack(track);
  ssl->playTrack(track);  // the note that opens the track sounds again at once
  const std::size_t secondPlay = audio.framesWritten();
  sleepSeconds(1.0);
  ssl->stopTrack(track);
  ssl->closeTrack(track);
  closeSSL(ssl);

  // Resuming where it stopped would leave the second second silent (the note comes round
  // again only at the three-second loop).
  std::vector<std::size_t> notes = onsets(audio.levels(), 200, frames(0.3));
  ASSERT_EQ(notes.size(), 2u);
  for (auto [note, played] : {std::pair{notes[0], firstPlay}, std::pair{notes[1], secondPlay}}) {
    EXPECT_NEAR((static_cast<double>(note) - static_cast<double>(played)) / RATE, 0.0, 0.3);
  }
}

TEST(SSLAudio, StartsWithoutAWorkingAudioDeviceAndSaysSoOnce) {
  ::setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
  ::testing::internal::CaptureStderr();
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLSample* sample = ssl->openSample(DATA + "/selectmenuitem.wav");
  SSLTrack* track = ssl->openTrack(DATA + "/gametrack.mid");
  ssl->playTrack(track);
  ssl->playSample(sample);
  ssl->stopTrack(track);
  ssl->closeTrack(track);
  ssl->closeSample(sample);
  closeSSL(ssl);
  const std::string said = ::testing::internal::GetCapturedStderr();

  EXPECT_NE(said.find("the game runs without sound"), std::string::npos) << said;
  EXPECT_EQ(linesSaid(said), 1) << said;
}

TEST(SSLAudio, StartsWithoutASoundfontAndPlaysOnWithoutMusic) {
  DiskAudio audio;
  ::testing::internal::CaptureStderr();
  {
    SSLImp ssl(openMixerBackEnd({"/nonexistent/soundfont.sf2"}));
    SSLTrack* track = ssl.openTrack(DATA + "/gametrack.mid");
    SSLSample* sample = ssl.openSample(DATA + "/selectmenuitem.wav");
    ssl.playTrack(track);
    ssl.playSample(sample);
    sleepSeconds(0.5);
    ssl.stopTrack(track);
    // A track that does not exist is still an error, soundfont or not.
    DBGException e = caughtException([&] { ssl.openTrack("/nonexistent/missing.mid"); });
    EXPECT_NE(std::string(e.description()).find("/nonexistent/missing.mid"), std::string::npos)
        << e.description();
    ssl.closeTrack(track);
    ssl.closeSample(sample);
  }
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("the game runs without music"), std::string::npos) << said;
  EXPECT_EQ(linesSaid(said), 1) << said;
  EXPECT_GT(framesAbove(audio.levels(), 1000), 0u) << "the effects still sound";
}

TEST(SSLAudio, FilesThatCannotBeLoadedAreErrorsInSDLMixersWords) {
  TemporaryFiles files;
  const std::string garbage = files.add("garbage") + ".wav";
  std::ofstream(garbage) << "this is not a wave file, it only has its name";

  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  struct Case {
    const char* what;
    std::function<void()> call;
    std::string mentions;
  };
  const Case cases[] = {
      {"missing sample", [&] { ssl->openSample("/nonexistent/boom.wav"); }, "/nonexistent/boom.wav"},
      {"missing track", [&] { ssl->openTrack("/nonexistent/song.mid"); }, "/nonexistent/song.mid"},
      {"not a wave file", [&] { ssl->openSample(garbage); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DBGException e = caughtException(c.call);
    EXPECT_STREQ(e.title(), "Error");
    EXPECT_STREQ(e.file(), "sslimp");
    EXPECT_NE(std::string(e.description()), "");
    EXPECT_NE(std::string(e.description()).find(c.mentions), std::string::npos) << e.description();
  }
  EXPECT_TRUE(ssl->samples().empty());
  EXPECT_TRUE(ssl->tracks().empty());
  closeSSL(ssl);
}

TEST(SSLAudio, PartlyWrittenWaveFileIsAccepted) {
  TemporaryFiles files;
  const std::string wave = files.add("truncated") + ".wav";
  writeConstantWave(wave, 3000, 1.0);
  std::filesystem::resize_file(wave, 44 + 4 * 1000);  // the header still promises a full second

  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  SSLSample* sample = ssl->openSample(wave);
  ssl->playSample(sample);
  sleepSeconds(0.2);
  closeSSL(ssl);
  EXPECT_GT(countLevel(audio.levels(), heard(3000)), 1000u);
}

}  // namespace
