// The OpenGL back end for real: what it draws, read back pixel by pixel. Runs under Xvfb, or
// without any display on SDL's offscreen driver (Mesa's software OpenGL).
#include "egl/eglopengl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "egl/eglboot.h"
#include "egltesting.h"

namespace {

bool isOffscreen() {
  return std::string(SDL_GetCurrentVideoDriver()) == "offscreen";
}

// Picture coordinates: pixel (x, y) of an 800 x 600 picture, y down, centres on integers.
EGLVector world(float x, float y) {
  return EGLVector{2.0f * x - 800.0f, 600.0f - 2.0f * y};
}

struct OpenGL : ::testing::Test {
  SDL_Window* window = nullptr;
  EGL* egl = nullptr;
  EGLSpace* space = nullptr;

  void SetUp() override {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // Mesa's software rasteriser draws on the calling thread; its worker threads, still alive at
    // exit, can crash the leak checker's stop-the-world.
    setenv("LP_NUM_THREADS", "0", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    // Held for the whole run: destroying the last OpenGL window would otherwise unload the
    // driver, and the leak checker cannot tell the driver's allocations from ours once its
    // code is gone. (The game keeps its window to the end anyway.)
    static const bool driverHeld = (0 == SDL_GL_LoadLibrary(nullptr));
    ASSERT_TRUE(driverHeld) << SDL_GetError();
    start(800, 600);
  }

  // SDL stays initialised: quitting unloads the OpenGL driver, after which the leak checker can
  // no longer tell the driver's own allocations from ours.
  void TearDown() override { stop(); }

  void start(int width, int height) {
    window = SDL_CreateWindow("EGL test", 0, 0, width, height, SDL_WINDOW_OPENGL);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    egl = openEGL(OPENGL_IMPLEMENTATION, window);
    openWindowed();
    space = egl->openSpace(-800.0f, 800.0f, -600.0f, 600.0f);
  }

  void stop() {
    if (egl) {
      if (EGL::CLOSED != egl->state()) egl->close();
      closeEGL(egl);
      egl = nullptr;
    }
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
  }

  void openWindowed() {
    for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
      if ((WINDOW_TARGET == egl->device(i)->target()) && (RGB_FORMAT == egl->device(i)->format())) {
        egl->open(egl->device(i));
        return;
      }
    }
    FAIL() << "no windowed description";
  }

  // A rectangle between two picture points, as a triangle strip, corners top-left, top-right,
  // bottom-left, bottom-right.
  EGLModel* rectangle(EGLVector topLeft, EGLVector bottomRight, std::vector<EGLColor> colors,
                      EGLTexture* texture = nullptr, std::int32_t blender = OPAQUE_BLENDING) {
    EGLStream* stream = egl->openStream(TEXTURED_VERTICES, 4, 0);
    egl->beginChange(stream);
    stream->setPositions(0, EGLRange{0, 4},
                         {world(topLeft.x, topLeft.y), world(bottomRight.x, topLeft.y),
                          world(topLeft.x, bottomRight.y), world(bottomRight.x, bottomRight.y)});
    if (colors.size() == 1) colors.assign(4, colors[0]);
    stream->setColors(0, EGLRange{0, 4}, colors);
    stream->setAdresses(0, EGLRange{0, 4}, {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}});
    egl->endChange(stream);
    return egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_STRIP),
                          egl->shading(GOURAUD_SHADING), egl->blender(blender),
                          texture ? texture : egl->nullTexture());
  }

  EGLModel* points(const std::vector<EGLVector>& positions, EGLColor color,
                   std::int32_t interpretation = POINT_LIST, std::int32_t shading = GOURAUD_SHADING,
                   std::vector<EGLColor> colors = {}) {
    const auto count = static_cast<std::int32_t>(positions.size());
    EGLStream* stream = egl->openStream(COLORED_VERTICES, count, 0);
    egl->beginChange(stream);
    stream->setPositions(0, EGLRange{0, count}, positions);
    if (colors.empty()) colors.assign(positions.size(), color);
    stream->setColors(0, EGLRange{0, count}, colors);
    egl->endChange(stream);
    return egl->openModel(stream, EGLRange{0, count}, egl->interpretation(interpretation),
                          egl->shading(shading), egl->blender(OPAQUE_BLENDING), egl->nullTexture());
  }

  // Clears to the colour, draws the models and reads the picture back.
  EGLImage frame(EGLColor background, const std::vector<EGLModel*>& models) {
    egl->beginScene(space);
    egl->clear(background);
    for (EGLModel* model : models) egl->draw(model);
    egl->endScene();
    return readPicture(egl);
  }
};

::testing::AssertionResult near(EGLColor actual, EGLColor expected, std::uint32_t tolerance = 1) {
  auto off = [&](std::uint32_t a, std::uint32_t e) { return (a > e ? a - e : e - a) > tolerance; };
  if (off(actual.red(), expected.red()) || off(actual.green(), expected.green()) ||
      off(actual.blue(), expected.blue())) {
    return ::testing::AssertionFailure()
           << std::hex << "0x" << actual.value() << " is not near 0x" << expected.value();
  }
  return ::testing::AssertionSuccess();
}

constexpr EGLColor BLACK = 0xFF000000u;
constexpr EGLColor WHITE = 0xFFFFFFFFu;

TEST_F(OpenGL, DescriptionsComeFromSDLsModes) {
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  int windowed = 0;
  int screens = 0;
  for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
    EGLDevice* d = egl->device(i);
    EXPECT_EQ(d->type(), HARDWARE_DEVICE);
    if (WINDOW_TARGET == d->target()) {
      ++windowed;
      EXPECT_EQ(d->width(), desktop.w);
      EXPECT_EQ(d->height(), desktop.h);
      EXPECT_EQ(d->rate(), desktop.refresh_rate);
    } else {
      ++screens;
    }
  }
  EXPECT_EQ(windowed, 2);
  EXPECT_GE(screens, 2);
  EXPECT_EQ(screens % 2, 0) << "every mode with an RGB and an ARGB back buffer";
}

TEST_F(OpenGL, TexturedRectangleShowsEveryTexelInPlace) {
  EGLImage image;
  image.resize(4, 4);
  for (std::int32_t row = 0; row < 4; ++row) {
    for (std::int32_t column = 0; column < 4; ++column) {
      image.texel(column, row) =
          EGLColor(0xFFu, 0x10u + 0x40u * column, 0x20u + 0x30u * row, 0x80u + column * row);
    }
  }
  EGLTexture* texture = egl->openTexture(image);
  // 8 pixels per texel; edges half a pixel off the centres so each pixel samples inside a texel.
  const EGLImage picture =
      frame(BLACK, {rectangle(EGLVector{99.5f, 49.5f}, EGLVector{131.5f, 81.5f}, {WHITE}, texture)});
  ASSERT_EQ(picture.columnCount(), 800);
  ASSERT_EQ(picture.rowCount(), 600);
  for (int y = 50; y < 82; ++y) {
    for (int x = 100; x < 132; ++x) {
      ASSERT_EQ(picture.texel(x, y), image.texel((x - 100) / 8, (y - 50) / 8)) << x << ", " << y;
    }
  }
  for (auto [x, y] : {std::pair{99, 50}, {132, 50}, {100, 49}, {100, 82}}) {
    EXPECT_EQ(picture.texel(x, y), BLACK) << x << ", " << y;
  }
}

TEST_F(OpenGL, VertexColourModulatesTexelsAndShowsAloneWithoutTexture) {
  EGLImage image;
  image.resize(1, 1);
  image.texel(0, 0) = EGLColor(0xFFFF8040u);
  EGLTexture* texture = egl->openTexture(image);
  const EGLImage picture = frame(BLACK, {rectangle({10, 10}, {50, 50}, {EGLColor(0xFF808080u)}, texture),
                                         rectangle({60, 10}, {100, 50}, {EGLColor(0xFF336699u)})});
  EXPECT_TRUE(near(picture.texel(30, 30), EGLColor(0xFF804020u)));
  EXPECT_EQ(picture.texel(80, 30), EGLColor(0xFF336699u));
}

TEST_F(OpenGL, BlendersMixAsTabled) {
  EGLImage halfAlpha;
  halfAlpha.resize(1, 1);
  halfAlpha.texel(0, 0) = EGLColor(0x80FFFFFFu);
  EGLTexture* texture = egl->openTexture(halfAlpha);
  const EGLImage picture =
      frame(EGLColor(0xFF4040FFu),
            {rectangle({10, 10}, {50, 50}, {EGLColor(0x80FF0000u)}, nullptr, ALPHA_BLENDING),
             rectangle({60, 10}, {100, 50}, {EGLColor(0x80FF0000u)}, nullptr, ADDITIVE_BLENDING),
             rectangle({110, 10}, {150, 50}, {EGLColor(0x00FF0000u)}, nullptr, OPAQUE_BLENDING),
             // Alpha from the texel times the vertex's.
             rectangle({160, 10}, {200, 50}, {EGLColor(0xFFFF0000u)}, texture, ALPHA_BLENDING)});
  // 0x80 is 128/255 of the source over the rest of the destination.
  EXPECT_TRUE(near(picture.texel(30, 30), EGLColor(0xFFA0207Fu), 2));
  // Additive: the source times its alpha on top of the destination, red saturating.
  EXPECT_TRUE(near(picture.texel(80, 30), EGLColor(0xFFC040FFu), 2));
  EXPECT_EQ(picture.texel(130, 30), EGLColor(0xFFFF0000u));
  EXPECT_TRUE(near(picture.texel(180, 30), EGLColor(0xFFA0207Fu), 2));
}

TEST_F(OpenGL, FlatShadingTakesTheFirstVertexGouraudInterpolates) {
  const std::vector<EGLColor> redToBlue = {EGLColor(0xFFFF0000u), EGLColor(0xFF0000FFu)};
  EGLModel* flat = points({world(100, 100), world(300, 100)}, 0u, LINE_LIST, FLAT_SHADING, redToBlue);
  EGLModel* gouraud = points({world(100, 200), world(300, 200)}, 0u, LINE_LIST, GOURAUD_SHADING, redToBlue);
  EGLModel* flatTriangle =
      points({world(400, 100), world(500, 100), world(450, 200)}, 0u, TRIANGLE_LIST, FLAT_SHADING,
             {EGLColor(0xFF00FF00u), EGLColor(0xFFFF0000u), EGLColor(0xFF0000FFu)});
  const EGLImage picture = frame(BLACK, {flat, gouraud, flatTriangle});
  for (int x : {101, 200, 298}) EXPECT_EQ(picture.texel(x, 100), EGLColor(0xFFFF0000u)) << x;
  EXPECT_TRUE(near(picture.texel(101, 200), EGLColor(0xFFFF0000u), 4));
  EXPECT_TRUE(near(picture.texel(200, 200), EGLColor(0xFF800080u), 4));
  EXPECT_TRUE(near(picture.texel(298, 200), EGLColor(0xFF0000FFu), 4));
  // One pixel wide.
  EXPECT_EQ(picture.texel(200, 199), BLACK);
  EXPECT_EQ(picture.texel(200, 201), BLACK);
  for (auto [x, y] : {std::pair{420, 110}, {450, 150}, {480, 110}}) {
    EXPECT_EQ(picture.texel(x, y), EGLColor(0xFF00FF00u)) << x << ", " << y;
  }
}

TEST_F(OpenGL, APointLightsOnePixel) {
  const EGLImage picture = frame(BLACK, {points({world(400, 300), world(17, 23)}, WHITE)});
  for (auto [cx, cy] : {std::pair{400, 300}, {17, 23}}) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        EXPECT_EQ(picture.texel(cx + dx, cy + dy), (dx == 0 && dy == 0) ? WHITE : BLACK)
            << cx + dx << ", " << cy + dy;
      }
    }
  }
  EXPECT_EQ(world(400, 300), (EGLVector{0.0f, 0.0f})) << "the world's origin is the picture's centre pixel";
}

TEST_F(OpenGL, TransformsApplyInTheOrderPushed) {
  // The point (100, 0) turned by a quarter and moved by (200, 0) lands at (200, 100): picture
  // pixel (500, 250). Moved first and turned after, it lands at (0, 300): pixel (400, 150).
  EGLModel* point = points({EGLVector{100.0f, 0.0f}}, WHITE);
  EGLTransform* rotation = openRotation(egl, std::numbers::pi_v<float> / 2.0f);
  EGLTransform* translation = openTranslation(egl, EGLVector{200.0f, 0.0f});
  egl->beginScene(space);
  egl->clear(BLACK);
  egl->pushTransform(rotation);
  egl->pushTransform(translation);
  egl->draw(point);
  egl->popTransform();
  egl->popTransform();
  egl->pushTransform(translation);
  egl->pushTransform(rotation);
  egl->draw(point);
  egl->popTransform();
  egl->popTransform();
  egl->endScene();
  const EGLImage picture = readPicture(egl);
  EXPECT_EQ(picture.texel(500, 250), WHITE);
  EXPECT_EQ(picture.texel(400, 150), WHITE);
  EXPECT_EQ(picture.texel(450, 300), BLACK) << "nothing where the point started";
}

TEST_F(OpenGL, TheSpaceFillsThePictureCornerToCorner) {
  // The world's upper right quarter, (0, 0) to (800, 600), is exactly the picture's.
  EGLStream* stream = egl->openStream(COLORED_VERTICES, 4, 0);
  egl->beginChange(stream);
  stream->setPositions(0, EGLRange{0, 4}, {{0, 600}, {800, 600}, {0, 0}, {800, 0}});
  stream->setColors(0, EGLRange{0, 4}, std::vector<EGLColor>(4, WHITE));
  egl->endChange(stream);
  EGLModel* quarter =
      egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_STRIP), egl->shading(FLAT_SHADING),
                     egl->blender(OPAQUE_BLENDING), egl->nullTexture());
  const EGLImage picture = frame(BLACK, {quarter});
  EXPECT_EQ(picture.texel(799, 0), WHITE) << "top-right pixel";
  EXPECT_EQ(picture.texel(400, 299), WHITE);
  EXPECT_EQ(picture.texel(399, 299), BLACK);
  EXPECT_EQ(picture.texel(400, 300), BLACK);
  EXPECT_EQ(picture.texel(0, 0), BLACK);
}

TEST_F(OpenGL, WideWindowsShowThePictureBetweenBlackBars) {
  stop();
  start(640, 360);
  const EGLImage picture = frame(EGLColor(0xFFFF0000u), {});
  EXPECT_EQ(picture.columnCount(), 480);
  EXPECT_EQ(picture.rowCount(), 360);
  const EGLImage shown = readWindow(egl);
  ASSERT_EQ(shown.columnCount(), 640);
  ASSERT_EQ(shown.rowCount(), 360);
  EXPECT_EQ(shown.texel(79, 180), BLACK);
  EXPECT_EQ(shown.texel(80, 0), EGLColor(0xFFFF0000u));
  EXPECT_EQ(shown.texel(559, 359), EGLColor(0xFFFF0000u));
  EXPECT_EQ(shown.texel(560, 180), BLACK);

  // A tall window gets bars above and below, and the picture follows the new size. (The
  // offscreen driver's surface keeps its first size.)
  if (isOffscreen()) return;
  SDL_SetWindowSize(window, 400, 500);
  egl->present();
  const EGLImage tall = frame(EGLColor(0xFF00FF00u), {});
  EXPECT_EQ(tall.columnCount(), 400);
  EXPECT_EQ(tall.rowCount(), 300);
  const EGLImage tallShown = readWindow(egl);
  EXPECT_EQ(tallShown.texel(200, 99), BLACK);
  EXPECT_EQ(tallShown.texel(200, 100), EGLColor(0xFF00FF00u));
  EXPECT_EQ(tallShown.texel(200, 399), EGLColor(0xFF00FF00u));
  EXPECT_EQ(tallShown.texel(200, 400), BLACK);
}

TEST_F(OpenGL, FullScreenDrawsAtTheDescriptionsOwnSize) {
  egl->close();
  EGLDevice* screen = nullptr;
  for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
    if (SCREEN_TARGET == egl->device(i)->target()) screen = egl->device(i);
  }
  ASSERT_NE(screen, nullptr);
  egl->open(screen);
  const EGLImage picture = frame(WHITE, {});
  EXPECT_EQ(picture.columnCount(), screen->width());
  EXPECT_EQ(picture.rowCount(), screen->height());
  if (isOffscreen()) return;  // no screen to cover
  SDL_Rect bounds;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0);
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  EXPECT_EQ(width, bounds.w) << "the window covers the screen";
  EXPECT_EQ(height, bounds.h);
  EXPECT_EQ(egl->state(), EGL::OPEN);
}

TEST_F(OpenGL, CloseAndOpenShowTheSamePicture) {
  EGLImage image;
  image.resize(2, 2);
  image.texel(0, 0) = EGLColor(0xFFFF0000u);
  image.texel(1, 0) = EGLColor(0xFF00FF00u);
  image.texel(0, 1) = EGLColor(0xFF0000FFu);
  image.texel(1, 1) = EGLColor(0xFFFFFF00u);
  EGLTexture* texture = egl->openTexture(image);
  const std::vector<EGLModel*> models = {rectangle({99.5f, 99.5f}, {163.5f, 163.5f}, {WHITE}, texture),
                                         rectangle({200, 100}, {260, 160}, {EGLColor(0xFF336699u)}, nullptr),
                                         points({world(300, 300)}, WHITE)};
  const EGLImage before = frame(BLACK, models);
  egl->close();
  openWindowed();
  const EGLImage after = frame(BLACK, models);
  EXPECT_EQ(before.texels(), after.texels());
  EXPECT_EQ(after.texel(110, 110), EGLColor(0xFFFF0000u));
  EXPECT_EQ(after.texel(150, 150), EGLColor(0xFFFFFF00u));
}

TEST_F(OpenGL, PresentHoldsTheLoopToTheRefreshRate) {
  const std::int32_t rate = egl->device()->rate();
  const double period = 1.0 / ((rate > 0) ? rate : 60);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 120; ++i) {
    egl->beginScene(space);
    egl->clear(BLACK);
    egl->endScene();
    egl->present();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed.count(), 114 * period) << "120 presents at " << 1.0 / period << " Hz";
}

}  // namespace
