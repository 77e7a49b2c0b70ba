// vorplex_imagegen OUTPUT_DIR [--png PREVIEW_DIR] [--font FONT_FILE] [--only FILE]
// Writes the game's pictures and its starting hall of fame into OUTPUT_DIR; with --png it
// also writes a PNG preview of every picture for looking at them.
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "imagegen/imagegen.h"

namespace {

int usage() {
  std::cerr << "usage: vorplex_imagegen OUTPUT_DIR [--png PREVIEW_DIR] [--font FONT_FILE] [--only FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string outputDir = argv[1];
  std::string previewDir;
  std::string only;
  std::string fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
  for (int i = 2; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc) return usage();
    if (option == "--png") {
      previewDir = argv[++i];
    } else if (option == "--font") {
      fontPath = argv[++i];
    } else if (option == "--only") {
      only = argv[++i];
    } else {
      return usage();
    }
  }
  try {
    if (!only.empty()) imagegen::pictureInfo(only);  // refuses a name that is not one of the pictures
    for (const imagegen::PictureInfo& info : imagegen::pictureTable()) {
      if (!only.empty() && only != info.fileName) continue;
      imagegen::Picture picture = imagegen::drawPicture(info.fileName, fontPath);
      imagegen::writeEglImage(outputDir + "/" + info.fileName, picture);
      if (!previewDir.empty()) {
        std::string name = info.fileName;
        imagegen::writePreviewPng(previewDir + "/" + name.substr(0, name.size() - 4) + ".png", picture, info);
      }
    }
    if (!previewDir.empty() && only.empty()) imagegen::writeMockups(previewDir, fontPath);
    if (only.empty()) {
      std::string path = outputDir + "/highscores.txt";
      std::string text = imagegen::startingHighscores();
      std::ofstream file(path, std::ios::binary | std::ios::trunc);
      file << text;
      file.close();
      if (!file) {
        std::cerr << "vorplex_imagegen: could not write " << path << "\n";
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "vorplex_imagegen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
