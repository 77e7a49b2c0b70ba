// Creating and destroying EGLs.
#pragma once

#include <cstdint>

#include "egl/egl.h"

enum EGLImplementation : std::int32_t {
  // OpenGL 3.3 core on an SDL window made with SDL_WINDOW_OPENGL; the handle is the SDL_Window*.
  OPENGL_IMPLEMENTATION = 1,
  // Draws nothing and records everything it is asked (egl/eglheadless.h); any handle will do.
  HEADLESS_IMPLEMENTATION = 2,
};

// Creates an EGL of that implementation on the window and adds it to the library's set; it
// starts CLOSED with its descriptions enumerated.
EGL* openEGL(std::int32_t kind, void* windowHandle);
// Removes it from the set and destroys it; it must have been closed first.
void closeEGL(EGL* egl);
bool isOpenEGL(const EGL* egl);
