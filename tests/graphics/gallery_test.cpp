// The gallery on a virtual screen with the OpenGL back end: a screenshot, checked at the places
// the gallery's layout puts things.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "gallerylayout.h"
#include "support/e2e.h"

namespace {

constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 768;
// The whole 1600 x 1200 world fills the 4:3 screen.
constexpr float PIXELS_PER_UNIT = SCREEN_WIDTH / 1600.0f;

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  int brightest() const { return std::max({red, green, blue}); }
  int sum() const { return red + green + blue; }
};

Rgb parse(const std::string& hex) {
  unsigned red = 0, green = 0, blue = 0;
  EXPECT_EQ(std::sscanf(hex.c_str(), "#%2x%2x%2x", &red, &green, &blue), 3) << hex;
  return Rgb{static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue)};
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

class GalleryScreenshot : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    screen = new e2e::VirtualScreen(SCREEN_WIDTH, SCREEN_HEIGHT);
    e2e::Program gallery(*screen, {VORPLEX_GALLERY, "--seconds", "30"});
    const bool ready = e2e::waitFor(
        [&] { return gallery.standardOutput().find("gallery ready") != std::string::npos; }, 30.0);
    ASSERT_TRUE(ready) << gallery.standardError();
    e2e::pause(0.5);
    e2e::Desktop(*screen).screenshot(SHOT);
  }
  static void TearDownTestSuite() {
    delete screen;
    screen = nullptr;
  }

  // The mean colour of the square of that many world units around a world point.
  static Rgb meanAround(float x, float y, float size) {
    const int side = std::max(1, static_cast<int>(size * PIXELS_PER_UNIT));
    const int left = static_cast<int>((x + 800.0f) * PIXELS_PER_UNIT) - side / 2;
    const int top = static_cast<int>((600.0f - y) * PIXELS_PER_UNIT) - side / 2;
    const std::string crop = std::string(SHOT) + ".crop.png";
    const std::string geometry = std::to_string(side) + "x" + std::to_string(side) + "+" +
                                 std::to_string(left) + "+" + std::to_string(top);
    e2e::runTool(*screen, {"/usr/bin/convert", SHOT, "-crop", geometry, "+repage", "-scale", "1x1!", crop});
    return parse(e2e::pixelColor(crop, 0, 0));
  }

  static inline e2e::VirtualScreen* screen = nullptr;
  static constexpr const char* SHOT = VORPLEX_GALLERY_SHOT;
};

const Rgb BACKGROUND_RGB{static_cast<int>(gallery::BACKGROUND.red()),
                         static_cast<int>(gallery::BACKGROUND.green()),
                         static_cast<int>(gallery::BACKGROUND.blue())};

TEST_F(GalleryScreenshot, EmptyPlacesShowTheClearColour) {
  const Rgb empty = parse(e2e::pixelColor(SHOT, static_cast<int>(1450 * PIXELS_PER_UNIT), 600));
  EXPECT_EQ(empty.red, BACKGROUND_RGB.red);
  EXPECT_EQ(empty.green, BACKGROUND_RGB.green);
  EXPECT_EQ(empty.blue, BACKGROUND_RGB.blue);
}

TEST_F(GalleryScreenshot, BlobRowsShowTheirColours) {
  const gallery::SpriteRow& blobs = gallery::SPRITE_ROWS.front();
  ASSERT_EQ(blobs.spriteTypeID, BLOB_SPRITE);
  for (int look = 0; look < 4; ++look) {
    SCOPED_TRACE(look);
    auto at = [&](int colourRow) { return gallery::framePlacement(blobs, colourRow * 4 + look); };
    const Rgb red = meanAround(at(0).x, at(0).y, 50);
    const Rgb green = meanAround(at(1).x, at(1).y, 50);
    const Rgb blue = meanAround(at(2).x, at(2).y, 50);
    const Rgb purple = meanAround(at(3).x, at(3).y, 50);
    EXPECT_GT(red.red, red.green + 60) << red;
    EXPECT_GT(red.red, red.blue + 30) << red;
    EXPECT_GT(green.green, green.blue + 60) << green;
    EXPECT_GT(blue.blue, blue.red + 60) << blue;
    EXPECT_GT(purple.red, purple.green + 60) << purple;
    EXPECT_GT(purple.blue, purple.green + 60) << purple;
  }
}

TEST_F(GalleryScreenshot, TextIsDrawnInItsColours) {
  // The left part of each large line: ink over the clear colour makes it brighter on average.
  const Rgb title = meanAround(-250, -360, 60);
  EXPECT_GT(title.sum(), BACKGROUND_RGB.sum() + 60) << title;
  // Gold ink over the blue-grey clear colour raises red far more than blue.
  const Rgb score = meanAround(-250, -450, 60);
  EXPECT_GT(score.red - BACKGROUND_RGB.red, score.blue - BACKGROUND_RGB.blue + 30) << score;
  const Rgb small = meanAround(-200, -180, 30);
  EXPECT_GT(small.sum(), BACKGROUND_RGB.sum() + 30) << small;
}

TEST_F(GalleryScreenshot, OpaqueAlphaAndAdditivePicturesBlendAsTheirTypesSay) {
  // The backdrop covers the clear colour and stays dark.
  const Rgb scenery = meanAround(715, 450, 100);
  EXPECT_LT(scenery.brightest(), 110) << scenery;
  EXPECT_NE(scenery.blue, BACKGROUND_RGB.blue) << scenery;
  // A glow only adds light.
  const gallery::Placement glow = gallery::framePlacement(gallery::SPRITE_ROWS[2], 0);
  const Rgb particle = meanAround(glow.x, glow.y, 8);
  EXPECT_GT(particle.sum(), BACKGROUND_RGB.sum() + 60) << particle;
  // The gun's rim is drawn over the clear colour.
  const Rgb gun = meanAround(320, 450, 160);
  EXPECT_GT(gun.sum(), BACKGROUND_RGB.sum() + 30) << gun;
}

}  // namespace
