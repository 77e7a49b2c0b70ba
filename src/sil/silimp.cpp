#include "sil/silimp.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstddef>

#include "dbg/dbg.h"

DBG_SOURCE("silimp");

namespace {
constexpr std::uint8_t KEY_DOWN_BIT = 0x80;

// SIL key ids from 38 to 51, in order.
constexpr SDL_Scancode NAMED_KEYS[] = {SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_EQUALS,
                                       SDL_SCANCODE_MINUS,     SDL_SCANCODE_LCTRL,    SDL_SCANCODE_LALT,
                                       SDL_SCANCODE_LSHIFT,    SDL_SCANCODE_RCTRL,    SDL_SCANCODE_RALT,
                                       SDL_SCANCODE_RSHIFT,    SDL_SCANCODE_RETURN,   SDL_SCANCODE_SPACE,
                                       SDL_SCANCODE_TAB,       SDL_SCANCODE_PERIOD};
// From 64 to 72.
constexpr SDL_Scancode LOCK_AND_KEYPAD_KEYS[] = {
    SDL_SCANCODE_PAUSE,     SDL_SCANCODE_SCROLLLOCK, SDL_SCANCODE_PRINTSCREEN,
    SDL_SCANCODE_KP_PLUS,   SDL_SCANCODE_KP_MINUS,   SDL_SCANCODE_KP_MULTIPLY,
    SDL_SCANCODE_KP_DIVIDE, SDL_SCANCODE_KP_PERIOD,  SDL_SCANCODE_NUMLOCKCLEAR};
// From 83 to 95.
constexpr SDL_Scancode NAVIGATION_KEYS[] = {
    SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_KP_EQUALS, SDL_SCANCODE_UP,    SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT,
    SDL_SCANCODE_RIGHT,    SDL_SCANCODE_DELETE,    SDL_SCANCODE_END,   SDL_SCANCODE_HOME, SDL_SCANCODE_INSERT,
    SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_PAGEUP,    SDL_SCANCODE_ESCAPE};

class SDLDeviceSource : public SILDeviceSource {
 public:
  explicit SDLDeviceSource(void* windowHandle) : mWindow(static_cast<SDL_Window*>(windowHandle)) {}
  bool hasInputFocus() override { return 0 != (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS); }
  const std::uint8_t* keyboardState(int* count) override { return SDL_GetKeyboardState(count); }
  std::uint32_t relativeMouseState(int* dx, int* dy) override { return SDL_GetRelativeMouseState(dx, dy); }
  void setRelativeMouseMode(bool enabled) override {
    if (SDL_SetRelativeMouseMode(enabled ? SDL_TRUE : SDL_FALSE) != 0 && enabled)
      DBG_FAIL_TEXT(SDL_GetError());
  }

 private:
  SDL_Window* mWindow;
};

void assertCooperativeMode(std::int32_t cooperativeMode) {
  DBG_ASSERT("Valid cooperative mode." && (SIL::MIN_COOPERATIVE_MODE < cooperativeMode) &&
             (cooperativeMode < SIL::MAX_COOPERATIVE_MODE));
}
}  // namespace

std::int32_t scancodeForSILKey(std::int32_t keyID) {
  if (keyID == SILKey::NO_KEY) return -1;
  // SDL numbers the digits 1..9 first and 0 after them; likewise on the keypad.
  if (keyID == SILKey::DIGIT_0_KEY) return SDL_SCANCODE_0;
  if (SILKey::DIGIT_0_KEY < keyID && keyID < SILKey::A_KEY)
    return SDL_SCANCODE_1 + (keyID - SILKey::DIGIT_0_KEY - 1);
  if (SILKey::A_KEY <= keyID && keyID < SILKey::BACK_KEY) return SDL_SCANCODE_A + (keyID - SILKey::A_KEY);
  if (SILKey::BACK_KEY <= keyID && keyID < SILKey::F1_KEY) return NAMED_KEYS[keyID - SILKey::BACK_KEY];
  if (SILKey::F1_KEY <= keyID && keyID < SILKey::PAUSE_KEY) return SDL_SCANCODE_F1 + (keyID - SILKey::F1_KEY);
  if (SILKey::PAUSE_KEY <= keyID && keyID < SILKey::NUMPAD_0_KEY) {
    return LOCK_AND_KEYPAD_KEYS[keyID - SILKey::PAUSE_KEY];
  }
  if (keyID == SILKey::NUMPAD_0_KEY) return SDL_SCANCODE_KP_0;
  if (SILKey::NUMPAD_0_KEY < keyID && keyID < SILKey::NUMPAD_ENTER_KEY) {
    return SDL_SCANCODE_KP_1 + (keyID - SILKey::NUMPAD_0_KEY - 1);
  }
  if (SILKey::NUMPAD_ENTER_KEY <= keyID && keyID < SILKey::MAX_KEY_ID) {
    return NAVIGATION_KEYS[keyID - SILKey::NUMPAD_ENTER_KEY];
  }
  DBG_ERROR("Unknown key ID.");
}

// ---------------------------------------------------------------------------------------------

SILImpKeyboard::SILImpKeyboard(std::int32_t cooperativeMode) : mCooperativeMode(cooperativeMode) {}

bool SILImpKeyboard::invariant() const {
  return (SIL::MIN_COOPERATIVE_MODE < mCooperativeMode) && (mCooperativeMode < SIL::MAX_COOPERATIVE_MODE);
}

bool SILImpKeyboard::isKeyDown(SILKey key) const {
  DBG_ASSERT(invariant());
  std::int32_t keyStateIndex = scancodeForSILKey(key.id());
  if (keyStateIndex < 0) return false;
  DBG_ASSERT("Valid keyStateIndex." && (0 <= keyStateIndex) && (keyStateIndex < DI_KEY_COUNT));
  return 0 != (mKeyStates[keyStateIndex] & KEY_DOWN_BIT);
}

void SILImpKeyboard::update(bool hasFocus, const std::uint8_t* state, int count) {
  std::fill(std::begin(mKeyStates), std::end(mKeyStates), std::uint8_t{0});
  // Without the focus the keyboard belongs to another window: every key reads as up.
  if (!hasFocus || !state) return;
  int n = std::min(count, static_cast<int>(DI_KEY_COUNT));
  for (int i = 0; i < n; ++i) mKeyStates[i] = state[i] ? KEY_DOWN_BIT : 0;
}

// ---------------------------------------------------------------------------------------------

SILImpMouse::SILImpMouse(SILDeviceSource& source, std::int32_t cooperativeMode, EGLVector position,
                         EGLVector velocity)
    : mSource(source), mCooperativeMode(cooperativeMode), mPosition(position), mVelocity(velocity) {}

SILImpMouse::~SILImpMouse() {
  if (mAcquired && mCooperativeMode == SIL::EXCLUSIVE_COOPERATIVE_MODE) mSource.setRelativeMouseMode(false);
}

void SILImpMouse::setPosition(EGLVector position) {
  mPosition = position;
}

void SILImpMouse::setVelocity(EGLVector velocity) {
  mVelocity = velocity;
}

bool SILImpMouse::isButtonDown(std::int32_t button) const {
  DBG_ASSERT("Valid mouse button." && (MIN_BUTTON < button) && (button < MAX_BUTTON));
  return mButtons[button - 1];
}

EGLVector SILImpMouse::position() const {
  return mPosition;
}

void SILImpMouse::update(bool hasFocus, int dx, int dy, std::uint32_t buttonMask) {
  mButtons[0] = mButtons[1] = mButtons[2] = false;
  bool exclusive = mCooperativeMode == SIL::EXCLUSIVE_COOPERATIVE_MODE;
  if (!hasFocus) {
    // Lost: the pointer goes back to the desktop, and the mouse stands still meanwhile.
    if (mAcquired && exclusive) mSource.setRelativeMouseMode(false);
    mAcquired = false;
    return;
  }
  if (!mAcquired) {
    if (exclusive) mSource.setRelativeMouseMode(true);
    mAcquired = true;
    // Motion from before the acquisition (travel over other windows, the grab's own warp)
    // must not make the position jump: count only from here on.
    dx = dy = 0;
  }
  mPosition.x += static_cast<float>(dx) * mVelocity.x;
  mPosition.y += static_cast<float>(dy) * mVelocity.y;
  mButtons[0] = 0 != (buttonMask & SDL_BUTTON_LMASK);
  mButtons[1] = 0 != (buttonMask & SDL_BUTTON_MMASK);
  mButtons[2] = 0 != (buttonMask & SDL_BUTTON_RMASK);
}

// ---------------------------------------------------------------------------------------------

SILImp::SILImp(void* windowHandle) : SILImp(windowHandle, nullptr) {}

SILImp::SILImp(void* windowHandle, SILDeviceSource* source)
    : mWindowHandle(windowHandle), mSource(source), mOwnsSource(false) {
  DBG_ASSERT("Valid window handle pointer." && windowHandle);
  DBG_ASSERT("Valid window handle." && (mWindowHandle != NULL));
  if (!mSource) {
    mSource = new SDLDeviceSource(windowHandle);
    mOwnsSource = true;
  }
  DBG_ASSERT(invariant());
}

SILImp::~SILImp() {
  // The devices belong to the library; any still open go with it.
  for (SILKeyboard* keyboard : mKeyboards) delete keyboard;
  for (SILMouse* mouse : mMice) delete mouse;
  if (mOwnsSource) delete mSource;
}

SILKeyboard* SILImp::openKeyboard(std::int32_t cooperativeMode) {
  DBG_ASSERT(invariant());
  assertCooperativeMode(cooperativeMode);
  SILImpKeyboard* keyboard = new SILImpKeyboard(cooperativeMode);
  DBG_ASSERT("Direct input keyboard created successfully." && keyboard);
  mKeyboards.insert(keyboard);
  DBG_ASSERT(invariant());
  return keyboard;
}

SILMouse* SILImp::openMouse(std::int32_t cooperativeMode, EGLVector position, EGLVector velocity) {
  DBG_ASSERT(invariant());
  assertCooperativeMode(cooperativeMode);
  SILImpMouse* mouse = new SILImpMouse(*mSource, cooperativeMode, position, velocity);
  DBG_ASSERT("Direct input mouse created successfully." && mouse);
  mMice.insert(mouse);
  DBG_ASSERT(invariant());
  return mouse;
}

void SILImp::closeKeyboard(SILKeyboard* keyboard) {
  DBG_ASSERT("Valid keyboard pointer." && keyboard);
  DBG_ASSERT("Open keyboard." && isOpen(keyboard));
  mKeyboards.erase(keyboard);
  delete keyboard;
}

void SILImp::closeMouse(SILMouse* mouse) {
  DBG_ASSERT("Valid mouse pointer." && mouse);
  DBG_ASSERT("Open mouse." && isOpen(mouse));
  mMice.erase(mouse);
  delete mouse;
}

void SILImp::update() {
  DBG_ASSERT(invariant());
  bool hasFocus = mSource->hasInputFocus();
  int count = 0;
  const std::uint8_t* keys = mSource->keyboardState(&count);
  for (SILKeyboard* keyboard : mKeyboards)
    static_cast<SILImpKeyboard*>(keyboard)->update(hasFocus, keys, count);
  // SDL hands out the motion once, so it is read once and shared by every mouse; reading it
  // also while unfocused keeps it from piling up until the focus returns.
  int dx = 0;
  int dy = 0;
  std::uint32_t buttons = mSource->relativeMouseState(&dx, &dy);
  for (SILMouse* mouse : mMice) static_cast<SILImpMouse*>(mouse)->update(hasFocus, dx, dy, buttons);
}
