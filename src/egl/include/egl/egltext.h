// Fonts and labels.
//
// A font cuts one texture into 16 x 16 glyph cells, one per 8-bit character code (code c in cell
// column c mod 16, cell row c div 16, row 0 at the top), and measures once how wide each glyph
// is. A label turns a string into one indexed stream with a quad per character and one model, so
// a whole line of text is a single draw call. Like sprites, labels are placed by the transforms
// pushed on the EGL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "egl/egl.h"
#include "egl/egltypes.h"

enum EGLWidthMode : std::int32_t {
  MIN_WIDTH_MODE = 0,  // exclusive
  // Every glyph is a whole cell wide.
  FIXED_WIDTH = 1,
  // Every glyph is as wide as the ink in its cell.
  PROPORTIONAL_WIDTH = 2,
  MAX_WIDTH_MODE = 3,  // exclusive
};

// One character's size in world units and the texture addresses of its ink.
struct EGLGlyph {
  float width = 0.0f;
  float height = 0.0f;
  float firstU = 0.0f;   // the first ink column's texel centre
  float lastU = 0.0f;    // the last ink column's texel centre
  float topV = 0.0f;     // the cell's top texel row
  float bottomV = 0.0f;  // the cell's bottom texel row

  // Corners 1 to 4: top-left, bottom-left, top-right, bottom-right. Any other is an Error.
  EGLVector adress(std::int32_t corner) const;
  // The corner's offset from the pen position, the pen being at the bottom-left.
  EGLVector offset(std::int32_t corner) const;
};

class EGLFont : public EGLObject {
 public:
  static constexpr std::int32_t GLYPH_COLUMN_COUNT = 16;
  static constexpr std::int32_t GLYPH_ROW_COUNT = 16;
  static constexpr std::size_t GLYPH_COUNT = 256;

  // Measures the glyphs; a texture whose sides are not multiples of 16, an unknown width mode, a
  // negative space or a non-positive frame size is an assertion.
  EGLFont(EGLTexture* texture, std::int32_t widthMode, float glyphSpaceX, float glyphSpaceY, float frameWidth,
          float frameHeight);
  ~EGLFont() override;

  const EGLGlyph& glyph(unsigned char code) const { return mGlyphs[code]; }
  std::int32_t widthMode() const { return mWidthMode; }
  float glyphSpaceX() const { return mGlyphSpaceX; }
  float glyphSpaceY() const { return mGlyphSpaceY; }
  float frameWidth() const { return mFrameWidth; }
  float frameHeight() const { return mFrameHeight; }
  EGLTexture* texture() const { return mFontTexture; }

  bool invariant() const override;

 private:
  void measureGlyphs();

  EGLTexture* mFontTexture;
  std::int32_t mWidthMode;
  float mGlyphSpaceX;
  float mGlyphSpaceY;
  float mFrameWidth;
  float mFrameHeight;
  std::vector<EGLGlyph> mGlyphs;
};

// A line of text. Its origin lies anchorX of its width from the left and anchorY of its height
// from the bottom. An empty text is 0 wide, keeps no stream or model and draws nothing.
class EGLLabel : public EGLObject {
 public:
  EGLLabel(EGL* egl, EGLFont* font, EGLBlender* blender, const std::string& text, float anchorX,
           float anchorY, EGLColor color);

  // Recolours every vertex; positions, addresses and indices stay.
  void setColor(EGLColor color);
  // Rebuilds the label for the new text.
  void setText(const std::string& text);
  // One indexed draw call for the whole text, inside a scene.
  void draw();

  float width() const { return mWidth; }
  float height() const { return mHeight; }
  const std::string& text() const { return mText; }
  EGLColor color() const { return mColor; }
  EGLFont* font() const { return mFont; }
  // Null while the text is empty.
  EGLStream* stream() const { return mStream; }
  EGLModel* model() const { return mModel; }

  bool invariant() const override;

 private:
  // Destroyed through closeLabel, which closes its model and stream first (the EGL checks those,
  // and a destructor cannot report).
  ~EGLLabel() override = default;
  friend void closeLabel(EGLLabel* label);
  void build();
  void release();
  void writeColors();

  EGL* mEGL;
  EGLFont* mFont;
  EGLBlender* mBlender;
  std::string mText;
  EGLRatio mAnchorX;
  EGLRatio mAnchorY;
  EGLColor mColor;
  float mHeight = 0.0f;
  float mWidth = 0.0f;
  EGLStream* mStream = nullptr;
  EGLModel* mModel = nullptr;
};

EGLFont* openFont(EGLTexture* texture, std::int32_t widthMode, float glyphSpaceX, float glyphSpaceY,
                  float frameWidth, float frameHeight);
void closeFont(EGLFont* font);
EGLLabel* openLabel(EGL* egl, EGLFont* font, EGLBlender* blender, const std::string& text, float anchorX,
                    float anchorY, EGLColor color);
// Closes its model and stream through the EGL and destroys it.
void closeLabel(EGLLabel* label);
