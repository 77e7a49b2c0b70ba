// The coordinator: the top-level module, opened last and closed first. Its run operation is the
// program's one loop.
#pragma once

#include <cstdint>

#include "egl/egl.h"

// The coordinator's open state. Its machine (intro, score table, game, name entry) and its
// character-trace handler join here; until then opening only marks it open.
void openCoordinator();
void closeCoordinator();
bool isInitialized();

// What the main loop needs of the modules around it, so that the loop can be driven by hand.
class VPXFrameServices {
 public:
  // Graphics library states the loop tells apart.
  enum : std::int32_t { GRAPHICS_OPEN = EGL::OPEN, GRAPHICS_DOWN = EGL::DOWN };

  virtual ~VPXFrameServices() = default;
  virtual void pumpMessages() = 0;
  virtual std::int32_t windowState() = 0;
  virtual std::int32_t graphicsState() = 0;
  virtual void stopMusic() = 0;
  virtual void closeDevice() = 0;
  virtual void reopenDevice() = 0;
  virtual void playMusic(std::int32_t track) = 0;
  virtual bool isLeftButtonDown() = 0;
  // The display device's refresh rate in Hz; 0 or less when the mode reports none.
  virtual std::int32_t refreshRate() = 0;
  virtual void present() = 0;
  virtual double now() = 0;
  virtual void waitUntil(double time) = 0;
};

// The services of the running program: the platform, input, graphics and sound modules.
class VPXProgramServices : public VPXFrameServices {
 public:
  void pumpMessages() override;
  std::int32_t windowState() override;
  std::int32_t graphicsState() override;
  void stopMusic() override;
  void closeDevice() override;
  void reopenDevice() override;
  void playMusic(std::int32_t track) override;
  bool isLeftButtonDown() override;
  std::int32_t refreshRate() override;
  void present() override;
  double now() override;
  void waitUntil(double time) override;
};

// Runs frames while any machine runs: pump, wait while nothing can be drawn, post the frame's
// events and the left button's changes, tick by one refresh period, present.
void runMainLoop();
void runMainLoop(VPXFrameServices& services);
