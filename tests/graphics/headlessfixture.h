// A headless EGL for the sprite, text and set-up tests: nothing is drawn, every device call is
// recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "egl/eglboot.h"
#include "egl/eglheadless.h"
#include "support/testplatform.h"

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    egl = openEGL(HEADLESS_IMPLEMENTATION, nullptr);
    recording = headlessRecording(egl);
    ASSERT_NE(recording, nullptr);
  }

  void TearDown() override {
    while (EGL::DRAWING == egl->state()) egl->endScene();
    if (EGL::CLOSED != egl->state()) egl->close();
    closeEGL(egl);
    setHeadlessAdapters(defaultHeadlessAdapters());
  }

  // The desktop-sized window description of the default headless adapter.
  void openWindowed() {
    for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
      EGLDevice* device = egl->device(i);
      if ((WINDOW_TARGET == device->target()) && (RGB_FORMAT == device->format())) {
        egl->open(device);
        return;
      }
    }
    FAIL() << "no windowed description";
  }

  EGL* egl = nullptr;
  EGLHeadlessRecording* recording = nullptr;
};

#define EXPECT_ASSERTION(call, text)                               \
  do {                                                             \
    const DBGException failure_ = caughtException([&] { call; });  \
    EXPECT_STREQ(failure_.description(), text) << failure_.file(); \
  } while (false)
