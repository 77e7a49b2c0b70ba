#include "sslmixer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "dbg/dbg.h"

DBG_SOURCE("sslimp");

namespace {

constexpr int CHUNK_FRAMES = 1024;  // about 23 ms: short enough that a shot sounds with its flash

class MixerSegment final : public SSLSegment {
 public:
  Mix_Chunk* chunk = nullptr;
  bool isTrack = false;
  std::string fileName;        // a track's, loaded whenever it is played
  Mix_Music* music = nullptr;  // a track's while it plays; never without a soundfont (silent)
  int loops = 0;               // SDL_mixer's count: 0 once, -1 forever
};

MixerSegment* mixerSegment(SSLSegment* segment) {
  DBG_ASSERT("Valid segment." && segment);
  return static_cast<MixerSegment*>(segment);
}

// SDL_mixer's own message, copied before anything else can overwrite it.
[[noreturn]] void failWithMixerError() {
  DBG_FAIL_TEXT(std::string(Mix_GetError()));
}

bool openAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(SSL_MIXING_RATE, MIX_DEFAULT_FORMAT, 2, CHUNK_FRAMES) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

class MixerBackEnd final : public SSLBackEnd {
 public:
  explicit MixerBackEnd(const std::vector<std::string>& soundFontCandidates) {
    if (!openAudio()) {
      // A machine without a working sound card still plays the game, silently.
      std::string reason = Mix_GetError();
      std::fprintf(stderr, "Vorplex: no audio device (%s); the game runs without sound.\n", reason.c_str());
      SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
      const bool opened = openAudio();
      SDL_ResetHint(SDL_HINT_AUDIODRIVER);
      if (!opened) failWithMixerError();
    }
    Mix_AllocateChannels(SSL_MIXING_CHANNELS);
    Mix_Volume(-1, SSL_EFFECTS_VOLUME);
    Mix_VolumeMusic(SSL_MUSIC_VOLUME);
    mMidiInitialised = (Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) != 0;

    // FluidSynth given a missing soundfont loads tracks "successfully" and plays silence, so
    // only an existing file is handed over.
    const std::string soundFont = sslFindSoundFont(soundFontCandidates);
    mMusicAvailable = mMidiInitialised && !soundFont.empty() && Mix_SetSoundFonts(soundFont.c_str()) != 0;
    if (!mMusicAvailable) {
      std::fprintf(stderr, "Vorplex: no MIDI soundfont found; the game runs without music.\n");
    }
  }

  ~MixerBackEnd() override {
    stopAll();
    Mix_CloseAudio();
    if (mMidiInitialised) Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool isReady() const override { return Mix_QuerySpec(nullptr, nullptr, nullptr) != 0; }

  SSLSegment* loadSegment(const std::string& fileName, SSLSegmentKind kind) override {
    auto segment = std::make_unique<MixerSegment>();
    if (kind == SSLSegmentKind::SAMPLE) {
      // Opened here so that a missing file is reported by its name.
      SDL_RWops* file = SDL_RWFromFile(fileName.c_str(), "rb");
      if (!file) failWithMixerError();
      segment->chunk = Mix_LoadWAV_RW(file, 1);
      if (!segment->chunk) failWithMixerError();
    } else {
      segment->isTrack = true;
      segment->fileName = fileName;
      if (mMusicAvailable) {
        // Loaded once now so that a bad file ends start-up; loaded again when played.
        Mix_Music* music = Mix_LoadMUS(fileName.c_str());
        if (!music) failWithMixerError();
        Mix_FreeMusic(music);
      } else {
        // Without a soundfont the track cannot sound, but a missing file is still an error.
        SDL_RWops* file = SDL_RWFromFile(fileName.c_str(), "rb");
        if (!file) failWithMixerError();
        SDL_RWclose(file);
      }
    }
    return segment.release();
  }

  void setRepeats(SSLSegment* segment, bool forever) override {
    mixerSegment(segment)->loops = forever ? -1 : 0;
  }

  // Samples are decoded when they are loaded. A MIDI player that was halted keeps its place
  // (and rewinding it skips the notes on its first tick), so a track is loaded afresh each
  // time it is played and let go when it stops: every play starts from the top.
  void download(SSLSegment* segment) override {
    MixerSegment* s = mixerSegment(segment);
    if (!s->isTrack || s->music || !mMusicAvailable) return;
    s->music = Mix_LoadMUS(s->fileName.c_str());
    if (!s->music) failWithMixerError();
  }

  void unload(SSLSegment* segment) override {
    MixerSegment* s = mixerSegment(segment);
    if (s->isTrack && s->music) {
      Mix_FreeMusic(s->music);
      s->music = nullptr;
    }
  }

  void playPrimary(SSLSegment* segment) override {
    MixerSegment* s = mixerSegment(segment);
    if (s->music && Mix_PlayMusic(s->music, s->loops) != 0) failWithMixerError();
  }

  void playSecondary(SSLSegment* segment) override {
    MixerSegment* s = mixerSegment(segment);
    DBG_ASSERT("Valid segment." && s->chunk);
    int channel = Mix_PlayChannel(-1, s->chunk, s->loops);
    if (channel < 0) {
      // Every voice is busy: the sound that started longest ago gives way to the new one.
      const int oldest = Mix_GroupOldest(-1);
      if (oldest >= 0) channel = Mix_PlayChannel(oldest, s->chunk, s->loops);
    }
    if (channel < 0) failWithMixerError();
  }

  void stop(SSLSegment* segment) override {
    if (mixerSegment(segment)->music) Mix_HaltMusic();
  }

  void stopAll() override {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
  }

  void release(SSLSegment* segment) override {
    MixerSegment* s = mixerSegment(segment);
    if (s->chunk) Mix_FreeChunk(s->chunk);
    if (s->music) Mix_FreeMusic(s->music);
    delete s;
  }

 private:
  bool mMidiInitialised = false;
  bool mMusicAvailable = false;
};

}  // namespace

std::vector<std::string> sslSoundFontCandidates() {
  std::vector<std::string> candidates;
  if (const char* fromEnvironment = std::getenv("SDL_SOUNDFONTS")) {
    std::string list = fromEnvironment;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find_first_of(";:", start);
      if (end == std::string::npos) end = list.size();
      if (end > start) candidates.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3",
                           "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                           "/usr/share/sounds/sf3/MuseScore_General.sf3", "/usr/share/soundfonts/default.sf2",
                           "/usr/share/soundfonts/FluidR3_GM.sf2"}) {
    candidates.push_back(path);
  }
  return candidates;
}

std::string sslFindSoundFont(const std::vector<std::string>& candidates) {
  std::error_code ec;
  for (const std::string& path : candidates) {
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return "";
}

std::unique_ptr<SSLBackEnd> openMixerBackEnd(const std::vector<std::string>& soundFontCandidates) {
  return std::make_unique<MixerBackEnd>(soundFontCandidates);
}
