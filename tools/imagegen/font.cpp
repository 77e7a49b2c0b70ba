// The glyph sheet: 16 x 16 cells, one per Latin-1 code, white with the coverage in alpha.
// Labels measure proportional widths from the non-zero texels of a cell, so every texel
// without ink must be exactly zero and every glyph starts at its cell's left edge.
#include <stdexcept>

#include "pictures.h"

namespace imagegen {

namespace {

bool isPrintable(int code) {
  return (code >= 32 && code < 127) || code >= 160;
}
bool isSpace(int code) {
  return code == 32 || code == 160;
}

int firstInkColumn(const FontFace::Glyph& glyph) {
  for (int column = 0; column < glyph.width; ++column) {
    for (int row = 0; row < glyph.rows; ++row) {
      if (glyph.coverage[row * glyph.width + column] != 0) return column;
    }
  }
  return 0;
}

int lastInkColumn(const FontFace::Glyph& glyph) {
  for (int column = glyph.width - 1; column >= 0; --column) {
    for (int row = 0; row < glyph.rows; ++row) {
      if (glyph.coverage[row * glyph.width + column] != 0) return column;
    }
  }
  return -1;
}

}  // namespace

Picture drawFontSheet(FontFace& face, int side) {
  const int cell = side / 16;
  // The cell's last column is never measured and a blank column before it keeps filtering
  // from touching the neighbour, so ink may use all columns but the last two.
  const int maxInkWidth = cell - 2;
  std::vector<FontFace::Glyph> glyphs(256);
  int pixelSize = cell;
  int ascent = 0;
  for (; pixelSize > 4; --pixelSize) {
    int maxAbove = 0, maxBelow = 0, maxWidth = 0;
    for (int code = 0; code < 256; ++code) {
      if (!isPrintable(code) || isSpace(code)) continue;
      glyphs[code] = face.render(static_cast<std::uint32_t>(code), pixelSize, pixelSize);
      const FontFace::Glyph& g = glyphs[code];
      if (!g.hasInk()) continue;
      maxAbove = std::max(maxAbove, g.top);
      maxBelow = std::max(maxBelow, g.rows - g.top);
      maxWidth = std::max(maxWidth, lastInkColumn(g) - firstInkColumn(g) + 1);
    }
    if (maxAbove + maxBelow <= cell && maxWidth <= maxInkWidth) {
      // Share the spare rows out so the letters sit in the middle of the cell.
      ascent = maxAbove + (cell - maxAbove - maxBelow) / 2;
      break;
    }
  }
  if (pixelSize <= 4) throw std::runtime_error("The font's glyphs do not fit the cells.");

  Picture picture(side, side);
  for (int code = 0; code < 256; ++code) {
    int cellX = (code % 16) * cell, cellY = (code / 16) * cell;
    if (isSpace(code)) {
      // Invisible but measured: a word gap of about a third of a cell.
      for (int row = 0; row < cell; ++row) {
        for (int column = 0; column < cell / 3; ++column)
          picture.at(cellX + column, cellY + row) = 0x00FFFFFF;
      }
      continue;
    }
    if (!isPrintable(code)) continue;
    const FontFace::Glyph& g = glyphs[code];
    int shift = firstInkColumn(g);
    for (int row = 0; row < g.rows; ++row) {
      for (int column = shift; column < g.width; ++column) {
        unsigned char c = g.coverage[row * g.width + column];
        if (c == 0) continue;
        int x = column - shift, y = ascent - g.top + row;
        picture.at(cellX + x, cellY + y) = (static_cast<Texel>(c) << 24) | 0x00FFFFFF;
      }
    }
  }
  return picture;
}

}  // namespace imagegen
