// The game's sound set: its thirteen samples, its one music track and the two sound switches of
// the settings menu. Every sound of the game goes through here.
//
// Start-up (after the platform, which owns the one SSL):   openSounds(soundLibrary());
// Shut-down (before the platform closes the SSL):          closeSounds();
// The sample and track files are found with egcFindDataFile (working directory first, then the
// installed data); a missing one ends start-up with an Error naming the file.
#pragma once

class SSL;

enum VPXSampleIDs {
  MIN_SAMPLE_ID = 0,
  PILL_PILL_BOUNCE_SAMPLE = 1,
  PILL_BLOB_BOUNCE_SAMPLE = 2,
  BLOB_BLOB_BOUNCE_SAMPLE = 3,
  PILL_EXPLOSION_SAMPLE = 4,
  BULLET_EXPLOSION_SAMPLE = 5,
  BLOB_EXPLOSION_SAMPLE = 6,
  RED_PILL_SAMPLE = 7,
  GREEN_PILL_SAMPLE = 8,
  YELLOW_PILL_SAMPLE = 9,
  FIRE_GUN_SAMPLE = 10,
  RELOAD_GUN_SAMPLE = 11,
  ACTIVATE_MENU_ITEM_SAMPLE = 12,
  SELECT_MENU_ITEM_SAMPLE = 13,
  MAX_SAMPLE_ID = 14,
};

enum VPXTrackIDs {
  MIN_TRACK_ID = 0,
  GAME_TRACK = 1,
  MAX_TRACK_ID = 2,
};

// Opens the samples and the track through the given SSL, then plays the game track. Each
// opening starts with sound effects and music switched on, as every program start does.
void openSounds(SSL* soundLibrary);
// Stops the music and closes the track and the samples; the SSL itself stays open.
void closeSounds();
bool samplesAreOpen();
bool tracksAreOpen();

// Plays a sample once; with sound effects switched off plays nothing and returns false.
bool playSound(int sampleID);
// Makes the track current (stopping the one before) and plays it from its beginning if music
// is switched on.
void playMusic(int trackID);
// Stops the current track, if it plays, and forgets it; nothing plays until the next playMusic.
void stopMusic();
// Flip a switch and return its new value. Switching music off stops the current track at once;
// switching it on replays the current track (if any) from its beginning.
bool switchSamples();
bool switchMusic();

bool samplesAreSwitchedOn();
bool musicIsSwitchedOn();
