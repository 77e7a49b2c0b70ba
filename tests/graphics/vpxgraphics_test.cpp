// The game's graphics set-up on the headless back end, with the pictures the build generated.
#include "graphics/vpxgraphics.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "egc/egc.h"
#include "headlessfixture.h"

namespace {

class GraphicsTest : public HeadlessTest {
 protected:
  void TearDown() override {
    if (spaceIsOpen()) {
      if (!deviceIsOpen()) reopenDevice();
      closeGraphics();
    }
    HeadlessTest::TearDown();
  }

  // Draws one frame of every sprite type and a label of each font.
  void drawEverything() {
    egl->beginScene(space());
    clearScreen(0xFF000000);
    for (std::int32_t id = BLOB_SPRITE; id < MAX_SPRITE_TYPE_ID; ++id) spriteType(id)->draw(0, 0);
    for (EGLLabel* label : labels) label->draw();
    egl->endScene();
  }

  std::vector<EGLLabel*> labels;
};

TEST_F(GraphicsTest, OpensTheMediumModeAndEverythingFromTheTables) {
  openGraphics(egl, nullptr);
  EXPECT_EQ(egl->state(), EGL::OPEN);
  EXPECT_EQ(currentDevice()->width(), 800);
  EXPECT_EQ(currentDevice()->height(), 600);
  EXPECT_EQ(currentDevice()->target(), SCREEN_TARGET);
  EXPECT_EQ(currentDeviceID(), VPXDevices::MEDIUM_RESOLUTION_ID);
  EXPECT_TRUE(texturesAreOpen());
  EXPECT_TRUE(spriteTypesAreOpen());
  EXPECT_TRUE(fontsAreOpen());
  ASSERT_TRUE(spaceIsOpen());
  EXPECT_EQ(egl->textures().size(), 11u);
  // Opened on an open device, every texture is on the device at once.
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_TEXTURE), 11u);
  for (EGLTexture* texture : egl->textures()) {
    EXPECT_TRUE(isValidTextureSize(texture->image().columnCount(), texture->image().rowCount()));
  }

  for (const VPXSpriteTypeRecord& record : VPX_SPRITE_TYPE_RECORDS) {
    SCOPED_TRACE(record.id);
    const EGLSpriteType* type = spriteType(record.id);
    EXPECT_EQ(type->frameColumnCount(), record.frameColumnCount);
    EXPECT_EQ(type->frameRowCount(), record.frameRowCount);
    EXPECT_EQ(type->blender()->kind(), record.blendingKind);
    EXPECT_FLOAT_EQ(type->width(), record.width);
  }
  EXPECT_EQ(spriteType(VORPLEX_LOGO_SPRITE)->blender()->kind(), ADDITIVE_BLENDING);
  EXPECT_EQ(spriteType(SCENERY_SPRITE)->blender()->kind(), OPAQUE_BLENDING);
  EXPECT_EQ(font(SMALL_FONT)->texture(), font(LARGE_FONT)->texture());
  EXPECT_FLOAT_EQ(font(LARGE_FONT)->frameHeight(), 64.0f);
  EXPECT_FLOAT_EQ(font(SMALL_FONT)->glyphSpaceX(), 4.0f);
  // The generated sheet spaces words and measures letters by their ink.
  EXPECT_GT(font(SMALL_FONT)->glyph(' ').width, 6.0f);
  EXPECT_LT(font(SMALL_FONT)->glyph('i').width, font(SMALL_FONT)->glyph('W').width);
  EXPECT_FLOAT_EQ(space()->left(), -800.0f);
  EXPECT_FLOAT_EQ(space()->right(), 800.0f);
  EXPECT_FLOAT_EQ(space()->bottom(), -600.0f);
  EXPECT_FLOAT_EQ(space()->top(), 600.0f);

  EXPECT_ASSERTION(spriteType(0), "\"Known sprite type ID.\" && (fSpriteTypes.end() != found)");
  EXPECT_ASSERTION(spriteType(MAX_SPRITE_TYPE_ID),
                   "\"Known sprite type ID.\" && (fSpriteTypes.end() != found)");
  EXPECT_ASSERTION(font(3), "\"Known font ID.\" && (fFonts.end() != found)");
  EXPECT_ASSERTION(openGraphics(egl, nullptr), "!deviceIsOpen()");

  closeGraphics();
  EXPECT_EQ(egl->state(), EGL::CLOSED);
  EXPECT_TRUE(egl->textures().empty());
  EXPECT_TRUE(egl->streams().empty());
  EXPECT_TRUE(egl->models().empty());
  EXPECT_TRUE(egl->spaces().empty());
  EXPECT_FALSE(deviceIsOpen() || texturesAreOpen() || spriteTypesAreOpen() || fontsAreOpen() ||
               spaceIsOpen());
  EXPECT_EQ(space(), nullptr);
  EXPECT_ASSERTION(closeGraphics(), "spaceIsOpen()");
}

TEST_F(GraphicsTest, AfterALostDeviceTheSameSpriteTypesAndFontsDrawAgain) {
  openGraphics(egl, nullptr);
  labels.push_back(openLabel(egl, font(SMALL_FONT), egl->blender(ALPHA_BLENDING), "Score", 0, 0, 0xFFFFFFFF));
  labels.push_back(
      openLabel(egl, font(LARGE_FONT), egl->blender(ALPHA_BLENDING), "Game over", 0.5f, 0.5f, 0xFFFFFFFF));
  const EGLSpriteType* blobs = spriteType(BLOB_SPRITE);
  const EGLFont* small = font(SMALL_FONT);
  drawEverything();
  const std::size_t drawsBefore = recording->draws.size();
  EXPECT_EQ(drawsBefore, 12u);

  closeDevice();
  EXPECT_FALSE(deviceIsOpen());
  EXPECT_TRUE(spriteTypesAreOpen() && fontsAreOpen() && spaceIsOpen());
  EXPECT_EQ(egl->state(), EGL::CLOSED);
  EXPECT_ASSERTION(currentDevice(), "deviceIsOpen()");
  EXPECT_ASSERTION(closeDevice(), "deviceIsOpen()");
  recording->clear();

  reopenDevice();
  EXPECT_TRUE(deviceIsOpen());
  EXPECT_EQ(currentDevice()->width(), 800);
  EXPECT_ASSERTION(reopenDevice(), "!deviceIsOpen()");
  // Every texture and stream went to the new device: 10 sprite types and 2 labels.
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_TEXTURE), 11u);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 12u);
  EXPECT_EQ(spriteType(BLOB_SPRITE), blobs);
  EXPECT_EQ(font(SMALL_FONT), small);
  drawEverything();
  EXPECT_EQ(recording->draws.size(), drawsBefore);
  for (EGLLabel* label : labels) closeLabel(label);
}

TEST_F(GraphicsTest, ChangingTheModeKeepsEverythingAndRefusesUnknownModes) {
  openGraphics(egl, nullptr);
  changeDevice(VPXDevices::HIGH_RESOLUTION_ID);
  EXPECT_EQ(currentDevice()->width(), 1024);
  EXPECT_EQ(currentDeviceID(), VPXDevices::HIGH_RESOLUTION_ID);
  changeDevice(VPXDevices::LOW_RESOLUTION_ID);
  EXPECT_EQ(currentDevice()->width(), 640);
  // A lost device comes back in the mode last chosen.
  closeDevice();
  reopenDevice();
  EXPECT_EQ(currentDevice()->width(), 640);
  drawEverything();
  EXPECT_EQ(recording->draws.size(), 10u);

  EXPECT_ASSERTION(changeDevice(VPXDevices::MAX_DEVICE_ID),
                   "(VPXDevices::MIN_DEVICE_ID < deviceID) && (deviceID < VPXDevices::MAX_DEVICE_ID)");
  EXPECT_FALSE(deviceIsOpen()) << "the old mode was closed before the new one was looked for";
}

TEST_F(GraphicsTest, NoFullScreenModeLargeEnoughStopsStartUp) {
  setHeadlessAdapters({EGLAdapter{"small", {640, 480, 60}, {{640, 480, 60}}}});
  closeEGL(egl);
  egl = openEGL(HEADLESS_IMPLEMENTATION, nullptr);
  recording = headlessRecording(egl);
  EXPECT_ASSERTION(openGraphics(egl, nullptr), "someDevicesHaveOkWidth");
  EXPECT_FALSE(texturesAreOpen());
}

// The window is put back at the top left at 800 x 600 before every windowed open.
class RecordingWindow : public EGCWindow {
 public:
  RecordingWindow() : EGCWindow(nullptr, "Vorplex graphics test", 0, EGCRectangle{10, 10, 320, 200}) {}
  void setRectangle(EGCRectangle rectangle) override {
    rectangles.push_back(rectangle);
    EGCWindow::setRectangle(rectangle);
  }
  std::vector<EGCRectangle> rectangles;
};

TEST_F(GraphicsTest, TheWindowedModeResizesTheWindowFirst) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  {
    RecordingWindow window;
    openGraphics(egl, &window);
    EXPECT_TRUE(window.rectangles.empty()) << "full screen needs no window rectangle";
    changeDevice(VPXDevices::WINDOW_DEVICE_ID);
    EXPECT_EQ(currentDevice()->target(), WINDOW_TARGET);
    EXPECT_EQ(currentDevice()->format(), RGB_FORMAT);
    closeDevice();
    reopenDevice();
    EXPECT_EQ(window.rectangles, (std::vector<EGCRectangle>{{0, 0, 800, 600}, {0, 0, 800, 600}}));
    EXPECT_EQ(window.rectangle(), (EGCRectangle{0, 0, 800, 600}));
    closeGraphics();
  }
  // SDL stays up until the process ends: quitting unloads the offscreen driver's OpenGL
  // libraries, and the leak checker could then no longer tell their own allocations from ours.
}

TEST_F(GraphicsTest, TheWindowedModeNeedsTheWindow) {
  openGraphics(egl, nullptr);
  EXPECT_ASSERTION(changeDevice(VPXDevices::WINDOW_DEVICE_ID), "fWindow");
}

}  // namespace
