#include "sound/vpxsound.h"

#include <cstdint>
#include <map>

#include "dbg/dbg.h"
#include "egc/egcdatafiles.h"
#include "ssl/ssl.h"

DBG_SOURCE("vpxsound");

namespace {

struct SoundFileRow {
  std::int32_t id;
  char name[128];
};

const SoundFileRow SAMPLE_TABLE[] = {
    {PILL_PILL_BOUNCE_SAMPLE, "pillpillbounce.wav"},
    {PILL_BLOB_BOUNCE_SAMPLE, "pillblobbounce.wav"},
    {BLOB_BLOB_BOUNCE_SAMPLE, "blobblobbounce.wav"},
    {PILL_EXPLOSION_SAMPLE, "pillexplosion.wav"},
    {BULLET_EXPLOSION_SAMPLE, "bulletexplosion.wav"},
    {BLOB_EXPLOSION_SAMPLE, "blobexplosion.wav"},
    {RED_PILL_SAMPLE, "redpill.wav"},
    {GREEN_PILL_SAMPLE, "greenpill.wav"},
    {YELLOW_PILL_SAMPLE, "yellowpill.wav"},
    {FIRE_GUN_SAMPLE, "firegun.wav"},
    {RELOAD_GUN_SAMPLE, "reloadgun.wav"},
    {ACTIVATE_MENU_ITEM_SAMPLE, "activatemenuitem.wav"},
    {SELECT_MENU_ITEM_SAMPLE, "selectmenuitem.wav"},
};

const SoundFileRow TRACK_TABLE[] = {
    {GAME_TRACK, "gametrack.mid"},
};

SSL* fSoundLibrary = nullptr;
bool fSamplesSwitchedOn = true;
bool fMusicSwitchedOn = true;
std::map<std::int32_t, SSLSample*> fSamples;
std::map<std::int32_t, SSLTrack*> fTracks;
SSLTrack* fCurrentTrack = nullptr;
bool fPlaying = false;

template <typename Object>
Object* lookUp(const std::map<std::int32_t, Object*>& objects, int id) {
  auto found = objects.find(id);
  return found == objects.end() ? nullptr : found->second;
}

void openSamples() {
  DBG_ASSERT(!samplesAreOpen());
  for (const SoundFileRow& row : SAMPLE_TABLE)
    fSamples[row.id] = fSoundLibrary->openSample(egcFindDataFile(row.name));
  DBG_ASSERT(samplesAreOpen());
}

void openTracks() {
  DBG_ASSERT(!tracksAreOpen());
  for (const SoundFileRow& row : TRACK_TABLE)
    fTracks[row.id] = fSoundLibrary->openTrack(egcFindDataFile(row.name));
  DBG_ASSERT(tracksAreOpen());
}

void stopCurrentTrack() {
  if (fCurrentTrack && fPlaying) {
    fSoundLibrary->stopTrack(fCurrentTrack);
    fPlaying = false;
  }
}

}  // namespace

bool samplesAreOpen() {
  return !fSamples.empty();
}

bool tracksAreOpen() {
  return !fTracks.empty();
}

void openSounds(SSL* soundLibrary) {
  DBG_ASSERT(!samplesAreOpen());
  DBG_ASSERT("Valid SSL." && soundLibrary);
  fSoundLibrary = soundLibrary;
  fSamplesSwitchedOn = true;
  fMusicSwitchedOn = true;
  fCurrentTrack = nullptr;
  fPlaying = false;
  openSamples();
  openTracks();
  playMusic(GAME_TRACK);
}

void closeSounds() {
  stopMusic();
  DBG_ASSERT(tracksAreOpen());
  for (auto it = fTracks.begin(); it != fTracks.end(); it = fTracks.erase(it))
    fSoundLibrary->closeTrack(it->second);
  DBG_ASSERT(!tracksAreOpen());
  DBG_ASSERT(samplesAreOpen());
  for (auto it = fSamples.begin(); it != fSamples.end(); it = fSamples.erase(it)) {
    fSoundLibrary->closeSample(it->second);
  }
  DBG_ASSERT(!samplesAreOpen());
  fSoundLibrary = nullptr;
}

bool playSound(int sampleID) {
  if (!fSamplesSwitchedOn) return false;
  DBG_ASSERT(samplesAreOpen());
  // An id outside the table finds no sample, which the sound library refuses.
  fSoundLibrary->playSample(lookUp(fSamples, sampleID));
  return true;
}

void playMusic(int trackID) {
  DBG_ASSERT(tracksAreOpen());
  stopCurrentTrack();
  fCurrentTrack = nullptr;
  SSLTrack* track = lookUp(fTracks, trackID);
  if (fMusicSwitchedOn) {
    fSoundLibrary->playTrack(track);
    fPlaying = true;
  }
  fCurrentTrack = track;
}

void stopMusic() {
  if (!fCurrentTrack) return;
  stopCurrentTrack();
  fCurrentTrack = nullptr;
}

bool switchSamples() {
  fSamplesSwitchedOn = !fSamplesSwitchedOn;
  return fSamplesSwitchedOn;
}

bool switchMusic() {
  fMusicSwitchedOn = !fMusicSwitchedOn;
  if (!fMusicSwitchedOn) {
    stopCurrentTrack();
  } else if (fCurrentTrack && !fPlaying) {
    fSoundLibrary->playTrack(fCurrentTrack);
    fPlaying = true;
  }
  return fMusicSwitchedOn;
}

bool samplesAreSwitchedOn() {
  return fSamplesSwitchedOn;
}

bool musicIsSwitchedOn() {
  return fMusicSwitchedOn;
}
