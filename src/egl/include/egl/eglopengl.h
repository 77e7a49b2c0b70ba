// Reading back what the OpenGL back end drew, for tests and screenshots.
#pragma once

#include "egl/egl.h"
#include "egl/egltypes.h"

// The picture drawn so far this frame, at the picture's own resolution (a full-screen
// description's width x height, or the 4:3 part of the window), top row first, every texel
// opaque. The EGL must be open on the OpenGL back end.
EGLImage readPicture(EGL* egl);

// What the next present will put in the window: the picture letterboxed into the largest
// centred 4:3 rectangle, black bars beside or above it; top row first, every texel opaque.
EGLImage readWindow(EGL* egl);
