// Sprite types and sprites on the headless back end.
#include "egl/eglsprite.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "headlessfixture.h"

namespace {

EGLImage picture(std::int32_t columns, std::int32_t rows) {
  EGLImage image;
  image.resize(columns, rows);
  return image;
}

class SpriteTypeTest : public HeadlessTest {
 protected:
  EGLSpriteType* grid(std::int32_t columns, std::int32_t rows, float width = 1.0f, float height = 1.0f,
                      float hotSpotX = 0.5f, float hotSpotY = 0.5f) {
    texture = egl->openTexture(picture(64, 64));
    return openSpriteType(egl, egl->blender(ALPHA_BLENDING), texture, columns, rows, width, height, hotSpotX,
                          hotSpotY);
  }

  std::vector<EGLVector> positions(const EGLSpriteType* type, std::int32_t frame) {
    std::vector<EGLVector> out;
    type->stream()->positions(EGLRange{4 * frame, 4}, out);
    return out;
  }

  EGLTexture* texture = nullptr;
};

TEST_F(SpriteTypeTest, GridOfSixteenFramesAddressesEachFrameByItsModel) {
  EGLSpriteType* type = grid(4, 4);
  EXPECT_EQ(type->frameCount(), 16);
  EXPECT_EQ(type->stream()->vertexCount(), 64);
  EXPECT_FALSE(type->stream()->isIndexed());
  EXPECT_EQ(egl->models().size(), 16u);
  // Frame (1, 2) is model 9 and uses vertices 36 to 39.
  EXPECT_EQ(type->model(9)->range(), (EGLRange{36, 4}));
  EXPECT_EQ(type->model(9)->interpretation()->kind(), TRIANGLE_STRIP);
  EXPECT_EQ(type->model(9)->shading()->kind(), FLAT_SHADING);
  EXPECT_EQ(type->model(9)->texture(), texture);

  std::vector<EGLVector> adresses;
  type->stream()->adresses(EGLRange{0, 4}, adresses);
  EXPECT_EQ(adresses, (std::vector<EGLVector>{{0.0078125f, 0.0078125f},
                                              {0.0078125f, 0.2421875f},
                                              {0.2421875f, 0.0078125f},
                                              {0.2421875f, 0.2421875f}}));
  // Frame 9 starts at texel (16, 32): column 1 of row 2, row 0 being the top of the image.
  type->stream()->adresses(EGLRange{36, 4}, adresses);
  EXPECT_EQ(adresses.front(), texture->adress(16, 32));
  EXPECT_EQ(adresses.back(), texture->adress(31, 47));

  std::vector<EGLColor> colors;
  type->stream()->colors(EGLRange{0, 64}, colors);
  EXPECT_EQ(colors, std::vector<EGLColor>(64, EGLColor(0xFFFFFFFF)));

  openWindowed();
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  egl->beginScene(space);
  type->draw(1, 2);
  egl->endScene();
  ASSERT_EQ(recording->draws.size(), 1u);
  EXPECT_EQ(recording->draws[0].first, 36);
  EXPECT_EQ(recording->draws[0].primitiveType, TRIANGLE_STRIP);
  EXPECT_EQ(recording->draws[0].primitiveCount, 2);
  closeSpriteType(type);
}

TEST_F(SpriteTypeTest, AllFramesShareTheRectangleAroundTheHotSpot) {
  struct Case {
    float width, height, hotSpotX, hotSpotY;
    float left, right, bottom, top;
  };
  for (const Case& c :
       {Case{1200, 600, 0.5f, 1.0f, -600, 600, -600, 0}, Case{512, 512, 0.5f, 0.0f, -256, 256, 0, 512},
        Case{1, 1, 0.5f, 0.5f, -0.5f, 0.5f, -0.5f, 0.5f}}) {
    SCOPED_TRACE(c.width);
    EGLSpriteType* type = grid(2, 2, c.width, c.height, c.hotSpotX, c.hotSpotY);
    // Strip order: top-left, bottom-left, top-right, bottom-right.
    const std::vector<EGLVector> expected{
        {c.left, c.top}, {c.left, c.bottom}, {c.right, c.top}, {c.right, c.bottom}};
    EXPECT_EQ(positions(type, 0), expected);
    EXPECT_EQ(positions(type, 3), expected);
    closeSpriteType(type);
    egl->closeTexture(texture);
  }
}

TEST_F(SpriteTypeTest, BadGridsAndSizesStopWithTheirChecks) {
  EGLTexture* square = egl->openTexture(picture(64, 64));
  EGLBlender* blender = egl->blender(ALPHA_BLENDING);
  struct Case {
    std::function<void()> open;
    const char* text;
    const char* file;
  };
  const std::vector<Case> cases{
      {[&] { openSpriteType(nullptr, blender, square, 4, 4, 1, 1, 0.5f, 0.5f); }, "mEGL", "eglsprite"},
      {[&] { openSpriteType(egl, nullptr, square, 4, 4, 1, 1, 0.5f, 0.5f); }, "mBlender", "eglsprite"},
      {[&] { openSpriteType(egl, blender, nullptr, 4, 4, 1, 1, 0.5f, 0.5f); }, "mTexture", "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 0, 4, 1, 1, 0.5f, 0.5f); }, "0 < mFrameColumnCount",
       "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 4, -1, 1, 1, 0.5f, 0.5f); }, "0 < mFrameRowCount",
       "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 4, 4, 0, 1, 0.5f, 0.5f); }, "0.0f < mWidth", "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 4, 4, 1, -2, 0.5f, 0.5f); }, "0.0f < mHeight", "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 3, 1, 1, 1, 0.5f, 0.5f); },
       "0 == (TEXTURE_COLUMN_COUNT % mFrameColumnCount)", "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 1, 3, 1, 1, 0.5f, 0.5f); },
       "0 == (TEXTURE_ROW_COUNT % mFrameRowCount)", "eglsprite"},
      {[&] { openSpriteType(egl, blender, square, 4, 4, 1, 1, 1.5f, 0.5f); }, "invariant()", "egltypes"},
      {[&] { openSpriteType(egl, blender, square, 4, 4, 1, 1, 0.5f, -0.1f); }, "invariant()", "egltypes"},
  };
  for (const Case& c : cases) {
    const DBGException failure = caughtException(c.open);
    EXPECT_STREQ(failure.description(), c.text);
    EXPECT_STREQ(failure.file(), c.file) << c.text;
    EXPECT_STREQ(failure.title(), "Assertion failure");
  }
  EXPECT_TRUE(egl->streams().empty()) << "nothing is left behind by a refused grid";
}

TEST_F(SpriteTypeTest, BuiltWhileClosedItIsUploadedAtTheNextOpen) {
  EGLSpriteType* type = grid(4, 4);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 0u);
  openWindowed();
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 1u);
  // 64 vertices of x, y, z, colour, u, v.
  bool found = false;
  for (const auto& [handle, bytes] : recording->memory) found = found || (64u * 24u == bytes.size());
  EXPECT_TRUE(found);
  closeSpriteType(type);
}

TEST_F(SpriteTypeTest, ClosingReleasesModelsAndStreamButNotTheTexture) {
  openWindowed();
  EGLSpriteType* type = grid(2, 2);
  EXPECT_TRUE(texture->isHeldBy(type));
  EXPECT_TRUE(egl->blender(ALPHA_BLENDING)->isHeldBy(type));
  closeSpriteType(type);
  EXPECT_TRUE(egl->models().empty());
  EXPECT_TRUE(egl->streams().empty());
  EXPECT_EQ(egl->textures(), std::vector<EGLTexture*>{texture});
  EXPECT_EQ(texture->holderCount(), 1u) << "only the EGL holds it now";
  EXPECT_EQ(recording->count(EGLCall::RELEASE_VERTEX_BUFFER), 1u);
}

TEST_F(SpriteTypeTest, SpriteDrawsTheFrameItShowsAndRefusesFramesOutsideTheGrid) {
  openWindowed();
  EGLSpriteType* type = grid(4, 4);
  EGLSprite* sprite = openSprite(type, 0, 0);
  EXPECT_TRUE(type->isHeldBy(sprite));
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  egl->beginScene(space);
  sprite->draw();
  sprite->setFrame(3, 1);
  sprite->draw();
  ASSERT_EQ(recording->draws.size(), 2u);
  EXPECT_EQ(recording->draws[0].first, 0);
  EXPECT_EQ(recording->draws[1].first, 4 * 7);
  EXPECT_EQ(type->frameColumnCount(), 4);
  EXPECT_EQ(positions(type, 7), positions(type, 0)) << "setFrame changes the sprite, not its type";

  // Column 4 of a 4-wide grid would otherwise show frame 0 of the next row.
  for (auto [column, row] : {std::pair{4, 0}, std::pair{-1, 1}, std::pair{0, 4}, std::pair{3, -1}}) {
    sprite->setFrame(column, row);
    EXPECT_ASSERTION(
        sprite->draw(),
        "\"Frame within the grid.\" && (0 <= column) && (column < mFrameColumnCount) && (0 <= row) && "
        "(row < mFrameRowCount)");
  }
  EXPECT_EQ(recording->draws.size(), 2u);
  egl->endScene();
  closeSprite(sprite);
  EXPECT_EQ(type->holderCount(), 0u);
  closeSpriteType(type);
}

}  // namespace
