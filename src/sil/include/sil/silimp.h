// The input library over SDL. SDL keeps the keyboard state and the mouse's accumulated relative
// motion as it pumps its events; SILImp reads them once per update through a device source, which
// tests replace with one of their own.
#pragma once

#include <cstdint>
#include <set>

#include "sil/sil.h"

// What the devices read, once per update.
class SILDeviceSource {
 public:
  virtual ~SILDeviceSource() = default;
  virtual bool hasInputFocus() = 0;
  // SDL's key state, one byte per scancode (nonzero: down), and how many there are.
  virtual const std::uint8_t* keyboardState(int* count) = 0;
  // The relative motion since the last call, and SDL's button mask.
  virtual std::uint32_t relativeMouseState(int* dx, int* dy) = 0;
  // Holds or frees the pointer.
  virtual void setRelativeMouseMode(bool enabled) = 0;
};

// The scancode tested for a SIL key id, or -1 for the key that is never down.
std::int32_t scancodeForSILKey(std::int32_t keyID);

class SILImpKeyboard : public SILKeyboard {
 public:
  // Room for every scancode the key table names.
  static constexpr std::int32_t DI_KEY_COUNT = 256;

  explicit SILImpKeyboard(std::int32_t cooperativeMode);
  bool isKeyDown(SILKey key) const override;
  bool invariant() const;

  void update(bool hasFocus, const std::uint8_t* state, int count);

 private:
  std::int32_t mCooperativeMode;
  std::uint8_t mKeyStates[DI_KEY_COUNT] = {};
};

class SILImpMouse : public SILMouse {
 public:
  SILImpMouse(SILDeviceSource& source, std::int32_t cooperativeMode, EGLVector position, EGLVector velocity);
  // Frees the pointer if this mouse holds it.
  ~SILImpMouse() override;
  void setPosition(EGLVector position) override;
  void setVelocity(EGLVector velocity) override;
  bool isButtonDown(std::int32_t button) const override;
  EGLVector position() const override;
  EGLVector velocity() const { return mVelocity; }
  bool isAcquired() const { return mAcquired; }

  void update(bool hasFocus, int dx, int dy, std::uint32_t buttonMask);

 private:
  SILDeviceSource& mSource;
  std::int32_t mCooperativeMode;
  EGLVector mPosition;
  EGLVector mVelocity;
  bool mButtons[3] = {};
  bool mAcquired = false;
};

class SILImp : public SIL {
 public:
  // Reads SDL for the window (an SDL_Window*).
  explicit SILImp(void* windowHandle);
  // Reads the given source; for tests.
  SILImp(void* windowHandle, SILDeviceSource* source);
  ~SILImp() override;

  void closeKeyboard(SILKeyboard* keyboard) override;
  void closeMouse(SILMouse* mouse) override;
  SILKeyboard* openKeyboard(std::int32_t cooperativeMode) override;
  SILMouse* openMouse(std::int32_t cooperativeMode, EGLVector position, EGLVector velocity) override;
  void update() override;
  const std::set<SILKeyboard*>& keyboards() const override { return mKeyboards; }
  const std::set<SILMouse*>& mice() const override { return mMice; }

  bool invariant() const { return mSource && mWindowHandle; }
  bool isOpen(SILKeyboard* keyboard) const { return mKeyboards.count(keyboard) != 0; }
  bool isOpen(SILMouse* mouse) const { return mMice.count(mouse) != 0; }

 private:
  void* mWindowHandle;
  SILDeviceSource* mSource;
  bool mOwnsSource;
  std::set<SILKeyboard*> mKeyboards;
  std::set<SILMouse*> mMice;
};
