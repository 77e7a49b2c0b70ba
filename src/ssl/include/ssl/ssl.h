// The game's sound library: samples that play once and overlap, and one looping music track.
//
// The platform opens exactly one SSL at start-up (openSSL(DIRECT_AUDIO_IMPLEMENTATION)) and the
// game's sound set uses it; closeSSL at shut-down. Samples and tracks are created and destroyed
// through the SSL that owns them. Every misuse raises DBGException.
#pragma once

#include <set>
#include <string>

// Opaque: created by SSL::openSample / SSL::openTrack, deleted by the matching close.
class SSLSample;
class SSLTrack;

enum SSLImplementations {
  // Real audio through SDL2_mixer. Falls back to SDL's silent "dummy" driver when there is no
  // working audio device, and plays without music when no MIDI soundfont is installed; both
  // say so once on standard error.
  DIRECT_AUDIO_IMPLEMENTATION = 1,
  // Touches no audio device and reads no file: remembers what it was asked to do, for tests of
  // the code that drives the sound (see ssl/sslrecording.h).
  RECORDING_IMPLEMENTATION = 2,
};

class SSL {
 public:
  virtual ~SSL();
  virtual void closeSample(SSLSample* sample) = 0;
  virtual void closeTrack(SSLTrack* track) = 0;
  // Loads the file at once (a missing or unreadable file raises an Error with the back end's
  // message); the sample is ready to play when this returns.
  virtual SSLSample* openSample(const std::string& fileName) = 0;
  // Loads a MIDI (or other music) file; it is prepared for playing only when it is played.
  virtual SSLTrack* openTrack(const std::string& fileName) = 0;
  // Starts the track from its beginning, looping until stopTrack. One track at a time.
  virtual void playTrack(SSLTrack* track) = 0;
  // Plays the sample once, mixed over the track and over other samples (the same sample
  // included). When every mixing channel is busy the oldest sound gives way.
  virtual void playSample(SSLSample* sample) = 0;
  virtual void stopTrack(SSLTrack* track) = 0;
  virtual std::set<SSLSample*> samples() const = 0;
  virtual std::set<SSLTrack*> tracks() const = 0;
};

SSL* openSSL(int implementation);
void closeSSL(SSL* ssl);
