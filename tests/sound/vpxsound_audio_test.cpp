// The sound set's switches as a player hears them: real audio captured by SDL's disk driver.
#include <gtest/gtest.h>

#include "diskaudio.h"
#include "sound/vpxsound.h"
#include "ssl/ssl.h"

namespace {

using namespace ssltest;

TEST(SoundSetAudio, SwitchesAreHeardAtOnce) {
  DiskAudio audio;
  SSL* ssl = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  openSounds(ssl);
  auto now = [&audio] { return audio.framesWritten(); };
  sleepSeconds(1.0);

  const std::size_t musicOff = now();
  EXPECT_FALSE(switchMusic());
  sleepSeconds(0.6);

  const std::size_t effectsOff = now();
  EXPECT_FALSE(switchSamples());
  EXPECT_FALSE(playSound(BLOB_EXPLOSION_SAMPLE));
  sleepSeconds(0.5);

  const std::size_t effectsOn = now();
  EXPECT_TRUE(switchSamples());
  EXPECT_TRUE(playSound(BLOB_EXPLOSION_SAMPLE));
  sleepSeconds(1.9);  // the explosion dies away

  const std::size_t musicOn = now();
  EXPECT_TRUE(switchMusic());
  sleepSeconds(1.0);

  const std::size_t currentOnly = now();
  EXPECT_FALSE(switchMusic());
  playMusic(GAME_TRACK);  // music off: the track becomes current but stays silent
  sleepSeconds(0.6);

  closeSounds();
  closeSSL(ssl);

  // A margin of a few mixing buffers either side of each switch.
  const std::size_t lag = frames(0.2);
  std::vector<int> levels = audio.levels();
  EXPECT_GT(peakBetween(levels, musicOff - frames(0.5), musicOff), 1000) << "music plays from the start";
  EXPECT_LT(peakBetween(levels, musicOff + lag, effectsOff), 50) << "music off is silent at once";
  EXPECT_LT(peakBetween(levels, effectsOff, effectsOn), 50) << "effects off play nothing";
  EXPECT_GT(peakBetween(levels, effectsOn, effectsOn + frames(0.5)), 1000) << "effects on again";
  EXPECT_LT(peakBetween(levels, musicOn - frames(0.2), musicOn), 50);
  EXPECT_GT(peakBetween(levels, musicOn + lag, currentOnly), 1000) << "music on plays the track again";
  EXPECT_LT(peakBetween(levels, currentOnly + lag, levels.size()), 50) << "playMusic with music off";
}

}  // namespace
