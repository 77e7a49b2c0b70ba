// The window and message library: the application window, its message handlers, and the
// platform that opens the window and the libraries that live on it.
//
// Window messages are never handled by the window itself: the message pump turns each event it
// knows into a call on the window's handler set, to which every interested module adds its own
// handler (key events, typed characters, close requests).
#pragma once

#include <cstdint>
#include <set>
#include <string>

struct EGCPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const EGCPoint&, const EGCPoint&) = default;
};

struct EGCRectangle {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const EGCRectangle&, const EGCRectangle&) = default;
};

// The key ids that onKeyDown and onKeyUp receive.
struct EGCKeyIDs {
  enum : std::int32_t {
    MIN_KEY_ID = 0,  // exclusive
    UNMAPPED_KEY = 1,
    BACKSPACE_KEY = 2,
    TAB_KEY = 3,
    RETURN_KEY = 4,
    SHIFT_KEY = 5,
    CONTROL_KEY = 6,
    ALT_KEY = 7,
    ESCAPE_KEY = 8,
    SPACE_KEY = 9,
    PAGE_UP_KEY = 10,
    PAGE_DOWN_KEY = 11,
    END_KEY = 12,
    HOME_KEY = 13,
    LEFT_KEY = 14,
    UP_KEY = 15,
    RIGHT_KEY = 16,
    DOWN_KEY = 17,
    DELETE_KEY = 18,
    DIGIT_0_KEY = 19,   // to DIGIT_0_KEY + 9
    A_KEY = 29,         // to A_KEY + 25 (Z)
    NUMPAD_0_KEY = 55,  // to NUMPAD_0_KEY + 9
    NUMPAD_MULTIPLY_KEY = 65,
    NUMPAD_ADD_KEY = 66,
    NUMPAD_SUBTRACT_KEY = 67,
    NUMPAD_DIVIDE_KEY = 68,
    F1_KEY = 69,  // to F1_KEY + 11 (F12)
    F12_KEY = 80,
    MAX_KEY_ID = 81,  // exclusive
  };
};

// Maps a virtual-key code (the desktop-neutral key numbering that the key table is written in)
// to its key id; every code without an entry gives UNMAPPED_KEY.
std::int32_t keyIDForVirtualKey(std::int32_t virtualKey);

class EGCWindow;

// The handler interface. Every message operation receives the window first and answers whether
// it handled the message.
class EGCMessageHandler {
 public:
  virtual ~EGCMessageHandler() = default;
  virtual void addMessageHandler(EGCMessageHandler* handler) = 0;
  virtual void removeMessageHandler(EGCMessageHandler* handler) = 0;
  virtual bool onActivate(EGCWindow* window) = 0;
  virtual bool onActivateApplication(EGCWindow* window) = 0;
  virtual bool onCharacter(EGCWindow* window, std::int32_t characterCode) = 0;
  virtual bool onDestroy(EGCWindow* window) = 0;
  virtual bool onDeactivate(EGCWindow* window) = 0;
  virtual bool onDeactivateApplication(EGCWindow* window) = 0;
  virtual bool onKeyDown(EGCWindow* window, std::int32_t keyID) = 0;
  virtual bool onKeyUp(EGCWindow* window, std::int32_t keyID) = 0;
  virtual bool onLeftButtonDoubleClick(EGCWindow* window) = 0;
  virtual bool onLeftButtonDown(EGCWindow* window) = 0;
  virtual bool onLeftButtonUp(EGCWindow* window) = 0;
  virtual bool onMiddleButtonDoubleClick(EGCWindow* window) = 0;
  virtual bool onMiddleButtonDown(EGCWindow* window) = 0;
  virtual bool onMiddleButtonUp(EGCWindow* window) = 0;
  virtual bool onMouseMove(EGCWindow* window, EGCPoint position) = 0;
  virtual bool onMove(EGCWindow* window, EGCPoint position) = 0;
  virtual bool onPaint(EGCWindow* window) = 0;
  virtual bool onRightButtonDoubleClick(EGCWindow* window) = 0;
  virtual bool onRightButtonDown(EGCWindow* window) = 0;
  virtual bool onRightButtonUp(EGCWindow* window) = 0;
  virtual bool onSize(EGCWindow* window, EGCPoint size) = 0;
  // The desktop asks the program to end (the window's close button, the desktop's close
  // shortcut, an interrupt from the terminal). Unhandled, nothing happens: the window stays.
  virtual bool onClose(EGCWindow* window) = 0;
};

// Handles nothing; the modules' handlers derive from it and override only what they need.
class EGCDefaultMessageHandler : public EGCMessageHandler {
 public:
  void addMessageHandler(EGCMessageHandler*) override {}
  void removeMessageHandler(EGCMessageHandler*) override {}
  bool onActivate(EGCWindow*) override { return false; }
  bool onActivateApplication(EGCWindow*) override { return false; }
  bool onCharacter(EGCWindow*, std::int32_t) override { return false; }
  bool onDestroy(EGCWindow*) override { return false; }
  bool onDeactivate(EGCWindow*) override { return false; }
  bool onDeactivateApplication(EGCWindow*) override { return false; }
  bool onKeyDown(EGCWindow*, std::int32_t) override { return false; }
  bool onKeyUp(EGCWindow*, std::int32_t) override { return false; }
  bool onLeftButtonDoubleClick(EGCWindow*) override { return false; }
  bool onLeftButtonDown(EGCWindow*) override { return false; }
  bool onLeftButtonUp(EGCWindow*) override { return false; }
  bool onMiddleButtonDoubleClick(EGCWindow*) override { return false; }
  bool onMiddleButtonDown(EGCWindow*) override { return false; }
  bool onMiddleButtonUp(EGCWindow*) override { return false; }
  bool onMouseMove(EGCWindow*, EGCPoint) override { return false; }
  bool onMove(EGCWindow*, EGCPoint) override { return false; }
  bool onPaint(EGCWindow*) override { return false; }
  bool onRightButtonDoubleClick(EGCWindow*) override { return false; }
  bool onRightButtonDown(EGCWindow*) override { return false; }
  bool onRightButtonUp(EGCWindow*) override { return false; }
  bool onSize(EGCWindow*, EGCPoint) override { return false; }
  bool onClose(EGCWindow*) override { return false; }
};

// Passes every message to every handler it holds (even after one has handled it) and reports
// it handled when at least one did. Handlers are held once each and are not owned.
class EGCMessageHandlerSet : public EGCMessageHandler {
 public:
  void addMessageHandler(EGCMessageHandler* handler) override;
  void removeMessageHandler(EGCMessageHandler* handler) override;
  bool onActivate(EGCWindow* window) override;
  bool onActivateApplication(EGCWindow* window) override;
  bool onCharacter(EGCWindow* window, std::int32_t characterCode) override;
  bool onDestroy(EGCWindow* window) override;
  bool onDeactivate(EGCWindow* window) override;
  bool onDeactivateApplication(EGCWindow* window) override;
  bool onKeyDown(EGCWindow* window, std::int32_t keyID) override;
  bool onKeyUp(EGCWindow* window, std::int32_t keyID) override;
  bool onLeftButtonDoubleClick(EGCWindow* window) override;
  bool onLeftButtonDown(EGCWindow* window) override;
  bool onLeftButtonUp(EGCWindow* window) override;
  bool onMiddleButtonDoubleClick(EGCWindow* window) override;
  bool onMiddleButtonDown(EGCWindow* window) override;
  bool onMiddleButtonUp(EGCWindow* window) override;
  bool onMouseMove(EGCWindow* window, EGCPoint position) override;
  bool onMove(EGCWindow* window, EGCPoint position) override;
  bool onPaint(EGCWindow* window) override;
  bool onRightButtonDoubleClick(EGCWindow* window) override;
  bool onRightButtonDown(EGCWindow* window) override;
  bool onRightButtonUp(EGCWindow* window) override;
  bool onSize(EGCWindow* window, EGCPoint size) override;
  bool onClose(EGCWindow* window) override;

  const std::set<EGCMessageHandler*>& handlers() const { return mHandlers; }

 private:
  template <typename Call>
  bool toAll(Call call);

  std::set<EGCMessageHandler*> mHandlers;
};

// Window style flags for the EGCWindow constructor and openPlatform.
struct EGCWindowStyles {
  enum : std::uint32_t {
    MAXIMIZE_BOX = 0x01,
    MINIMIZE_BOX = 0x02,
    SIZING_BORDER = 0x04,  // the window can be resized
    TOPMOST = 0x10,        // always on top
    NOT_TOPMOST = 0x20,
    SYSTEM_MENU = 0x100,  // without it the window is a popup
    CAPTION = 0x200,      // without it the window has no border
  };
};

// Window states that state() answers and setState() takes.
struct EGCWindowStates {
  enum : std::int32_t { MINIMIZED = 1, NORMAL = 2, MAXIMIZED = 3, FULL_SCREEN = 4 };
};

// The application window, a desktop window (an SDL window made for OpenGL).
class EGCWindow {
 public:
  EGCWindow(EGCMessageHandler* handlers, const std::string& title, std::uint32_t styleFlags,
            EGCRectangle rectangle);
  EGCWindow(const EGCWindow&) = delete;
  EGCWindow& operator=(const EGCWindow&) = delete;
  // Detaches from the desktop window and hides it; the desktop window itself lives until the
  // process ends.
  virtual ~EGCWindow();

  virtual void addMessageHandler(EGCMessageHandler* handler);
  virtual void removeMessageHandler(EGCMessageHandler* handler);
  virtual void setMessageHandlers(EGCMessageHandler* handlers);
  virtual void setTitle(const std::string& title);
  virtual void setPosition(EGCPoint position);
  virtual void setSize(EGCPoint size);
  virtual void setRectangle(EGCRectangle rectangle);
  virtual void setState(std::int32_t state);
  virtual EGCMessageHandler* messageHandlers() const;
  virtual const std::string& title() const;
  virtual EGCPoint position() const;
  virtual EGCPoint size() const;
  virtual EGCRectangle rectangle() const;
  virtual std::int32_t state() const;
  virtual EGCPoint clientPosition() const;
  virtual EGCPoint clientSize() const;
  virtual EGCRectangle clientRectangle() const;

  // The SDL_Window*, for the graphics and input libraries.
  void* handle() const { return mHandle; }
  std::uint32_t styleFlags() const { return mStyleFlags; }

  // The window object attached to a desktop window, or null.
  static EGCWindow* fromHandle(void* handle);

 private:
  EGCMessageHandler* mHandlers;
  std::string mTitle;
  std::uint32_t mStyleFlags;
  void* mHandle = nullptr;
};

// The platform: the window and the libraries opened on it.
class SIL;
class RNDTool;
class SSL;
class EGL;

void openPlatform(const std::string& title, std::uint32_t styleFlags);
void closePlatform();
// Dispatches every pending desktop event to the window's handlers without waiting, then lets the
// input library read its devices.
void pumpMessages();

bool windowIsOpen();
bool soundLibraryIsOpen();
EGCWindow* window();
SIL* inputLibrary();
SSL* soundLibrary();
EGL* graphicsLibrary();
// The program's one random tool.
RNDTool* randomTool();
