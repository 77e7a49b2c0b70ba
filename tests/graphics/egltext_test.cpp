// Fonts and labels on the headless back end.
#include "egl/egltext.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "headlessfixture.h"

namespace {

constexpr EGLColor INK = 0xFFFFFFFF;

// A 256 x 256 glyph sheet (cells of 16 x 16 texels) with ink in the given columns of a cell.
class FontTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    sheet.resize(256, 256);
  }

  void ink(unsigned char code, std::int32_t firstColumn, std::int32_t lastColumn, EGLColor color = INK) {
    const std::int32_t left = (code % 16) * 16;
    const std::int32_t top = (code / 16) * 16;
    for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
      sheet.texel(left + column, top + 7) = color;
    }
  }

  EGLFont* font(std::int32_t widthMode = PROPORTIONAL_WIDTH, float glyphSpaceX = 4.0f) {
    texture = egl->openTexture(sheet);
    return openFont(texture, widthMode, glyphSpaceX, 0.0f, 32.0f, 32.0f);
  }

  EGLImage sheet;
  EGLTexture* texture = nullptr;
};

TEST_F(FontTest, ProportionalGlyphsAreAsWideAsTheirInk) {
  ink('A', 3, 10);
  ink('l', 15, 15);            // only in the cell's last column, which is never measured
  ink(' ', 0, 5, 0x00FFFFFF);  // transparent but not zero: counts, so that words are spaced
  ink('j', 0, 0);
  EGLFont* f = font();
  const EGLGlyph& a = f->glyph('A');
  EXPECT_FLOAT_EQ(a.width, 16.0f);  // (10 - 3 + 1) / 16 * 32
  EXPECT_FLOAT_EQ(a.height, 32.0f);
  const std::int32_t left = ('A' % 16) * 16;
  const std::int32_t top = ('A' / 16) * 16;
  EXPECT_FLOAT_EQ(a.firstU, texture->adressU(left + 3));
  EXPECT_FLOAT_EQ(a.lastU, texture->adressU(left + 10));
  EXPECT_FLOAT_EQ(a.topV, texture->adressV(top));
  EXPECT_FLOAT_EQ(a.bottomV, texture->adressV(top + 15));

  // An empty cell, and one inked only in its last column, are one texel column wide at that column.
  for (unsigned char code : {static_cast<unsigned char>('l'), static_cast<unsigned char>('x')}) {
    const EGLGlyph& g = f->glyph(code);
    const std::int32_t last = (code % 16) * 16 + 15;
    EXPECT_FLOAT_EQ(g.width, 2.0f) << code;
    EXPECT_FLOAT_EQ(g.firstU, texture->adressU(last));
    EXPECT_FLOAT_EQ(g.lastU, texture->adressU(last));
  }
  EXPECT_FLOAT_EQ(f->glyph(' ').width, 12.0f);
  EXPECT_FLOAT_EQ(f->glyph('j').width, 2.0f);
  EXPECT_FLOAT_EQ(f->glyph('j').firstU, texture->adressU(('j' % 16) * 16));
  EXPECT_FLOAT_EQ(f->glyph(255).width, 2.0f) << "every byte has a glyph";
  EXPECT_TRUE(texture->isHeldBy(f));
  closeFont(f);
  EXPECT_FALSE(texture->isHeldBy(f));
}

TEST_F(FontTest, FixedGlyphsAreWholeCells) {
  ink('A', 3, 10);
  EGLFont* f = font(FIXED_WIDTH);
  const EGLGlyph& a = f->glyph('A');
  EXPECT_FLOAT_EQ(a.width, 32.0f);
  EXPECT_FLOAT_EQ(a.firstU, texture->adressU(('A' % 16) * 16));
  EXPECT_FLOAT_EQ(a.lastU, texture->adressU(('A' % 16) * 16 + 15));
  closeFont(f);
}

TEST_F(FontTest, GlyphCornersAndTheirErrors) {
  const EGLGlyph g{16, 32, 0.25f, 0.5f, 0.125f, 0.375f};
  const std::vector<EGLVector> adresses{{0.25f, 0.125f}, {0.25f, 0.375f}, {0.5f, 0.125f}, {0.5f, 0.375f}};
  const std::vector<EGLVector> offsets{{0, 32}, {0, 0}, {16, 32}, {16, 0}};
  for (std::int32_t corner = 1; corner <= 4; ++corner) {
    EXPECT_EQ(g.adress(corner), adresses[static_cast<std::size_t>(corner - 1)]);
    EXPECT_EQ(g.offset(corner), offsets[static_cast<std::size_t>(corner - 1)]);
  }
  for (std::int32_t corner : {0, 5}) {
    const DBGException adressFailure = caughtException([&] { g.adress(corner); });
    EXPECT_STREQ(adressFailure.title(), "Error");
    EXPECT_STREQ(adressFailure.description(), "unknown corner.");
    EXPECT_ASSERTION(g.offset(corner), "unknown corner.");
  }
}

TEST_F(FontTest, BadSheetsAndSettingsStopWithTheirChecks) {
  EGLImage small;
  small.resize(8, 8);
  EGLTexture* eight = egl->openTexture(small);
  EGLTexture* good = egl->openTexture(sheet);
  struct Case {
    std::function<void()> open;
    const char* text;
  };
  const std::vector<Case> cases{
      {[&] { openFont(nullptr, FIXED_WIDTH, 0, 0, 32, 32); }, "mFontTexture"},
      {[&] { openFont(good, 0, 0, 0, 32, 32); },
       "(MIN_WIDTH_MODE < mWidthMode) && (mWidthMode < MAX_WIDTH_MODE)"},
      {[&] { openFont(good, 3, 0, 0, 32, 32); },
       "(MIN_WIDTH_MODE < mWidthMode) && (mWidthMode < MAX_WIDTH_MODE)"},
      {[&] { openFont(good, FIXED_WIDTH, -1, 0, 32, 32); }, "0.0f <= mGlyphSpaceX"},
      {[&] { openFont(good, FIXED_WIDTH, 0, -1, 32, 32); }, "0.0f <= mGlyphSpaceY"},
      {[&] { openFont(good, FIXED_WIDTH, 0, 0, 0, 32); }, "0.0f < mFrameWidth"},
      {[&] { openFont(good, FIXED_WIDTH, 0, 0, 32, 0); }, "0.0f < mFrameHeight"},
      {[&] { openFont(eight, PROPORTIONAL_WIDTH, 0, 0, 32, 32); },
       "0 == (mFontTexture->image().columnCount() % GLYPH_COLUMN_COUNT)"},
  };
  for (const Case& c : cases) {
    const DBGException failure = caughtException(c.open);
    EXPECT_STREQ(failure.description(), c.text);
    EXPECT_STREQ(failure.file(), "egltext");
  }
  EXPECT_EQ(good->holderCount(), 1u);
}

class LabelTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    ink('A', 0, 7);   // 16 units wide
    ink('B', 2, 11);  // 20 units wide
    f = font();
    openWindowed();
    space = egl->openSpace(-800, 800, -600, 600);
  }
  void TearDown() override {
    closeFont(f);
    FontTest::TearDown();
  }

  EGLLabel* label(const std::string& text, float anchorX = 0.5f, float anchorY = 0.5f) {
    return openLabel(egl, f, egl->blender(ALPHA_BLENDING), text, anchorX, anchorY, 0xFF00FF00);
  }

  EGLFont* f = nullptr;
  EGLSpace* space = nullptr;
};

TEST_F(LabelTest, TwoCharactersAreLaidOutFromTheAnchor) {
  EGLLabel* ab = label("AB");
  EXPECT_FLOAT_EQ(ab->width(), 40.0f);  // 16 + 4 + 20
  EXPECT_FLOAT_EQ(ab->height(), 32.0f);
  ASSERT_NE(ab->stream(), nullptr);
  EXPECT_TRUE(ab->stream()->isIndexed());
  EXPECT_EQ(ab->stream()->vertexCount(), 8);
  EXPECT_EQ(ab->stream()->indexCount(), 12);
  std::vector<EGLVector> positions;
  ab->stream()->positions(EGLRange{0, 8}, positions);
  EXPECT_EQ(positions,
            (std::vector<EGLVector>{
                {-20, 16}, {-20, -16}, {-4, 16}, {-4, -16}, {0, 16}, {0, -16}, {20, 16}, {20, -16}}));
  std::vector<EGLVector> adresses;
  ab->stream()->adresses(EGLRange{4, 4}, adresses);
  const EGLGlyph& b = f->glyph('B');
  EXPECT_EQ(adresses, (std::vector<EGLVector>{b.adress(1), b.adress(2), b.adress(3), b.adress(4)}));

  // Anchored at its bottom-left corner the text starts at the origin.
  EGLLabel* corner = label("AB", 0.0f, 0.0f);
  corner->stream()->positions(EGLRange{0, 2}, positions);
  EXPECT_EQ(positions, (std::vector<EGLVector>{{0, 32}, {0, 0}}));

  egl->beginScene(space);
  ab->draw();
  egl->endScene();
  ASSERT_EQ(recording->draws.size(), 1u) << "one draw call for the whole text";
  EXPECT_TRUE(recording->draws[0].indexed);
  EXPECT_EQ(recording->draws[0].primitiveType, TRIANGLE_LIST);
  EXPECT_EQ(recording->draws[0].primitiveCount, 4);
  EXPECT_EQ(recording->draws[0].parts.texture, f->texture());
  closeLabel(corner);
  closeLabel(ab);
  EXPECT_TRUE(egl->streams().empty());
  EXPECT_TRUE(egl->models().empty());
}

TEST_F(LabelTest, OneCharacterIsOneQuadOfTwoTriangles) {
  EGLLabel* a = label("A");
  EXPECT_FLOAT_EQ(a->width(), 16.0f) << "no glyph space after the last character";
  std::vector<std::int32_t> indices;
  a->stream()->indices(EGLRange{0, 6}, indices);
  EXPECT_EQ(indices, (std::vector<std::int32_t>{0, 1, 2, 1, 2, 3}));
  std::vector<EGLColor> colors;
  a->stream()->colors(EGLRange{0, 4}, colors);
  EXPECT_EQ(colors, std::vector<EGLColor>(4, EGLColor(0xFF00FF00)));
  closeLabel(a);
}

TEST_F(LabelTest, SetColorRecoloursOnlyAndReachesTheDevice) {
  EGLLabel* ab = label("AB");
  std::vector<EGLVector> positionsBefore, adressesBefore, positionsAfter, adressesAfter;
  std::vector<std::int32_t> indicesBefore, indicesAfter;
  ab->stream()->positions(EGLRange{0, 8}, positionsBefore);
  ab->stream()->adresses(EGLRange{0, 8}, adressesBefore);
  ab->stream()->indices(EGLRange{0, 12}, indicesBefore);
  const std::size_t uploads = recording->count(EGLCall::UPLOAD_VERTEX_BUFFER);
  ab->setColor(0x80FF0000);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), uploads + 1);
  std::vector<EGLColor> colors;
  ab->stream()->colors(EGLRange{0, 8}, colors);
  EXPECT_EQ(colors, std::vector<EGLColor>(8, EGLColor(0x80FF0000)));
  ab->stream()->positions(EGLRange{0, 8}, positionsAfter);
  ab->stream()->adresses(EGLRange{0, 8}, adressesAfter);
  ab->stream()->indices(EGLRange{0, 12}, indicesAfter);
  EXPECT_EQ(positionsAfter, positionsBefore);
  EXPECT_EQ(adressesAfter, adressesBefore);
  EXPECT_EQ(indicesAfter, indicesBefore);
  closeLabel(ab);
}

TEST_F(LabelTest, EmptyTextKeepsNothingAndDrawsNothing) {
  EGLLabel* empty = label("");
  EXPECT_FLOAT_EQ(empty->width(), 0.0f);
  EXPECT_FLOAT_EQ(empty->height(), 32.0f);
  EXPECT_EQ(empty->stream(), nullptr);
  EXPECT_EQ(empty->model(), nullptr);
  EXPECT_TRUE(egl->streams().empty());
  empty->setColor(0xFFFF0000);  // kept for the next text

  egl->beginScene(space);
  empty->draw();
  empty->setText("BA");
  EXPECT_FLOAT_EQ(empty->width(), 40.0f);
  EXPECT_EQ(empty->text(), "BA");
  std::vector<EGLColor> colors;
  empty->stream()->colors(EGLRange{0, 8}, colors);
  EXPECT_EQ(colors.front(), EGLColor(0xFFFF0000));
  empty->draw();
  egl->endScene();
  empty->setText("");
  egl->beginScene(space);
  empty->draw();
  egl->endScene();

  EXPECT_EQ(recording->draws.size(), 1u);
  EXPECT_TRUE(egl->streams().empty()) << "setText closes the old stream and model";
  EXPECT_TRUE(egl->models().empty());
  closeLabel(empty);
  EXPECT_EQ(f->holderCount(), 0u);
}

}  // namespace
