#include "app/vpxmain.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/vpxcoordinator.h"
#include "egc/egc.h"
#include "events/vpxevent.h"
#include "graphics/vpxgraphics.h"
#include "input/vpxinput.h"
#include "sound/vpxsound.h"

namespace {
constexpr std::uint32_t WINDOW_STYLE = EGCWindowStyles::CAPTION | EGCWindowStyles::TOPMOST;  // 0x210

// Not 0: a fatal error must not look like success to a shell or a launcher.
constexpr int FATAL_EXIT_STATUS = 1;

// Characters per line of the message box: fits a 640-pixel screen in SDL's font.
constexpr std::size_t MESSAGE_BOX_WIDTH = 72;
}  // namespace

void startUp() {
  openPlatform(PRODUCT_NAME, WINDOW_STYLE);
  openEvents();
  openInput();
  openGraphics(graphicsLibrary(), window());
  openSounds(soundLibrary());
  // Join here, in this order: openConsole, openIntro, openMenu, openGame, openScore.
  openCoordinator();
}

void shutDown() {
  closeCoordinator();
  // Join here, in this order: closeScore, closeGame, closeMenu, closeIntro, closeConsole.
  closeSounds();
  closeGraphics();
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

std::string wrapLines(const std::string& text, std::size_t width) {
  std::string wrapped;
  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    while (line.size() > width) {
      std::size_t cut = line.rfind(' ', width);
      if (cut == std::string::npos || cut == 0) {
        wrapped += line.substr(0, width) + "\n";  // one long word (an expression): break it anyway
        line.erase(0, width);
      } else {
        wrapped += line.substr(0, cut) + "\n";
        line.erase(0, cut + 1);
      }
    }
    wrapped += line;
    if (lineEnd == text.size()) break;
    wrapped += "\n";
    lineStart = lineEnd + 1;
  }
  return wrapped;
}

void reportFatalError(const DBGException& e) {
  const std::string text = fatalReportText(e);
  // Also where no window can show it (no display, a launcher's log).
  std::fprintf(stderr, "%s\n%s\n", FATAL_REPORT_CAPTION, text.c_str());
  std::fflush(stderr);

  stopMusic();
  if (windowIsOpen()) {
    // Out of a full-screen mode first, so that the message box can be seen.
    window()->setState(EGCWindowStates::MINIMIZED);
    pumpMessages();
  }
  // Returns at once where there is no display.
  const std::string boxText = wrapLines(text, MESSAGE_BOX_WIDTH);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, FATAL_REPORT_CAPTION, boxText.c_str(), nullptr);
  std::_Exit(FATAL_EXIT_STATUS);
}
