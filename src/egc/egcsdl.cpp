#include "egc/egcsdl.h"

std::int32_t virtualKeyForSDLKey(SDL_Keycode key) {
  if (SDLK_a <= key && key <= SDLK_z) return 65 + (key - SDLK_a);
  if (SDLK_0 <= key && key <= SDLK_9) return 48 + (key - SDLK_0);
  if (SDLK_F1 <= key && key <= SDLK_F12) return 112 + (key - SDLK_F1);
  if (SDLK_F13 <= key && key <= SDLK_F24) return 124 + (key - SDLK_F13);
  // SDL numbers the keypad digits 1..9 first and 0 after them.
  if (SDLK_KP_1 <= key && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return 13;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return 17;
    case SDLK_LALT:
    case SDLK_RALT:
      return 18;
    case SDLK_PAUSE:
      return 19;
    case SDLK_CAPSLOCK:
      return 20;
    case SDLK_ESCAPE:
      return 27;
    case SDLK_SPACE:
      return 32;
    case SDLK_PAGEUP:
      return 33;
    case SDLK_PAGEDOWN:
      return 34;
    case SDLK_END:
      return 35;
    case SDLK_HOME:
      return 36;
    case SDLK_LEFT:
      return 37;
    case SDLK_UP:
      return 38;
    case SDLK_RIGHT:
      return 39;
    case SDLK_DOWN:
      return 40;
    case SDLK_PRINTSCREEN:
      return 44;
    case SDLK_INSERT:
      return 45;
    case SDLK_DELETE:
      return 46;
    case SDLK_KP_0:
      return 96;
    case SDLK_KP_MULTIPLY:
      return 106;
    case SDLK_KP_PLUS:
      return 107;
    case SDLK_KP_MINUS:
      return 109;
    case SDLK_KP_PERIOD:
      return 110;
    case SDLK_KP_DIVIDE:
      return 111;
    case SDLK_NUMLOCKCLEAR:
      return 144;
    case SDLK_SCROLLLOCK:
      return 145;
    default:
      return 0;
  }
}

std::vector<std::int32_t> characterCodesOfText(std::string_view utf8) {
  std::vector<std::int32_t> codes;
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (0 == length || i + length > utf8.size()) {  // a stray or cut-off byte: skip it
      ++i;
      continue;
    }
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    bool wellFormed = true;
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) wellFormed = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!wellFormed) {
      ++i;
      continue;
    }
    i += length;
    if (32 <= code && code <= 255) codes.push_back(static_cast<std::int32_t>(code));
  }
  return codes;
}

namespace {
// Each SDL key event is one message; an auto-repeat arrives as one more key-down event.
constexpr std::int32_t SDL_REPEAT_COUNT = 1;

EGCWindow* windowOf(std::uint32_t windowID) {
  EGCWindow* target = EGCWindow::fromHandle(SDL_GetWindowFromID(windowID));
  // Events that SDL gives no window (a terminal's interrupt, synthetic events) belong to the
  // application window.
  return target ? target : window();
}

bool onButton(EGCWindow* w, EGCMessageHandler* h, const SDL_MouseButtonEvent& b, bool down) {
  // Like the desktop's double click, the second press of a pair replaces its button-down.
  bool twice = down && b.clicks >= 2 && b.clicks % 2 == 0;
  switch (b.button) {
    case SDL_BUTTON_LEFT:
      return !down ? h->onLeftButtonUp(w) : twice ? h->onLeftButtonDoubleClick(w) : h->onLeftButtonDown(w);
    case SDL_BUTTON_MIDDLE:
      return !down   ? h->onMiddleButtonUp(w)
             : twice ? h->onMiddleButtonDoubleClick(w)
                     : h->onMiddleButtonDown(w);
    case SDL_BUTTON_RIGHT:
      return !down ? h->onRightButtonUp(w) : twice ? h->onRightButtonDoubleClick(w) : h->onRightButtonDown(w);
    default:
      return false;
  }
}

bool onWindowEvent(EGCWindow* w, EGCMessageHandler* h, const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_MOVED:
      return h->onMove(w, w->position());
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return h->onSize(w, w->size());
    case SDL_WINDOWEVENT_EXPOSED:
      return h->onPaint(w);
    case SDL_WINDOWEVENT_FOCUS_GAINED: {
      bool application = h->onActivateApplication(w);
      return h->onActivate(w) || application;
    }
    case SDL_WINDOWEVENT_FOCUS_LOST: {
      bool deactivated = h->onDeactivate(w);
      return h->onDeactivateApplication(w) || deactivated;
    }
    case SDL_WINDOWEVENT_CLOSE:
      return h->onClose(w);
    default:
      return false;
  }
}
}  // namespace

bool dispatchSDLEvent(const SDL_Event& event) {
  EGCWindow* target = nullptr;
  switch (event.type) {
    case SDL_QUIT:
      target = window();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      target = windowOf(event.key.windowID);
      break;
    case SDL_TEXTINPUT:
      target = windowOf(event.text.windowID);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      target = windowOf(event.button.windowID);
      break;
    case SDL_MOUSEMOTION:
      target = windowOf(event.motion.windowID);
      break;
    case SDL_WINDOWEVENT:
      target = EGCWindow::fromHandle(SDL_GetWindowFromID(event.window.windowID));
      break;
    default:
      return false;
  }
  if (!target || !target->messageHandlers()) return false;
  EGCMessageHandler* handlers = target->messageHandlers();

  switch (event.type) {
    case SDL_QUIT:
      return handlers->onClose(target);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      std::int32_t keyID = keyIDForVirtualKey(virtualKeyForSDLKey(event.key.keysym.sym));
      bool down = event.type == SDL_KEYDOWN;
      return deliverRepeated(SDL_REPEAT_COUNT, [&] {
        return down ? handlers->onKeyDown(target, keyID) : handlers->onKeyUp(target, keyID);
      });
    }
    case SDL_TEXTINPUT: {
      bool handled = false;
      for (std::int32_t code : characterCodesOfText(event.text.text)) {
        handled = deliverRepeated(SDL_REPEAT_COUNT, [&] { return handlers->onCharacter(target, code); });
      }
      return handled;
    }
    case SDL_MOUSEBUTTONDOWN:
      return onButton(target, handlers, event.button, true);
    case SDL_MOUSEBUTTONUP:
      return onButton(target, handlers, event.button, false);
    case SDL_MOUSEMOTION:
      return handlers->onMouseMove(target, EGCPoint{event.motion.x & 0xFFFF, event.motion.y & 0xFFFF});
    case SDL_WINDOWEVENT:
      return onWindowEvent(target, handlers, event.window);
    default:
      return false;
  }
}
