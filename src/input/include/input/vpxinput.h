// The game's input: one mouse (held by the window, integrated at the menu's sensitivity), one
// keyboard, and the character buffer that the name entry shows, filled from typed characters.
#pragma once

#include <cstdint>
#include <string>

#include "egc/egc.h"
#include "egl/egltypes.h"

struct VPXMouseVelocities {
  enum : std::int32_t { LOW_VELOCITY = 1, MEDIUM_VELOCITY = 2, HIGH_VELOCITY = 3 };
};

// Opens the mouse (exclusive, at (0, 0), medium velocity) and the keyboard (shared), and adds
// the character handler to the window.
void openInput();
void closeInput();
bool mouseIsOpen();
bool keyboardIsOpen();

// The velocity of a VPXMouseVelocities id; others raise "Unknown mouse velocity.".
EGLVector mouseVelocity(std::int32_t velocityID);
void setMouseVelocity(std::int32_t velocityID);
bool isMouseButtonDown(std::int32_t button);
EGLVector mousePosition();
void setMousePosition(EGLVector position);

const std::string& characterBuffer();
void emptyCharacterBuffer();

// Keeps up to MAX_CHARACTERS typed characters; backspace removes the last.
class VPXCharacterHandler : public EGCDefaultMessageHandler {
 public:
  static constexpr std::size_t MAX_CHARACTERS = 20;

  bool onCharacter(EGCWindow* window, std::int32_t characterCode) override;
  bool onKeyDown(EGCWindow* window, std::int32_t keyID) override;

  const std::string& buffer() const { return mBuffer; }
  void empty() { mBuffer.clear(); }

 private:
  std::string mBuffer;
};

// The program's one character handler, built on first use.
VPXCharacterHandler& characterHandler();
