#include "app/vpxmain.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/vpxcoordinator.h"
#include "egc/egc.h"
#include "events/vpxevent.h"
#include "input/vpxinput.h"

namespace {
constexpr std::uint32_t WINDOW_STYLE = EGCWindowStyles::CAPTION | EGCWindowStyles::TOPMOST;  // 0x210

// Not 0: a fatal error must not look like success to a shell or a launcher.
constexpr int FATAL_EXIT_STATUS = 1;
}  // namespace

void startUp() {
  openPlatform(PRODUCT_NAME, WINDOW_STYLE);
  openEvents();
  openInput();
  // Join here, in this order: openGraphics, openSounds, openConsole, openIntro, openMenu,
  // openGame, openScore.
  openCoordinator();
}

void shutDown() {
  closeCoordinator();
  // Join here, in this order: closeScore, closeGame, closeMenu, closeIntro, closeConsole,
  // closeSounds, closeGraphics.
  closeInput();
  closeEvents();
  closePlatform();
}

std::string fatalReportText(const DBGException& e) {
  std::string text =
      "Unfortunately Vorplex has encountered an unrecoverable error. If this problem persists please contact "
      "our support available from the start menu. In your mail try to specify as closely as possible under "
      "which circumstance(s) this error message shows up. Also please include the error information provided "
      "below. Thanks in advance for helping us to improve this game.\n";
  text += "\n";
  text += std::string("Product: ") + PRODUCT_NAME + "\n";
  text += std::string("Filename: ") + e.file() + "\n";
  text += "Line: " + std::to_string(e.line()) + "\n";
  text += std::string("Description: ") + e.description();
  return text;
}

void reportFatalError(const DBGException& e) {
  const std::string text = fatalReportText(e);
  // Also where no window can show it (no display, a launcher's log).
  std::fprintf(stderr, "%s\n%s\n", FATAL_REPORT_CAPTION, text.c_str());
  std::fflush(stderr);

  // The sound set's stopMusic joins here.
  if (windowIsOpen()) {
    // Out of a full-screen mode first, so that the message box can be seen.
    window()->setState(EGCWindowStates::MINIMIZED);
    pumpMessages();
  }
  // Returns at once where there is no display.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, FATAL_REPORT_CAPTION, text.c_str(), nullptr);
  std::_Exit(FATAL_EXIT_STATUS);
}
