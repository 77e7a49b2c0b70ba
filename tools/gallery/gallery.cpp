// The gallery: every frame of every sprite type and both fonts on one screen, drawn through the
// game's own graphics set-up with the OpenGL back end. For judging the pictures by eye, and for
// the screenshot test that checks colours at known places.
//
//     vorplex_gallery [--seconds S]
//
// It prints "gallery ready" once the first frame is on the screen and keeps drawing for S
// seconds (default 30) or until the window is closed.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dbg/dbg.h"
#include "egl/eglboot.h"
#include "gallerylayout.h"
#include "graphics/vpxgraphics.h"

namespace {

using namespace gallery;

class Gallery {
 public:
  explicit Gallery(EGL* egl) : mEGL(egl), mScaling(egl->openTransform()), mTranslation(egl->openTransform()) {
    EGLBlender* alpha = egl->blender(ALPHA_BLENDING);
    for (const TextLine& line : TEXT_LINES) {
      mLabels.push_back(openLabel(egl, font(line.fontID), alpha, line.text, 0.0f, 0.5f, line.color));
    }
  }
  ~Gallery() {
    for (EGLLabel* label : mLabels) closeLabel(label);
    mEGL->closeTransform(mTranslation);
    mEGL->closeTransform(mScaling);
  }

  void drawFrame() {
    mEGL->beginScene(space());
    clearScreen(BACKGROUND);
    for (const SpriteRow& row : SPRITE_ROWS) {
      EGLSpriteType* type = spriteType(row.spriteTypeID);
      for (std::int32_t frame = 0; frame < type->frameCount(); ++frame) {
        const Placement at = framePlacement(row, frame);
        drawAt(at, type,
               [&] { type->draw(frame % type->frameColumnCount(), frame / type->frameColumnCount()); });
      }
    }
    for (const Placement& at : SINGLE_PICTURES) {
      EGLSpriteType* type = spriteType(at.spriteTypeID);
      drawAt(at, type, [&] { type->draw(0, 0); });
    }
    for (std::size_t i = 0; i < mLabels.size(); ++i) {
      const Placement at{0, TEXT_LINES[i].x, TEXT_LINES[i].y, 1.0f, 1.0f};
      drawAt(at, nullptr, [&] { mLabels[i]->draw(); });
    }
    mEGL->endScene();
  }

 private:
  // Scaling first, then moving: the picture is sized about its hot spot, then placed. Sprite
  // types are scaled from their own size to the placement's; labels keep theirs.
  template <typename Draw>
  void drawAt(const Placement& at, const EGLSpriteType* type, Draw draw) {
    const EGLVector scaling =
        type ? EGLVector{at.width / type->width(), at.height / type->height()} : EGLVector{1.0f, 1.0f};
    changeScaling(mEGL, mScaling, scaling);
    changeTranslation(mEGL, mTranslation, EGLVector{at.x, at.y});
    mEGL->pushTransform(mScaling);
    mEGL->pushTransform(mTranslation);
    draw();
    mEGL->popTransform();
    mEGL->popTransform();
  }

  EGL* mEGL;
  EGLTransform* mScaling;
  EGLTransform* mTranslation;
  std::vector<EGLLabel*> mLabels;
};

bool windowWasClosed() {
  SDL_Event event;
  bool closed = false;
  while (SDL_PollEvent(&event)) closed = closed || (SDL_QUIT == event.type);
  return closed;
}

int run(double seconds) {
  if (0 != SDL_Init(SDL_INIT_VIDEO)) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window =
      SDL_CreateWindow("Vorplex gallery", 0, 0, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (!window) {
    std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  EGL* egl = openEGL(OPENGL_IMPLEMENTATION, window);
  openGraphics(egl, nullptr);
  {
    Gallery gallery(egl);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool announced = false;
    while (!windowWasClosed() && (std::chrono::steady_clock::now() < end)) {
      gallery.drawFrame();
      egl->present();
      if (!announced) {
        std::printf("gallery ready\n");
        std::fflush(stdout);
        announced = true;
      }
    }
  }
  closeGraphics();
  closeEGL(egl);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 30.0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (0 == std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
  }
  try {
    return run(seconds);
  } catch (const DBGException& e) {
    std::fprintf(stderr, "%s in %s, line %d: %s\n", e.title(), e.file(), static_cast<int>(e.line()),
                 e.description());
    return 1;
  }
}
