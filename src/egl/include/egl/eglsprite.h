// Sprite types and sprites: one texture cut into a grid of equally sized frames, each drawn as a
// textured rectangle.
//
// A sprite type prepares everything once (one stream with four vertices per frame, one model per
// frame), so drawing a frame moves no vertex data. A sprite is a light handle on a sprite type
// and the frame to show; it has no position, rotation, scale or colour of its own: whoever draws
// it pushes transforms on the EGL first and pops them afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "egl/egl.h"
#include "egl/egltypes.h"

class EGLSpriteType : public EGLObject {
 public:
  // Builds the stream and the models; a texture that does not divide evenly into the grid, a
  // non-positive frame count or size, or a hot spot outside 0..1 is an assertion.
  EGLSpriteType(EGL* egl, EGLBlender* blender, EGLTexture* texture, std::int32_t frameColumnCount,
                std::int32_t frameRowCount, float width, float height, float hotSpotX, float hotSpotY);

  std::int32_t frameColumnCount() const { return mFrameColumnCount; }
  std::int32_t frameRowCount() const { return mFrameRowCount; }
  std::int32_t frameCount() const { return mFrameColumnCount * mFrameRowCount; }
  float width() const { return mWidth; }
  float height() const { return mHeight; }
  EGLRatio hotSpotX() const { return mHotSpotX; }
  EGLRatio hotSpotY() const { return mHotSpotY; }
  EGL* egl() const { return mEGL; }
  EGLBlender* blender() const { return mBlender; }
  EGLTexture* texture() const { return mTexture; }
  EGLStream* stream() const { return mStream; }
  // Frame k (= column + row * frameColumnCount()) is drawn by model k with vertices 4k .. 4k+3.
  EGLModel* model(std::int32_t frame) const;

  // Draws one frame inside a scene; a frame outside the grid is an assertion.
  void draw(std::int32_t column, std::int32_t row);

  bool invariant() const override;

 private:
  // Destroyed through closeSpriteType, which checks it first (a destructor cannot report).
  ~EGLSpriteType() override = default;
  friend void closeSpriteType(EGLSpriteType* spriteType);
  void openStream();
  void openModels();
  // Closes its models and stream; the texture, the blender and the EGL belong to others.
  void close();

  EGL* mEGL;
  EGLBlender* mBlender;
  EGLTexture* mTexture;
  std::int32_t mFrameColumnCount;
  std::int32_t mFrameRowCount;
  float mWidth;
  float mHeight;
  EGLRatio mHotSpotX;
  EGLRatio mHotSpotY;
  EGLStream* mStream = nullptr;
  std::vector<EGLModel*> mModels;
};

class EGLSprite : public EGLObject {
 public:
  EGLSprite(EGLSpriteType* spriteType, std::int32_t column, std::int32_t row);
  ~EGLSprite() override;

  void setFrame(std::int32_t column, std::int32_t row);
  std::int32_t frameColumn() const { return mFrameColumn; }
  std::int32_t frameRow() const { return mFrameRow; }
  EGLSpriteType* spriteType() const { return mSpriteType; }
  // Its sprite type's draw of the frame shown.
  void draw();

  bool invariant() const override;

 private:
  EGLSpriteType* mSpriteType;
  std::int32_t mFrameColumn;
  std::int32_t mFrameRow;
};

EGLSpriteType* openSpriteType(EGL* egl, EGLBlender* blender, EGLTexture* texture,
                              std::int32_t frameColumnCount, std::int32_t frameRowCount, float width,
                              float height, float hotSpotX, float hotSpotY);
void closeSpriteType(EGLSpriteType* spriteType);
EGLSprite* openSprite(EGLSpriteType* spriteType, std::int32_t column, std::int32_t row);
void closeSprite(EGLSprite* sprite);
