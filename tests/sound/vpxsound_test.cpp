// The game's sound set: its tables, its switches and the music semantics, over the recording
// sound library.
#include <gtest/gtest.h>

#include <filesystem>

#include "diskaudio.h"
#include "sound/vpxsound.h"
#include "ssl/ssl.h"
#include "ssl/sslrecording.h"

namespace {

const char* const SAMPLE_FILES[] = {"pillpillbounce.wav", "pillblobbounce.wav",  "blobblobbounce.wav",
                                    "pillexplosion.wav",  "bulletexplosion.wav", "blobexplosion.wav",
                                    "redpill.wav",        "greenpill.wav",       "yellowpill.wav",
                                    "firegun.wav",        "reloadgun.wav",       "activatemenuitem.wav",
                                    "selectmenuitem.wav"};

struct SoundSet : ::testing::Test {
  SSL* ssl = nullptr;
  void SetUp() override {
    ssl = openSSL(RECORDING_IMPLEMENTATION);
    clearSSLRecordedCalls();
    openSounds(ssl);
  }
  void TearDown() override {
    if (samplesAreOpen()) closeSounds();
    closeSSL(ssl);
  }
  // The calls since the last look, as "operation file" with the file's bare name.
  std::vector<std::string> calls() {
    std::vector<std::string> out;
    for (const SSLRecordedCall& call : sslRecordedCalls()) {
      out.push_back(call.operation + " " + std::filesystem::path(call.fileName).filename().string());
    }
    clearSSLRecordedCalls();
    return out;
  }
  using Calls = std::vector<std::string>;
};

TEST_F(SoundSet, OpensTheThirteenSamplesInOrderThenTheTrackAndPlaysIt) {
  Calls expected;
  for (const char* name : SAMPLE_FILES) expected.push_back(std::string("load sample ") + name);
  expected.push_back("load track gametrack.mid");
  expected.push_back("play track gametrack.mid");
  for (const SSLRecordedCall& call : sslRecordedCalls()) EXPECT_TRUE(std::filesystem::exists(call.fileName));
  EXPECT_EQ(calls(), expected);

  for (int id = PILL_PILL_BOUNCE_SAMPLE; id < MAX_SAMPLE_ID; ++id) EXPECT_TRUE(playSound(id));
  Calls played = calls();
  ASSERT_EQ(played.size(), 13u);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(played[i], std::string("play sample ") + SAMPLE_FILES[i]);

  closeSounds();
  EXPECT_FALSE(samplesAreOpen());
  EXPECT_FALSE(tracksAreOpen());
  EXPECT_TRUE(ssl->samples().empty());
  EXPECT_TRUE(ssl->tracks().empty());
  Calls closing = calls();
  ASSERT_FALSE(closing.empty());
  EXPECT_EQ(closing.front(), "stop track gametrack.mid");
}

TEST_F(SoundSet, EffectsSwitchedOffPlayNothingUntilSwitchedOnAgain) {
  calls();
  EXPECT_FALSE(switchSamples());
  EXPECT_FALSE(playSound(FIRE_GUN_SAMPLE));
  EXPECT_FALSE(playSound(MAX_SAMPLE_ID));  // nothing is even looked up while effects are off
  EXPECT_EQ(calls(), Calls{});
  EXPECT_TRUE(switchSamples());
  EXPECT_TRUE(playSound(FIRE_GUN_SAMPLE));
  EXPECT_EQ(calls(), Calls{"play sample firegun.wav"});
  EXPECT_TRUE(musicIsSwitchedOn()) << "the effects switch leaves the music alone";
}

TEST_F(SoundSet, MusicSwitchStopsAtOnceAndReplaysTheCurrentTrackFromItsBeginning) {
  calls();
  EXPECT_FALSE(switchMusic());
  EXPECT_EQ(calls(), Calls{"stop track gametrack.mid"});
  EXPECT_TRUE(switchMusic());
  EXPECT_EQ(calls(), Calls{"play track gametrack.mid"});

  // playMusic of the track that plays starts it over.
  playMusic(GAME_TRACK);
  EXPECT_EQ(calls(), (Calls{"stop track gametrack.mid", "play track gametrack.mid"}));
}

TEST_F(SoundSet, AfterStopMusicNothingPlaysUntilTheNextPlayMusic) {
  stopMusic();
  stopMusic();  // nothing current: nothing happens
  EXPECT_EQ(calls().back(), "stop track gametrack.mid");
  EXPECT_FALSE(switchMusic());
  EXPECT_TRUE(switchMusic());
  EXPECT_EQ(calls(), Calls{});
  playMusic(GAME_TRACK);
  EXPECT_EQ(calls(), Calls{"play track gametrack.mid"});
}

TEST_F(SoundSet, PlayMusicWhileMusicIsOffOnlyMakesTheTrackCurrent) {
  switchMusic();
  calls();
  playMusic(GAME_TRACK);
  EXPECT_EQ(calls(), Calls{});
  EXPECT_TRUE(switchMusic());
  EXPECT_EQ(calls(), Calls{"play track gametrack.mid"});
}

TEST_F(SoundSet, EveryOpeningStartsWithBothSwitchesOn) {
  switchSamples();
  switchMusic();
  closeSounds();
  openSounds(ssl);
  EXPECT_TRUE(samplesAreSwitchedOn());
  EXPECT_TRUE(musicIsSwitchedOn());
  EXPECT_EQ(calls().back(), "play track gametrack.mid");
}

TEST_F(SoundSet, OutOfOrderUseAndUnknownIdsAreRefused) {
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* text;
    const char* module;
  };
  const Case open[] = {
      {"open twice", [&] { openSounds(ssl); }, "!samplesAreOpen()", "vpxsound"},
      {"sample id 0", [] { playSound(MIN_SAMPLE_ID); }, "\"Valid sample.\" && sample", "sslimp"},
      {"sample id 14", [] { playSound(MAX_SAMPLE_ID); }, "\"Valid sample.\" && sample", "sslimp"},
      {"track id 2", [] { playMusic(MAX_TRACK_ID); }, "\"Valid track.\" && track", "sslimp"},
  };
  for (const Case& c : open) {
    SCOPED_TRACE(c.what);
    DBGException e = caughtException(c.call);
    EXPECT_STREQ(e.title(), "Assertion failure");
    EXPECT_STREQ(e.description(), c.text);
    EXPECT_STREQ(e.file(), c.module);
  }
  closeSounds();
  DBGException e = caughtException([] { closeSounds(); });
  EXPECT_STREQ(e.description(), "tracksAreOpen()");
  EXPECT_STREQ(e.file(), "vpxsound");
}

}  // namespace
