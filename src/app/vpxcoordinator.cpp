#include "app/vpxcoordinator.h"

#include "app/vpxconsole.h"
#include "dbg/dbg.h"
#include "eca/eca.h"
#include "egc/egc.h"
#include "egl/egl.h"
#include "events/vpxevent.h"
#include "graphics/vpxgraphics.h"
#include "input/vpxinput.h"
#include "sil/sil.h"
#include "sound/vpxsound.h"
#include "tme/tme.h"

DBG_SOURCE("vpxcoordinator");

namespace {
bool fIsOpen = false;

// The left button as the last frame saw it, for the whole life of the process.
bool fLastLeftButtonDown = false;

// Times whole frames; lives as long as the process.
VPXTimer* fTotalTimer = nullptr;

constexpr std::int32_t MINIMIZED_WINDOW = 1;
constexpr std::int32_t DEFAULT_RATE = 60;
constexpr double POLL_INTERVAL = 0.1;

// The frame's events, in the order the screens draw.
constexpr std::int32_t FRAME_EVENTS[] = {
    VPXEventIDs::UPDATE,      VPXEventIDs::POLL,          VPXEventIDs::GAME_FRAME, VPXEventIDs::SCORE_FRAME,
    VPXEventIDs::INTRO_FRAME, VPXEventIDs::CONSOLE_FRAME, VPXEventIDs::MENU_FRAME};

void broadcast(std::int32_t eventID) {
  eca::postMessage(ECAMessage(eventForID(eventID)));
}
}  // namespace

void openCoordinator() {
  DBG_ASSERT(!isInitialized());
  // The coordinator's handler and machine join here.
  fIsOpen = true;
}

void closeCoordinator() {
  DBG_ASSERT(isInitialized());
  fIsOpen = false;
}

bool isInitialized() {
  return fIsOpen;
}

// ---------------------------------------------------------------------------------------------

void VPXProgramServices::pumpMessages() {
  ::pumpMessages();
}

std::int32_t VPXProgramServices::windowState() {
  return window()->state();
}

std::int32_t VPXProgramServices::graphicsState() {
  return graphicsLibrary()->state();
}

void VPXProgramServices::stopMusic() {
  ::stopMusic();
}

void VPXProgramServices::closeDevice() {
  ::closeDevice();
}
void VPXProgramServices::reopenDevice() {
  ::reopenDevice();
}

void VPXProgramServices::playMusic(std::int32_t track) {
  ::playMusic(track);
}

bool VPXProgramServices::isLeftButtonDown() {
  return isMouseButtonDown(SILMouse::LEFT_BUTTON);
}

std::int32_t VPXProgramServices::refreshRate() {
  return currentDevice()->rate();
}

// Presenting paces the loop to the display's refresh rate.
void VPXProgramServices::present() {
  graphicsLibrary()->present();
}

double VPXProgramServices::now() {
  return tme::clock().now();
}

void VPXProgramServices::waitUntil(double time) {
  tme::waiter().waitUntil(time);
}

// ---------------------------------------------------------------------------------------------

void runMainLoop() {
  VPXProgramServices services;
  runMainLoop(services);
}

void runMainLoop(VPXFrameServices& services) {
  DBG_ASSERT(isInitialized());
  if (!fTotalTimer) fTotalTimer = createTimer("Total timer");
  VPXTimer* totalTimer = fTotalTimer;

  while (!eca::runningMachines().empty()) {
    start(totalTimer);

    // Nothing is posted or ticked while nothing can be drawn; key events wait in the queue.
    for (;;) {
      services.pumpMessages();
      std::int32_t w = services.windowState();
      std::int32_t d = services.graphicsState();
      if (w != MINIMIZED_WINDOW && d == VPXFrameServices::GRAPHICS_OPEN) break;
      services.stopMusic();
      if (w != MINIMIZED_WINDOW && d == VPXFrameServices::GRAPHICS_DOWN) {
        services.closeDevice();
        services.reopenDevice();
        services.playMusic(GAME_TRACK);
      }
      services.waitUntil(services.now() + POLL_INTERVAL);
    }

    for (std::int32_t eventID : FRAME_EVENTS) broadcast(eventID);

    bool leftButtonDown = services.isLeftButtonDown();
    if (leftButtonDown != fLastLeftButtonDown) {
      broadcast(leftButtonDown ? VPXEventIDs::MOUSE_BUTTON_DOWN : VPXEventIDs::MOUSE_BUTTON_UP);
      fLastLeftButtonDown = leftButtonDown;
    }

    std::int32_t rate = services.refreshRate();
    if (rate <= 0) rate = DEFAULT_RATE;
    eca::tick(1.0 / rate);

    services.present();
    stop(totalTimer);
  }

  eca::clearMessages();
  DBG_ASSERT(isInitialized());
}
