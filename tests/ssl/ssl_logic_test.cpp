// The sound library's rules, over the recording back end: no audio device, no files.
#include <gtest/gtest.h>

#include <functional>

#include "diskaudio.h"
#include "ssl/ssl.h"
#include "ssl/sslrecording.h"

namespace {

struct RecordingSSL : ::testing::Test {
  SSL* ssl = nullptr;
  void SetUp() override {
    clearSSLRecordedCalls();
    ssl = openSSL(RECORDING_IMPLEMENTATION);
  }
  void TearDown() override {
    if (ssl) closeSSL(ssl);
  }
  std::vector<std::string> operations() const {
    std::vector<std::string> out;
    for (const SSLRecordedCall& call : sslRecordedCalls())
      out.push_back(call.operation + " " + call.fileName);
    return out;
  }
};

void expectAssertion(const DBGException& e, const char* text, const char* module) {
  EXPECT_STREQ(e.title(), "Assertion failure");
  EXPECT_STREQ(e.description(), text);
  EXPECT_STREQ(e.file(), module);
}

TEST(SSLFactory, RefusesUnknownImplementationsNullAndUnknownLibraries) {
  for (int id : {0, 3, -1}) {
    expectAssertion(caughtException([id] { openSSL(id); }),
                    "\"Valid implementation.\" && (implementation == DIRECT_AUDIO_IMPLEMENTATION)",
                    "sslboot");
  }
  expectAssertion(caughtException([] { closeSSL(nullptr); }), "\"Valid SSL.\" && ssl", "sslboot");

  SSL* ssl = openSSL(RECORDING_IMPLEMENTATION);
  closeSSL(ssl);
  SSL* other = openSSL(RECORDING_IMPLEMENTATION);
  SSL* never = reinterpret_cast<SSL*>(&other);  // an address the factory never handed out
  expectAssertion(caughtException([never] { closeSSL(never); }),
                  "\"Open SSL.\" && (fOpenSSLs.find(ssl) != fOpenSSLs.end())", "sslboot");
  closeSSL(other);
}

TEST_F(RecordingSSL, OpenSetsFollowOpenAndClose) {
  SSLSample* a = ssl->openSample("a.wav");
  SSLSample* b = ssl->openSample("b.wav");
  SSLTrack* t = ssl->openTrack("t.mid");
  EXPECT_EQ(ssl->samples(), (std::set<SSLSample*>{a, b}));
  EXPECT_EQ(ssl->tracks(), (std::set<SSLTrack*>{t}));

  ssl->closeSample(a);
  EXPECT_EQ(ssl->samples(), (std::set<SSLSample*>{b}));
  ssl->closeTrack(t);  // never played: closing a stopped track is fine
  EXPECT_TRUE(ssl->tracks().empty());
  ssl->closeSample(b);
  EXPECT_TRUE(ssl->samples().empty());
  EXPECT_EQ(operations(),
            (std::vector<std::string>{"load sample a.wav", "load sample b.wav", "load track t.mid",
                                      "release a.wav", "release t.mid", "release b.wav"}));
}

TEST_F(RecordingSSL, SamplesPlayEveryTimeAndTheTrackStopsAndRestarts) {
  SSLSample* boom = ssl->openSample("boom.wav");
  SSLTrack* music = ssl->openTrack("music.mid");
  clearSSLRecordedCalls();

  ssl->playTrack(music);
  ssl->playSample(boom);
  ssl->playSample(boom);  // the same sample again while it still sounds
  ssl->stopTrack(music);
  ssl->playTrack(music);
  EXPECT_EQ(operations(),
            (std::vector<std::string>{"play track music.mid", "play sample boom.wav", "play sample boom.wav",
                                      "stop track music.mid", "play track music.mid"}));
  ssl->stopTrack(music);
  ssl->closeTrack(music);
  ssl->closeSample(boom);
}

TEST_F(RecordingSSL, MisuseIsRefusedWithItsReason) {
  SSLSample* sample = ssl->openSample("s.wav");
  SSLTrack* first = ssl->openTrack("first.mid");
  SSLTrack* second = ssl->openTrack("second.mid");
  SSL* elsewhere = openSSL(RECORDING_IMPLEMENTATION);
  SSLSample* foreignSample = elsewhere->openSample("foreign.wav");
  SSLTrack* foreignTrack = elsewhere->openTrack("foreign.mid");
  ssl->playTrack(first);

  struct Case {
    const char* what;
    std::function<void()> call;
    const char* text;
  };
  const Case cases[] = {
      {"play null sample", [&] { ssl->playSample(nullptr); }, "\"Valid sample.\" && sample"},
      {"close null sample", [&] { ssl->closeSample(nullptr); }, "\"Valid sample.\" && sample"},
      {"play null track", [&] { ssl->playTrack(nullptr); }, "\"Valid track.\" && track"},
      {"stop null track", [&] { ssl->stopTrack(nullptr); }, "\"Valid track.\" && track"},
      {"close null track", [&] { ssl->closeTrack(nullptr); }, "\"Valid track.\" && track"},
      {"play another SSL's sample", [&] { ssl->playSample(foreignSample); },
       "\"Open sample.\" && isOpen(sample)"},
      {"close another SSL's sample", [&] { ssl->closeSample(foreignSample); },
       "\"Open sample.\" && isOpen(sample)"},
      {"play another SSL's track", [&] { ssl->playTrack(foreignTrack); }, "\"Open track.\" && isOpen(track)"},
      {"stop another SSL's track", [&] { ssl->stopTrack(foreignTrack); }, "\"Open track.\" && isOpen(track)"},
      {"second track while one plays", [&] { ssl->playTrack(second); },
       "\"No track is playing.\" && (mPlayingTrack == 0)"},
      {"same track again", [&] { ssl->playTrack(first); },
       "\"No track is playing.\" && (mPlayingTrack == 0)"},
      {"stop a track that does not play", [&] { ssl->stopTrack(second); },
       "\"Track is playing.\" && (track == mPlayingTrack)"},
      {"close the playing track", [&] { ssl->closeTrack(first); },
       "\"Track is not playing.\" && (track != mPlayingTrack)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectAssertion(caughtException(c.call), c.text, "sslimp");
  }

  // Nothing was disturbed by the refusals: the first track still plays and can be stopped.
  EXPECT_EQ(ssl->tracks(), (std::set<SSLTrack*>{first, second}));
  ssl->stopTrack(first);
  ssl->playTrack(second);
  ssl->stopTrack(second);
  ssl->closeTrack(first);
  ssl->closeTrack(second);
  ssl->closeSample(sample);
  elsewhere->closeSample(foreignSample);
  elsewhere->closeTrack(foreignTrack);
  closeSSL(elsewhere);
}

TEST(SSLShutDown, ClosingTheLibraryFreesWhatWasLeftOpen) {
  clearSSLRecordedCalls();
  SSL* ssl = openSSL(RECORDING_IMPLEMENTATION);
  ssl->openSample("left.wav");
  ssl->playTrack(ssl->openTrack("left.mid"));
  closeSSL(ssl);
  int released = 0;
  for (const SSLRecordedCall& call : sslRecordedCalls()) released += call.operation == "release";
  EXPECT_EQ(released, 2);
}

}  // namespace
