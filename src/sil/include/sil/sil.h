// SIL: the input library. Reads the keyboard and the mouse once per update and answers their
// state: keys and buttons up or down, and a mouse position that the library integrates itself
// from the mouse's relative motion, scaled by a velocity per axis.
//
// A device that is lost (the window lost the input focus) reads as all keys and buttons up, the
// mouse standing still, until it can be acquired again, which is retried on every update.
#pragma once

#include <cstdint>
#include <set>

#include "egl/egltypes.h"

// A key identifier, 1 to 95.
class SILKey {
 public:
  enum : std::int32_t {
    MIN_KEY_ID = 0,  // exclusive
    NO_KEY = 1,      // never down
    DIGIT_0_KEY = 2,
    A_KEY = 12,
    BACK_KEY = 38,
    CAPITAL_KEY = 39,
    EQUALS_KEY = 40,
    MINUS_KEY = 41,
    LEFT_CONTROL_KEY = 42,
    LEFT_ALT_KEY = 43,
    LEFT_SHIFT_KEY = 44,
    RIGHT_CONTROL_KEY = 45,
    RIGHT_ALT_KEY = 46,
    RIGHT_SHIFT_KEY = 47,
    RETURN_KEY = 48,
    SPACE_KEY = 49,
    TAB_KEY = 50,
    PERIOD_KEY = 51,
    F1_KEY = 52,
    PAUSE_KEY = 64,
    SCROLL_KEY = 65,
    SYSRQ_KEY = 66,
    ADD_KEY = 67,
    SUBTRACT_KEY = 68,
    MULTIPLY_KEY = 69,
    DIVIDE_KEY = 70,
    DECIMAL_KEY = 71,
    NUMLOCK_KEY = 72,
    NUMPAD_0_KEY = 73,
    NUMPAD_ENTER_KEY = 83,
    NUMPAD_EQUALS_KEY = 84,
    UP_KEY = 85,
    DOWN_KEY = 86,
    LEFT_KEY = 87,
    RIGHT_KEY = 88,
    DELETE_KEY = 89,
    END_KEY = 90,
    HOME_KEY = 91,
    INSERT_KEY = 92,
    NEXT_KEY = 93,
    PRIOR_KEY = 94,
    ESCAPE_KEY = 95,
    MAX_KEY_ID = 96,  // exclusive
  };

  explicit SILKey(std::int32_t id) : mID(id) {}
  bool invariant() const { return (MIN_KEY_ID < mID) && (mID < MAX_KEY_ID); }
  // Asserts the invariant.
  std::int32_t id() const;

 private:
  std::int32_t mID;
};

class SILKeyboard {
 public:
  virtual ~SILKeyboard() = default;
  virtual bool isKeyDown(SILKey key) const = 0;
};

class SILMouse {
 public:
  enum : std::int32_t {
    MIN_BUTTON = 0,  // exclusive
    LEFT_BUTTON = 1,
    MIDDLE_BUTTON = 2,
    RIGHT_BUTTON = 3,
    MAX_BUTTON = 4,  // exclusive
  };

  virtual ~SILMouse() = default;
  virtual void setPosition(EGLVector position) = 0;
  virtual void setVelocity(EGLVector velocity) = 0;
  virtual bool isButtonDown(std::int32_t button) const = 0;
  virtual EGLVector position() const = 0;
};

class SIL {
 public:
  enum : std::int32_t {
    MIN_COOPERATIVE_MODE = 0,  // exclusive
    // Reads the device while the window has the input focus; the pointer stays free.
    SHARED_COOPERATIVE_MODE = 1,
    // As shared, and while it has the focus the window holds the pointer (relative mouse mode).
    EXCLUSIVE_COOPERATIVE_MODE = 2,
    MAX_COOPERATIVE_MODE = 3,  // exclusive
  };

  virtual ~SIL() = default;
  virtual void closeKeyboard(SILKeyboard* keyboard) = 0;
  virtual void closeMouse(SILMouse* mouse) = 0;
  virtual SILKeyboard* openKeyboard(std::int32_t cooperativeMode) = 0;
  virtual SILMouse* openMouse(std::int32_t cooperativeMode, EGLVector position, EGLVector velocity) = 0;
  // Reads every open keyboard, then every open mouse.
  virtual void update() = 0;
  virtual const std::set<SILKeyboard*>& keyboards() const = 0;
  virtual const std::set<SILMouse*>& mice() const = 0;
};

// The standard input back end of the platform (over SDL); the only one.
inline constexpr std::int32_t DIRECT_INPUT_IMPLEMENTATION = 1;

// An input library on the window (its SDL_Window*).
SIL* openSIL(std::int32_t implementation, void* windowHandle);
void closeSIL(SIL* sil);
