#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>

namespace imagegen {

struct FontFace::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

FontFace::FontFace(const std::string& path) : mImpl(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&mImpl->library) != 0) throw std::runtime_error("FreeType could not be started.");
  if (FT_New_Face(mImpl->library, path.c_str(), 0, &mImpl->face) != 0) {
    FT_Done_FreeType(mImpl->library);
    throw std::runtime_error("Font file " + path + " could not be opened.");
  }
}

FontFace::~FontFace() {
  FT_Done_Face(mImpl->face);
  FT_Done_FreeType(mImpl->library);
}

bool FontFace::Glyph::hasInk() const {
  for (unsigned char c : coverage) {
    if (c != 0) return true;
  }
  return false;
}

namespace {

void setSizeAndSlant(FT_Face face, int pixelWidth, int pixelHeight, double shear) {
  FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(pixelWidth), static_cast<FT_UInt>(pixelHeight));
  FT_Matrix matrix{0x10000, static_cast<FT_Fixed>(std::lround(shear * 0x10000)), 0, 0x10000};
  FT_Set_Transform(face, &matrix, nullptr);
}

}  // namespace

FontFace::Glyph FontFace::render(std::uint32_t codePoint, int pixelWidth, int pixelHeight, double shear) {
  FT_Face face = mImpl->face;
  setSizeAndSlant(face, pixelWidth, pixelHeight, shear);
  Glyph glyph;
  FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0) return glyph;
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.left = face->glyph->bitmap_left;
  glyph.top = face->glyph->bitmap_top;
  glyph.coverage.resize(glyph.width * glyph.rows);
  for (int row = 0; row < glyph.rows; ++row) {
    for (int column = 0; column < glyph.width; ++column) {
      glyph.coverage[row * glyph.width + column] = bitmap.buffer[row * bitmap.pitch + column];
    }
  }
  return glyph;
}

Mask FontFace::renderText(const std::string& text, int pixelWidth, int pixelHeight, int pad, double shear,
                          double extraSpacing) {
  FT_Face face = mImpl->face;
  struct Placed {
    Glyph glyph;
    double penX;
  };
  std::vector<Placed> placed;
  double pen = 0.0;
  FT_UInt previous = 0;
  for (unsigned char byte : text) {
    setSizeAndSlant(face, pixelWidth, pixelHeight, shear);
    FT_UInt index = FT_Get_Char_Index(face, byte);
    if (previous != 0 && index != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kerning;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kerning) == 0) pen += kerning.x / 64.0;
    }
    double advance = 0.0;
    if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) == 0) {
      advance = face->glyph->linearHoriAdvance / 65536.0;
    }
    placed.push_back({render(byte, pixelWidth, pixelHeight, shear), pen});
    pen += advance + extraSpacing;
    previous = index;
  }
  // Ink box over all glyphs, in pixels relative to the pen origin and the baseline (y down).
  int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
  for (const Placed& p : placed) {
    if (!p.glyph.hasInk()) continue;
    int x0 = static_cast<int>(std::lround(p.penX)) + p.glyph.left;
    minX = std::min(minX, x0);
    maxX = std::max(maxX, x0 + p.glyph.width);
    minY = std::min(minY, -p.glyph.top);
    maxY = std::max(maxY, -p.glyph.top + p.glyph.rows);
  }
  if (minX > maxX) return Mask(2 * pad, 2 * pad);
  Mask mask(maxX - minX + 2 * pad, maxY - minY + 2 * pad);
  for (const Placed& p : placed) {
    int x0 = static_cast<int>(std::lround(p.penX)) + p.glyph.left - minX + pad;
    int y0 = -p.glyph.top - minY + pad;
    for (int row = 0; row < p.glyph.rows; ++row) {
      for (int column = 0; column < p.glyph.width; ++column) {
        float& v = mask.at(x0 + column, y0 + row);
        // Overlapping neighbours (kerned pairs) add their coverage, up to full ink.
        v = std::min(1.0f, v + p.glyph.coverage[row * p.glyph.width + column] / 255.0f);
      }
    }
  }
  return mask;
}

}  // namespace imagegen
