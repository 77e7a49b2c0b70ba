// FreeType access for the pictures that carry lettering: the font sheet, the logos and the
// point pills.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw.h"

namespace imagegen {

class FontFace {
 public:
  // Throws std::runtime_error when FreeType or the font file cannot be opened.
  explicit FontFace(const std::string& path);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  struct Glyph {
    int width = 0;  // bitmap size in pixels
    int rows = 0;
    int left = 0;                         // from the pen to the bitmap's left edge
    int top = 0;                          // from the baseline up to the bitmap's top row
    std::vector<unsigned char> coverage;  // rows x width, top row first
    bool hasInk() const;
  };

  // The glyph of a Unicode code point at a pixel size (width and height may differ, which
  // stretches the glyph), optionally slanted by shear (x += shear * height above baseline).
  Glyph render(std::uint32_t codePoint, int pixelWidth, int pixelHeight, double shear = 0.0);

  // A line of text (Latin-1 bytes) laid out with advances and kerning plus extraSpacing
  // pixels between letters, cropped to its ink and padded by pad pixels on every side.
  Mask renderText(const std::string& text, int pixelWidth, int pixelHeight, int pad, double shear = 0.0,
                  double extraSpacing = 0.0);

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

}  // namespace imagegen
