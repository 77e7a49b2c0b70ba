#include "egl/egltext.h"

#include <algorithm>
#include <cstddef>

#include "dbg/dbg.h"

DBG_SOURCE("egltext");

EGLVector EGLGlyph::adress(std::int32_t corner) const {
  switch (corner) {
    case 1:
      return EGLVector{firstU, topV};
    case 2:
      return EGLVector{firstU, bottomV};
    case 3:
      return EGLVector{lastU, topV};
    case 4:
      return EGLVector{lastU, bottomV};
    default:
      DBG_ERROR("unknown corner.");
  }
}

EGLVector EGLGlyph::offset(std::int32_t corner) const {
  switch (corner) {
    case 1:
      return EGLVector{0.0f, height};
    case 2:
      return EGLVector{0.0f, 0.0f};
    case 3:
      return EGLVector{width, height};
    case 4:
      return EGLVector{width, 0.0f};
    default:
      DBG_ERROR("unknown corner.");
  }
}

// ---------------------------------------------------------------------------------------------
// Fonts

EGLFont::EGLFont(EGLTexture* texture, std::int32_t widthMode, float glyphSpaceX, float glyphSpaceY,
                 float frameWidth, float frameHeight)
    : mFontTexture(texture),
      mWidthMode(widthMode),
      mGlyphSpaceX(glyphSpaceX),
      mGlyphSpaceY(glyphSpaceY),
      mFrameWidth(frameWidth),
      mFrameHeight(frameHeight) {
  DBG_ASSERT(mFontTexture);
  DBG_ASSERT((MIN_WIDTH_MODE < mWidthMode) && (mWidthMode < MAX_WIDTH_MODE));
  DBG_ASSERT(0.0f <= mGlyphSpaceX);
  DBG_ASSERT(0.0f <= mGlyphSpaceY);
  DBG_ASSERT(0.0f < mFrameWidth);
  DBG_ASSERT(0.0f < mFrameHeight);
  mFontTexture->addHolder(this);
  measureGlyphs();
  DBG_ASSERT(invariant());
}

EGLFont::~EGLFont() {
  mFontTexture->removeHolder(this);
}

void EGLFont::measureGlyphs() {
  DBG_ASSERT(0 == mGlyphs.size());
  DBG_ASSERT(0 == (mFontTexture->image().columnCount() % GLYPH_COLUMN_COUNT));
  DBG_ASSERT(0 == (mFontTexture->image().rowCount() % GLYPH_ROW_COUNT));
  const EGLImage& image = mFontTexture->image();
  const std::int32_t cellWidth = image.columnCount() / GLYPH_COLUMN_COUNT;
  const std::int32_t cellHeight = image.rowCount() / GLYPH_ROW_COUNT;
  for (std::int32_t code = 0; code < static_cast<std::int32_t>(GLYPH_COUNT); ++code) {
    const std::int32_t MIN_FRAME_COLUMN = (code % GLYPH_COLUMN_COUNT) * cellWidth;
    const std::int32_t MAX_FRAME_COLUMN = MIN_FRAME_COLUMN + cellWidth - 1;
    const std::int32_t top = (code / GLYPH_COLUMN_COUNT) * cellHeight;
    const std::int32_t bottom = top + cellHeight - 1;
    std::int32_t glyphMinColumn = MIN_FRAME_COLUMN;
    std::int32_t glyphMaxColumn = MAX_FRAME_COLUMN;
    float glyphWidth = 0.0f;
    const float glyphHeight = mFrameHeight;
    switch (mWidthMode) {
      case FIXED_WIDTH:
        glyphWidth = mFrameWidth;
        break;
      case PROPORTIONAL_WIDTH:
        // The cell's last column is left out of the scan: the glyph sheets keep it as the gap
        // to the next cell, so ink there never counts.
        glyphMinColumn = MAX_FRAME_COLUMN;
        glyphMaxColumn = MIN_FRAME_COLUMN;
        for (std::int32_t row = top; row <= bottom; ++row) {
          for (std::int32_t column = MIN_FRAME_COLUMN; column < MAX_FRAME_COLUMN; ++column) {
            if (0 != image.texel(column, row).value()) {
              glyphMinColumn = std::min(glyphMinColumn, column);
              glyphMaxColumn = std::max(glyphMaxColumn, column);
            }
          }
        }
        if (glyphMaxColumn < glyphMinColumn) glyphMaxColumn = glyphMinColumn;
        glyphWidth = static_cast<float>(glyphMaxColumn - glyphMinColumn + 1) / static_cast<float>(cellWidth) *
                     mFrameWidth;
        break;
      default:
        DBG_ERROR("Unknown width mode");
    }
    DBG_ASSERT((MIN_FRAME_COLUMN <= glyphMinColumn) && (glyphMinColumn <= glyphMaxColumn) &&
               (glyphMaxColumn <= MAX_FRAME_COLUMN));
    DBG_ASSERT(0.0f <= glyphWidth);
    DBG_ASSERT(0.0f <= glyphHeight);
    mGlyphs.push_back(EGLGlyph{glyphWidth, glyphHeight, mFontTexture->adressU(glyphMinColumn),
                               mFontTexture->adressU(glyphMaxColumn), mFontTexture->adressV(top),
                               mFontTexture->adressV(bottom)});
  }
  DBG_ASSERT(GLYPH_COUNT == mGlyphs.size());
}

bool EGLFont::invariant() const {
  return EGLObject::invariant() && mFontTexture && (MIN_WIDTH_MODE < mWidthMode) &&
         (mWidthMode < MAX_WIDTH_MODE) && (0.0f <= mGlyphSpaceX) && (0.0f <= mGlyphSpaceY) &&
         (0.0f < mFrameWidth) && (0.0f < mFrameHeight);
}

// ---------------------------------------------------------------------------------------------
// Labels

EGLLabel::EGLLabel(EGL* egl, EGLFont* font, EGLBlender* blender, const std::string& text, float anchorX,
                   float anchorY, EGLColor color)
    : mEGL(egl),
      mFont(font),
      mBlender(blender),
      mText(text),
      mAnchorX(anchorX),
      mAnchorY(anchorY),
      mColor(color) {
  DBG_ASSERT(mEGL);
  DBG_ASSERT(mFont);
  DBG_ASSERT(mBlender);
  mFont->addHolder(this);
  mBlender->addHolder(this);
  build();
}

bool EGLLabel::invariant() const {
  return EGLObject::invariant() && mEGL && mFont && mBlender && ((nullptr == mStream) == mText.empty()) &&
         ((nullptr == mModel) == (nullptr == mStream));
}

// An empty text would need a stream with no indices, which the device cannot hold; such a label
// simply has nothing to draw.
void EGLLabel::build() {
  DBG_ASSERT(!mStream);
  DBG_ASSERT(!mModel);
  const auto characterCount = static_cast<std::int32_t>(mText.size());
  const float glyphSpaceX = mFont->glyphSpaceX();
  mHeight = mFont->frameHeight();
  mWidth = 0.0f;
  if (0 == characterCount) return;
  for (unsigned char code : mText) mWidth += mFont->glyph(code).width;
  mWidth += glyphSpaceX * static_cast<float>(characterCount - 1);

  const std::int32_t vertexCount = 4 * characterCount;
  const std::int32_t indexCount = 6 * characterCount;
  mStream = mEGL->openStream(TEXTURED_VERTICES, vertexCount, indexCount);
  mModel = mEGL->openModel(mStream, EGLRange{0, mStream->indexCount()}, mEGL->interpretation(TRIANGLE_LIST),
                           mEGL->shading(FLAT_SHADING), mBlender, mFont->texture());
  mEGL->beginChange(mStream);
  writeColors();

  std::vector<EGLVector> positions;
  std::vector<EGLVector> adresses;
  std::vector<std::int32_t> indices;
  positions.reserve(static_cast<std::size_t>(vertexCount));
  adresses.reserve(static_cast<std::size_t>(vertexCount));
  indices.reserve(static_cast<std::size_t>(indexCount));
  EGLVector pen{-(mAnchorX * mWidth), -(mAnchorY * mHeight)};
  std::int32_t first = 0;
  for (unsigned char code : mText) {
    const EGLGlyph& glyph = mFont->glyph(code);
    for (std::int32_t corner = 1; corner <= 4; ++corner) {
      const EGLVector offset = glyph.offset(corner);
      positions.push_back(EGLVector{pen.x + offset.x, pen.y + offset.y});
      adresses.push_back(glyph.adress(corner));
    }
    indices.insert(indices.end(), {first, first + 1, first + 2, first + 1, first + 2, first + 3});
    pen.x += glyph.width + glyphSpaceX;
    first += 4;
  }
  mStream->setPositions(0, EGLRange{0, vertexCount}, positions);
  mStream->setAdresses(0, EGLRange{0, vertexCount}, adresses);
  mStream->setIndices(0, EGLRange{0, indexCount}, indices);
  mEGL->endChange(mStream);
  DBG_ASSERT(invariant());
}

void EGLLabel::release() {
  if (mModel) mEGL->closeModel(mModel);
  if (mStream) mEGL->closeStream(mStream);
  mModel = nullptr;
  mStream = nullptr;
}

void EGLLabel::writeColors() {
  const std::int32_t vertexCount = mStream->vertexCount();
  const std::vector<EGLColor> colors(static_cast<std::size_t>(vertexCount), mColor);
  mStream->setColors(0, EGLRange{0, vertexCount}, colors);
}

void EGLLabel::setColor(EGLColor color) {
  DBG_ASSERT(invariant());
  mColor = color;
  if (!mStream) return;
  mEGL->beginChange(mStream);
  writeColors();
  mEGL->endChange(mStream);
}

void EGLLabel::setText(const std::string& text) {
  DBG_ASSERT(invariant());
  release();
  mText = text;
  build();
}

void EGLLabel::draw() {
  DBG_ASSERT(invariant());
  if (mModel) mEGL->draw(mModel);
}

// ---------------------------------------------------------------------------------------------

EGLFont* openFont(EGLTexture* texture, std::int32_t widthMode, float glyphSpaceX, float glyphSpaceY,
                  float frameWidth, float frameHeight) {
  EGLFont* font = new EGLFont(texture, widthMode, glyphSpaceX, glyphSpaceY, frameWidth, frameHeight);
  DBG_ASSERT(font);
  return font;
}

void closeFont(EGLFont* font) {
  DBG_ASSERT(font);
  delete font;
}

EGLLabel* openLabel(EGL* egl, EGLFont* font, EGLBlender* blender, const std::string& text, float anchorX,
                    float anchorY, EGLColor color) {
  EGLLabel* label = new EGLLabel(egl, font, blender, text, anchorX, anchorY, color);
  DBG_ASSERT(label);
  return label;
}

void closeLabel(EGLLabel* label) {
  DBG_ASSERT(label);
  DBG_ASSERT(label->invariant());
  label->release();
  label->mBlender->removeHolder(label);
  label->mFont->removeHolder(label);
  delete label;
}
