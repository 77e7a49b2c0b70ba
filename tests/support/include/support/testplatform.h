// Helpers for tests of the modules that live on the platform.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dbg/dbg.h"
#include "egc/egc.h"
#include "support/caughtexception.h"

// The real platform on SDL's offscreen driver: a window with everything on it, but no screen, so
// that these tests run anywhere and side by side.
class OffscreenPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // Mesa's software rasteriser draws on the calling thread; its worker threads, still alive at
    // exit, can crash the leak checker's stop-the-world.
    setenv("LP_NUM_THREADS", "0", 0);
    openPlatform("Vorplex test", 0x210);
  }
  void TearDown() override {
    if (windowIsOpen()) closePlatform();
  }
};
