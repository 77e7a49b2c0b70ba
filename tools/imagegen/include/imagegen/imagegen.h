// The picture generator: draws every picture the game loads and writes them in the game's own
// image format, plus the starting hall of fame. Everything is drawn by code (procedural shapes
// and FreeType-rendered DejaVu glyphs), so the build needs no binary art.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imagegen {

// One texel as the game reads it: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using Texel = std::uint32_t;

struct Picture {
  int columns = 0;
  int rows = 0;
  std::vector<Texel> texels;  // row by row, top row first

  Picture() = default;
  Picture(int columnCount, int rowCount)
      : columns(columnCount), rows(rowCount), texels(columnCount * rowCount) {}
  Texel& at(int column, int row) { return texels[row * columns + column]; }
  Texel at(int column, int row) const { return texels[row * columns + column]; }
};

// How the game blends a picture onto the screen; the previews composite the same way.
enum class Blending { Opaque, Alpha, Additive };

struct PictureInfo {
  const char* fileName;
  int side;  // texels; every picture is square with a power-of-two side
  int frameColumns;
  int frameRows;
  Blending blending;
  // The size the game usually draws the whole sheet at, in world units, for the previews.
  int previewWidth;
  int previewHeight;
};

// The eleven pictures in the order the game loads them.
const std::vector<PictureInfo>& pictureTable();
const PictureInfo& pictureInfo(const std::string& fileName);

// Draws the named picture. fontPath is the TrueType file the glyphs come from.
Picture drawPicture(const std::string& fileName, const std::string& fontPath);

// Serialises a picture in the game's image format: "EGLImage", column and row counts as
// big-endian 32-bit integers, then every texel as alpha, red, green, blue bytes.
std::string encodeEglImage(const Picture& picture);
// Writes the encoding to a file; throws std::runtime_error when the file cannot be written.
void writeEglImage(const std::string& path, const Picture& picture);

// The hall of fame a fresh installation starts with: ten records of a name line and a score
// line, best first, every line ending in a line feed.
std::string startingHighscores();

// Debug aid: writes the picture as a PNG composited on dark grey the way the game blends it,
// stretched to its preview size. Needs ImageMagick; throws std::runtime_error on failure.
void writePreviewPng(const std::string& path, const Picture& picture, const PictureInfo& info);

// Debug aid: composes all pictures into three 800 x 600 screens laid out like the game's play
// field, intro and hall of fame (mockup-game.png, mockup-intro.png, mockup-score.png).
void writeMockups(const std::string& directory, const std::string& fontPath);

}  // namespace imagegen
