#include "egc/egc.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "dbg/dbg.h"
#include "egc/egcsdl.h"
#include "egl/eglboot.h"
#include "rnd/rnd.h"
#include "sil/sil.h"
#include "ssl/ssl.h"

DBG_SOURCE("egc");

// ---------------------------------------------------------------------------------------------
// Key ids

std::int32_t keyIDForVirtualKey(std::int32_t virtualKey) {
  switch (virtualKey) {
    case 8:
      return EGCKeyIDs::BACKSPACE_KEY;
    case 9:
      return EGCKeyIDs::TAB_KEY;
    case 13:
      return EGCKeyIDs::RETURN_KEY;
    case 16:
      return EGCKeyIDs::SHIFT_KEY;
    case 17:
      return EGCKeyIDs::CONTROL_KEY;
    case 18:
      return EGCKeyIDs::ALT_KEY;
    case 27:
      return EGCKeyIDs::ESCAPE_KEY;
    case 32:
      return EGCKeyIDs::SPACE_KEY;
    case 33:
      return EGCKeyIDs::PAGE_UP_KEY;
    case 34:
      return EGCKeyIDs::PAGE_DOWN_KEY;
    case 35:
      return EGCKeyIDs::END_KEY;
    case 36:
      return EGCKeyIDs::HOME_KEY;
    case 37:
      return EGCKeyIDs::LEFT_KEY;
    case 38:
      return EGCKeyIDs::UP_KEY;
    case 39:
      return EGCKeyIDs::RIGHT_KEY;
    case 40:
      return EGCKeyIDs::DOWN_KEY;
    case 46:
      return EGCKeyIDs::DELETE_KEY;
    case 106:
      return EGCKeyIDs::NUMPAD_MULTIPLY_KEY;
    case 107:
      return EGCKeyIDs::NUMPAD_ADD_KEY;
    case 109:
      return EGCKeyIDs::NUMPAD_SUBTRACT_KEY;
    case 111:
      return EGCKeyIDs::NUMPAD_DIVIDE_KEY;
    default:
      break;
  }
  if (48 <= virtualKey && virtualKey <= 57) return EGCKeyIDs::DIGIT_0_KEY + (virtualKey - 48);
  if (65 <= virtualKey && virtualKey <= 90) return EGCKeyIDs::A_KEY + (virtualKey - 65);
  if (96 <= virtualKey && virtualKey <= 105) return EGCKeyIDs::NUMPAD_0_KEY + (virtualKey - 96);
  if (112 <= virtualKey && virtualKey <= 123) return EGCKeyIDs::F1_KEY + (virtualKey - 112);
  return EGCKeyIDs::UNMAPPED_KEY;
}

// ---------------------------------------------------------------------------------------------
// Handler set

void EGCMessageHandlerSet::addMessageHandler(EGCMessageHandler* handler) {
  mHandlers.insert(handler);
}

void EGCMessageHandlerSet::removeMessageHandler(EGCMessageHandler* handler) {
  mHandlers.erase(handler);
}

template <typename Call>
bool EGCMessageHandlerSet::toAll(Call call) {
  // A copy, so that a handler may add or remove handlers while the message goes round.
  const std::set<EGCMessageHandler*> handlers = mHandlers;
  bool handled = false;
  for (EGCMessageHandler* handler : handlers) {
    if (call(handler)) handled = true;
  }
  return handled;
}

#define EGC_TO_ALL(operation, ...) \
  return toAll([&](EGCMessageHandler* handler) { return handler->operation(__VA_ARGS__); })

bool EGCMessageHandlerSet::onActivate(EGCWindow* w) {
  EGC_TO_ALL(onActivate, w);
}
bool EGCMessageHandlerSet::onActivateApplication(EGCWindow* w) {
  EGC_TO_ALL(onActivateApplication, w);
}
bool EGCMessageHandlerSet::onCharacter(EGCWindow* w, std::int32_t code) {
  EGC_TO_ALL(onCharacter, w, code);
}
bool EGCMessageHandlerSet::onDestroy(EGCWindow* w) {
  EGC_TO_ALL(onDestroy, w);
}
bool EGCMessageHandlerSet::onDeactivate(EGCWindow* w) {
  EGC_TO_ALL(onDeactivate, w);
}
bool EGCMessageHandlerSet::onDeactivateApplication(EGCWindow* w) {
  EGC_TO_ALL(onDeactivateApplication, w);
}
bool EGCMessageHandlerSet::onKeyDown(EGCWindow* w, std::int32_t keyID) {
  EGC_TO_ALL(onKeyDown, w, keyID);
}
bool EGCMessageHandlerSet::onKeyUp(EGCWindow* w, std::int32_t keyID) {
  EGC_TO_ALL(onKeyUp, w, keyID);
}
bool EGCMessageHandlerSet::onLeftButtonDoubleClick(EGCWindow* w) {
  EGC_TO_ALL(onLeftButtonDoubleClick, w);
}
bool EGCMessageHandlerSet::onLeftButtonDown(EGCWindow* w) {
  EGC_TO_ALL(onLeftButtonDown, w);
}
bool EGCMessageHandlerSet::onLeftButtonUp(EGCWindow* w) {
  EGC_TO_ALL(onLeftButtonUp, w);
}
bool EGCMessageHandlerSet::onMiddleButtonDoubleClick(EGCWindow* w) {
  EGC_TO_ALL(onMiddleButtonDoubleClick, w);
}
bool EGCMessageHandlerSet::onMiddleButtonDown(EGCWindow* w) {
  EGC_TO_ALL(onMiddleButtonDown, w);
}
bool EGCMessageHandlerSet::onMiddleButtonUp(EGCWindow* w) {
  EGC_TO_ALL(onMiddleButtonUp, w);
}
bool EGCMessageHandlerSet::onMouseMove(EGCWindow* w, EGCPoint p) {
  EGC_TO_ALL(onMouseMove, w, p);
}
bool EGCMessageHandlerSet::onMove(EGCWindow* w, EGCPoint p) {
  EGC_TO_ALL(onMove, w, p);
}
bool EGCMessageHandlerSet::onPaint(EGCWindow* w) {
  EGC_TO_ALL(onPaint, w);
}
bool EGCMessageHandlerSet::onRightButtonDoubleClick(EGCWindow* w) {
  EGC_TO_ALL(onRightButtonDoubleClick, w);
}
bool EGCMessageHandlerSet::onRightButtonDown(EGCWindow* w) {
  EGC_TO_ALL(onRightButtonDown, w);
}
bool EGCMessageHandlerSet::onRightButtonUp(EGCWindow* w) {
  EGC_TO_ALL(onRightButtonUp, w);
}
bool EGCMessageHandlerSet::onSize(EGCWindow* w, EGCPoint s) {
  EGC_TO_ALL(onSize, w, s);
}
bool EGCMessageHandlerSet::onClose(EGCWindow* w) {
  EGC_TO_ALL(onClose, w);
}

#undef EGC_TO_ALL

// ---------------------------------------------------------------------------------------------
// Window

namespace {
constexpr const char* WINDOW_DATA_KEY = "EGCWindow";

SDL_Window* sdlWindow(void* handle) {
  return static_cast<SDL_Window*>(handle);
}

struct Borders {
  int top = 0, left = 0, bottom = 0, right = 0;
};

// The decorations the window manager puts around the client area (none without one).
Borders bordersOf(void* handle) {
  Borders b;
  if (SDL_GetWindowBordersSize(sdlWindow(handle), &b.top, &b.left, &b.bottom, &b.right) != 0)
    return Borders{};
  return b;
}

EGCPoint screenSize(void* handle) {
  SDL_DisplayMode mode;
  int display = SDL_GetWindowDisplayIndex(sdlWindow(handle));
  if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) return EGCPoint{};
  return EGCPoint{mode.w, mode.h};
}
}  // namespace

EGCWindow::EGCWindow(EGCMessageHandler* handlers, const std::string& title, std::uint32_t styleFlags,
                     EGCRectangle rectangle)
    : mHandlers(handlers), mTitle(title), mStyleFlags(styleFlags) {
  if (0 == (mStyleFlags & (EGCWindowStyles::TOPMOST | EGCWindowStyles::NOT_TOPMOST))) {
    mStyleFlags |= EGCWindowStyles::NOT_TOPMOST;
  }
  // The graphics library makes an OpenGL context on this window.
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  if (mStyleFlags & EGCWindowStyles::TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if (mStyleFlags & EGCWindowStyles::SIZING_BORDER) flags |= SDL_WINDOW_RESIZABLE;
  if (0 == (mStyleFlags & EGCWindowStyles::CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* created = SDL_CreateWindow(mTitle.c_str(), 0, 0, 100, 100, flags);
  if (!created) DBG_FAIL_TEXT(SDL_GetError());
  mHandle = created;
  SDL_SetWindowData(created, WINDOW_DATA_KEY, this);
  setRectangle(rectangle);
}

EGCWindow::~EGCWindow() {
  SDL_SetWindowData(sdlWindow(mHandle), WINDOW_DATA_KEY, nullptr);
  SDL_HideWindow(sdlWindow(mHandle));
}

EGCWindow* EGCWindow::fromHandle(void* handle) {
  if (!handle) return nullptr;
  return static_cast<EGCWindow*>(SDL_GetWindowData(sdlWindow(handle), WINDOW_DATA_KEY));
}

void EGCWindow::addMessageHandler(EGCMessageHandler* handler) {
  mHandlers->addMessageHandler(handler);
}

void EGCWindow::removeMessageHandler(EGCMessageHandler* handler) {
  mHandlers->removeMessageHandler(handler);
}

void EGCWindow::setMessageHandlers(EGCMessageHandler* handlers) {
  mHandlers = handlers;
}

void EGCWindow::setTitle(const std::string& title) {
  mTitle = title;
  SDL_SetWindowTitle(sdlWindow(mHandle), mTitle.c_str());
}

void EGCWindow::setPosition(EGCPoint position) {
  Borders b = bordersOf(mHandle);
  SDL_SetWindowPosition(sdlWindow(mHandle), position.x + b.left, position.y + b.top);
}

void EGCWindow::setSize(EGCPoint size) {
  Borders b = bordersOf(mHandle);
  SDL_SetWindowSize(sdlWindow(mHandle), std::max(1, size.x - b.left - b.right),
                    std::max(1, size.y - b.top - b.bottom));
}

void EGCWindow::setRectangle(EGCRectangle rectangle) {
  setSize(EGCPoint{rectangle.width, rectangle.height});
  setPosition(EGCPoint{rectangle.x, rectangle.y});
}

void EGCWindow::setState(std::int32_t state) {
  switch (state) {
    case EGCWindowStates::MINIMIZED:
      SDL_MinimizeWindow(sdlWindow(mHandle));
      break;
    case EGCWindowStates::NORMAL:
      SDL_RestoreWindow(sdlWindow(mHandle));
      break;
    case EGCWindowStates::MAXIMIZED:
      SDL_MaximizeWindow(sdlWindow(mHandle));
      break;
    case EGCWindowStates::FULL_SCREEN: {
      EGCPoint screen = screenSize(mHandle);
      setRectangle(EGCRectangle{0, 0, screen.x, screen.y});
      break;
    }
    default:
      break;
  }
}

EGCMessageHandler* EGCWindow::messageHandlers() const {
  return mHandlers;
}

const std::string& EGCWindow::title() const {
  return mTitle;
}

EGCPoint EGCWindow::position() const {
  Borders b = bordersOf(mHandle);
  EGCPoint p;
  SDL_GetWindowPosition(sdlWindow(mHandle), &p.x, &p.y);
  return EGCPoint{p.x - b.left, p.y - b.top};
}

EGCPoint EGCWindow::size() const {
  Borders b = bordersOf(mHandle);
  EGCPoint client = clientSize();
  return EGCPoint{client.x + b.left + b.right, client.y + b.top + b.bottom};
}

EGCRectangle EGCWindow::rectangle() const {
  EGCPoint p = position();
  EGCPoint s = size();
  return EGCRectangle{p.x, p.y, s.x, s.y};
}

std::int32_t EGCWindow::state() const {
  EGCRectangle r = rectangle();
  EGCPoint screen = screenSize(mHandle);
  if (r.x == 0 && r.y == 0 && r.width == screen.x && r.height == screen.y)
    return EGCWindowStates::FULL_SCREEN;
  Uint32 flags = SDL_GetWindowFlags(sdlWindow(mHandle));
  if (flags & SDL_WINDOW_MAXIMIZED) return EGCWindowStates::MAXIMIZED;
  if (flags & SDL_WINDOW_MINIMIZED) return EGCWindowStates::MINIMIZED;
  return EGCWindowStates::NORMAL;
}

EGCPoint EGCWindow::clientPosition() const {
  return EGCPoint{0, 0};
}

EGCPoint EGCWindow::clientSize() const {
  EGCPoint s;
  SDL_GetWindowSize(sdlWindow(mHandle), &s.x, &s.y);
  return s;
}

EGCRectangle EGCWindow::clientRectangle() const {
  EGCPoint p = clientPosition();
  EGCPoint s = clientSize();
  return EGCRectangle{p.x, p.y, s.x, s.y};
}

// ---------------------------------------------------------------------------------------------
// Platform

namespace {
EGCWindow* fWindow = nullptr;
SIL* fInputLibrary = nullptr;
RNDTool* fRandomTool = nullptr;
EGL* fGraphicsLibrary = nullptr;
SSL* fSoundLibrary = nullptr;

constexpr std::int32_t STANDARD_INPUT_IMPLEMENTATION = 1;

// SDL quietly falls back to a virtual screen when it finds no display; a game that nobody can
// see is of no use, unless that is what the user asked SDL for (tests, headless runs).
void assertRealDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return;
  bool virtualDriver = 0 == SDL_strcasecmp(driver, "offscreen") || 0 == SDL_strcasecmp(driver, "dummy");
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  bool askedFor = asked && SDL_strcasestr(asked, driver);
  if (virtualDriver && !askedFor) DBG_ERROR("No display available.");
}
}  // namespace

bool windowIsOpen() {
  return nullptr != fWindow;
}
bool soundLibraryIsOpen() {
  return nullptr != fSoundLibrary;
}
SSL* soundLibrary() {
  return fSoundLibrary;
}
EGL* graphicsLibrary() {
  return fGraphicsLibrary;
}
EGCWindow* window() {
  return fWindow;
}
SIL* inputLibrary() {
  return fInputLibrary;
}
RNDTool* randomTool() {
  return fRandomTool;
}

void openPlatform(const std::string& title, std::uint32_t styleFlags) {
  DBG_ASSERT(!windowIsOpen());
  // The close button ends the game through the handlers (a QUIT for every machine), not
  // through a second, separate quit event.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) DBG_FAIL_TEXT(SDL_GetError());
  assertRealDisplay();

  EGCMessageHandlerSet* messageHandlers = new EGCMessageHandlerSet;
  DBG_ASSERT(messageHandlers);
  EGCWindow* window = new EGCWindow(messageHandlers, title, styleFlags, EGCRectangle{0, 0, 320, 200});
  DBG_ASSERT(window);
  fWindow = window;
  SDL_StartTextInput();

  pumpMessages();
  DBG_ASSERT(windowIsOpen());

  void* windowHandle = fWindow->handle();
  DBG_ASSERT(NULL != windowHandle);
  fGraphicsLibrary = openEGL(OPENGL_IMPLEMENTATION, windowHandle);

  DBG_ASSERT(NULL != windowHandle);
  fInputLibrary = openSIL(STANDARD_INPUT_IMPLEMENTATION, windowHandle);

  RNDTool* randomTool = openRandomTool(REGISTER256_GENERATOR, PARK_MILLER_GENERATOR, 0x2FF);
  DBG_ASSERT(randomTool);
  fRandomTool = randomTool;

  DBG_ASSERT(!soundLibraryIsOpen());
  fSoundLibrary = openSSL(DIRECT_AUDIO_IMPLEMENTATION);
  DBG_ASSERT(soundLibraryIsOpen());
}

void closePlatform() {
  DBG_ASSERT(windowIsOpen());
  closeSSL(fSoundLibrary);
  fSoundLibrary = nullptr;
  closeRandomTool(fRandomTool);
  fRandomTool = nullptr;
  closeSIL(fInputLibrary);
  fInputLibrary = nullptr;
  closeEGL(fGraphicsLibrary);
  fGraphicsLibrary = nullptr;

  EGCMessageHandler* messageHandler = fWindow->messageHandlers();
  DBG_ASSERT(messageHandler);
  fWindow->setMessageHandlers(nullptr);
  delete messageHandler;
  delete fWindow;
  fWindow = nullptr;
  SDL_StopTextInput();
  // SDL stays up, and with it the desktop window and the OpenGL driver, until the process ends:
  // the process ends right after this, and a driver unloaded early leaves its allocations
  // nameless to leak checkers.
}

void pumpMessages() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) dispatchSDLEvent(event);
  if (fInputLibrary) fInputLibrary->update();
}
