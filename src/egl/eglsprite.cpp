#include "egl/eglsprite.h"

#include <cstddef>

#include "dbg/dbg.h"

DBG_SOURCE("eglsprite");

EGLSpriteType::EGLSpriteType(EGL* egl, EGLBlender* blender, EGLTexture* texture,
                             std::int32_t frameColumnCount, std::int32_t frameRowCount, float width,
                             float height, float hotSpotX, float hotSpotY)
    : mEGL(egl),
      mBlender(blender),
      mTexture(texture),
      mFrameColumnCount(frameColumnCount),
      mFrameRowCount(frameRowCount),
      mWidth(width),
      mHeight(height),
      mHotSpotX(hotSpotX),
      mHotSpotY(hotSpotY) {
  DBG_ASSERT(mEGL);
  DBG_ASSERT(mBlender);
  DBG_ASSERT(mTexture);
  DBG_ASSERT(0 < mFrameColumnCount);
  DBG_ASSERT(0 < mFrameRowCount);
  DBG_ASSERT(0.0f < mWidth);
  DBG_ASSERT(0.0f < mHeight);
  mBlender->addHolder(this);
  mTexture->addHolder(this);
  openStream();
  openModels();
  DBG_ASSERT(invariant());
}

void EGLSpriteType::openStream() {
  DBG_ASSERT(0 == mModels.size());
  DBG_ASSERT(0 == mStream);
  const std::int32_t TEXTURE_COLUMN_COUNT = mTexture->image().columnCount();
  const std::int32_t TEXTURE_ROW_COUNT = mTexture->image().rowCount();
  DBG_ASSERT(0 == (TEXTURE_COLUMN_COUNT % mFrameColumnCount));
  DBG_ASSERT(0 == (TEXTURE_ROW_COUNT % mFrameRowCount));
  const std::int32_t frameWidth = TEXTURE_COLUMN_COUNT / mFrameColumnCount;
  const std::int32_t frameHeight = TEXTURE_ROW_COUNT / mFrameRowCount;
  const std::int32_t frames = frameCount();
  const auto VERTEX_COUNT = static_cast<std::size_t>(4 * frames);
  const auto vertexCount = static_cast<std::int32_t>(VERTEX_COUNT);

  mStream = mEGL->openStream(TEXTURED_VERTICES, vertexCount, 0);
  mEGL->beginChange(mStream);

  const std::vector<EGLColor> colorVector(VERTEX_COUNT, EGLColor(0xFFFFFFFF));
  DBG_ASSERT(VERTEX_COUNT == colorVector.size());
  mStream->setColors(0, EGLRange{0, vertexCount}, colorVector);

  // Every frame shares one rectangle around the hot spot, corners in strip order: top-left,
  // bottom-left, top-right, bottom-right (y grows upwards).
  const float x0 = -(mHotSpotX * mWidth);
  const float y0 = -(mHotSpotY * mHeight);
  const float x1 = x0 + mWidth;
  const float y1 = y0 + mHeight;
  std::vector<EGLVector> positionVector;
  positionVector.reserve(VERTEX_COUNT);
  for (std::int32_t frame = 0; frame < frames; ++frame) {
    positionVector.insert(positionVector.end(), {{x0, y1}, {x0, y0}, {x1, y1}, {x1, y0}});
  }
  DBG_ASSERT(VERTEX_COUNT == positionVector.size());
  mStream->setPositions(0, EGLRange{0, vertexCount}, positionVector);

  // The centres of each frame's corner texels, so that sampling never bleeds into a neighbour.
  std::vector<EGLVector> adressVector;
  adressVector.reserve(VERTEX_COUNT);
  for (std::int32_t row = 0; row < mFrameRowCount; ++row) {
    for (std::int32_t column = 0; column < mFrameColumnCount; ++column) {
      const std::int32_t left = column * frameWidth;
      const std::int32_t top = row * frameHeight;
      const std::int32_t right = left + frameWidth - 1;
      const std::int32_t bottom = top + frameHeight - 1;
      adressVector.insert(adressVector.end(),
                          {mTexture->adress(left, top), mTexture->adress(left, bottom),
                           mTexture->adress(right, top), mTexture->adress(right, bottom)});
    }
  }
  DBG_ASSERT(VERTEX_COUNT == adressVector.size());
  mStream->setAdresses(0, EGLRange{0, vertexCount}, adressVector);

  mEGL->endChange(mStream);
}

void EGLSpriteType::openModels() {
  DBG_ASSERT(0 == mModels.size());
  DBG_ASSERT(mStream);
  EGLInterpretation* interpretation = mEGL->interpretation(TRIANGLE_STRIP);
  EGLShading* shading = mEGL->shading(FLAT_SHADING);
  const auto FRAME_COUNT = static_cast<std::size_t>(frameCount());
  for (std::int32_t frame = 0; frame < frameCount(); ++frame) {
    mModels.push_back(
        mEGL->openModel(mStream, EGLRange{4 * frame, 4}, interpretation, shading, mBlender, mTexture));
  }
  DBG_ASSERT(FRAME_COUNT == mModels.size());
}

void EGLSpriteType::close() {
  DBG_ASSERT(invariant());
  for (EGLModel* model : mModels) mEGL->closeModel(model);
  mModels.clear();
  DBG_ASSERT(0 == mModels.size());
  mEGL->closeStream(mStream);
  mStream = nullptr;
  mTexture->removeHolder(this);
  mBlender->removeHolder(this);
}

bool EGLSpriteType::invariant() const {
  return EGLObject::invariant() && mEGL && mBlender && (1 <= mFrameColumnCount) && (1 <= mFrameRowCount) &&
         (0.0f < mWidth) && (0.0f < mHeight);
}

EGLModel* EGLSpriteType::model(std::int32_t frame) const {
  DBG_ASSERT("Frame within the grid." && (0 <= frame) && (frame < frameCount()));
  return mModels[static_cast<std::size_t>(frame)];
}

// A column past the end would silently show a frame of the next row, so both coordinates are
// checked, not only the model index.
void EGLSpriteType::draw(std::int32_t column, std::int32_t row) {
  DBG_ASSERT("Frame within the grid." && (0 <= column) && (column < mFrameColumnCount) && (0 <= row) &&
             (row < mFrameRowCount));
  mEGL->draw(mModels[static_cast<std::size_t>(column + row * mFrameColumnCount)]);
}

// ---------------------------------------------------------------------------------------------
// Sprites

EGLSprite::EGLSprite(EGLSpriteType* spriteType, std::int32_t column, std::int32_t row)
    : mSpriteType(spriteType), mFrameColumn(column), mFrameRow(row) {
  DBG_ASSERT(mSpriteType);
  mSpriteType->addHolder(this);
}

EGLSprite::~EGLSprite() {
  mSpriteType->removeHolder(this);
}

void EGLSprite::setFrame(std::int32_t column, std::int32_t row) {
  mFrameColumn = column;
  mFrameRow = row;
}

void EGLSprite::draw() {
  mSpriteType->draw(mFrameColumn, mFrameRow);
}

bool EGLSprite::invariant() const {
  return EGLObject::invariant() && mSpriteType;
}

// ---------------------------------------------------------------------------------------------

EGLSpriteType* openSpriteType(EGL* egl, EGLBlender* blender, EGLTexture* texture,
                              std::int32_t frameColumnCount, std::int32_t frameRowCount, float width,
                              float height, float hotSpotX, float hotSpotY) {
  EGLSpriteType* spriteType = new EGLSpriteType(egl, blender, texture, frameColumnCount, frameRowCount, width,
                                                height, hotSpotX, hotSpotY);
  DBG_ASSERT(spriteType);
  return spriteType;
}

void closeSpriteType(EGLSpriteType* spriteType) {
  DBG_ASSERT(spriteType);
  spriteType->close();
  delete spriteType;
}

EGLSprite* openSprite(EGLSpriteType* spriteType, std::int32_t column, std::int32_t row) {
  EGLSprite* sprite = new EGLSprite(spriteType, column, row);
  DBG_ASSERT(sprite);
  return sprite;
}

void closeSprite(EGLSprite* sprite) {
  DBG_ASSERT(sprite);
  delete sprite;
}
