// Writes the game's sound effects and music into a data folder:
//     soundgen <output folder>
#include <cstdio>
#include <filesystem>
#include <string>

#include "soundgen/gametrack.h"
#include "soundgen/samples.h"
#include "soundgen/wave.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: soundgen OUTPUT_FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);

  bool ok = true;
  auto write = [&ok, &folder](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = (folder / name).string();
    if (!soundgen::writeBytes(path, bytes)) {
      std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
      ok = false;
    }
  };
  for (const soundgen::GeneratedSample& sample : soundgen::makeGameSamples()) {
    write(sample.fileName, soundgen::encodeWave(sample.pcm));
  }
  write("gametrack.mid", soundgen::encodeMidi(soundgen::composeGameTrack()));
  return ok ? 0 : 1;
}
