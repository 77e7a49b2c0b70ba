#include "input/vpxinput.h"

#include "dbg/dbg.h"
#include "sil/sil.h"

DBG_SOURCE("vpxinput");

namespace {
SILMouse* fMouse = nullptr;
SILKeyboard* fKeyboard = nullptr;
}  // namespace

bool mouseIsOpen() {
  return nullptr != fMouse;
}
bool keyboardIsOpen() {
  return nullptr != fKeyboard;
}

void openInput() {
  DBG_ASSERT(!mouseIsOpen());
  fMouse = inputLibrary()->openMouse(SIL::EXCLUSIVE_COOPERATIVE_MODE, EGLVector{0.0f, 0.0f},
                                     mouseVelocity(VPXMouseVelocities::MEDIUM_VELOCITY));
  DBG_ASSERT(mouseIsOpen());
  DBG_ASSERT(!keyboardIsOpen());
  fKeyboard = inputLibrary()->openKeyboard(SIL::SHARED_COOPERATIVE_MODE);
  DBG_ASSERT(keyboardIsOpen());
  window()->addMessageHandler(&characterHandler());
}

void closeInput() {
  window()->removeMessageHandler(&characterHandler());
  DBG_ASSERT(keyboardIsOpen());
  inputLibrary()->closeKeyboard(fKeyboard);
  fKeyboard = nullptr;
  DBG_ASSERT(mouseIsOpen());
  inputLibrary()->closeMouse(fMouse);
  fMouse = nullptr;
}

EGLVector mouseVelocity(std::int32_t velocityID) {
  // Negative y: the screen's downward motion lowers the world's y.
  switch (velocityID) {
    case VPXMouseVelocities::LOW_VELOCITY:
      return EGLVector{2.0f, -2.0f};
    case VPXMouseVelocities::MEDIUM_VELOCITY:
      return EGLVector{4.0f, -4.0f};
    case VPXMouseVelocities::HIGH_VELOCITY:
      return EGLVector{6.0f, -6.0f};
    default:
      DBG_ERROR("Unknown mouse velocity.");
  }
}

void setMouseVelocity(std::int32_t velocityID) {
  DBG_ASSERT(mouseIsOpen());
  fMouse->setVelocity(mouseVelocity(velocityID));
}

bool isMouseButtonDown(std::int32_t button) {
  DBG_ASSERT(mouseIsOpen());
  return fMouse->isButtonDown(button);
}

EGLVector mousePosition() {
  DBG_ASSERT(mouseIsOpen());
  return fMouse->position();
}

void setMousePosition(EGLVector position) {
  DBG_ASSERT(mouseIsOpen());
  fMouse->setPosition(position);
}

const std::string& characterBuffer() {
  return characterHandler().buffer();
}

void emptyCharacterBuffer() {
  characterHandler().empty();
}

bool VPXCharacterHandler::onCharacter(EGCWindow*, std::int32_t characterCode) {
  if (characterCode < 32 || 128 < characterCode || mBuffer.size() >= MAX_CHARACTERS) return false;
  mBuffer.push_back(static_cast<char>(characterCode));
  return true;
}

bool VPXCharacterHandler::onKeyDown(EGCWindow*, std::int32_t keyID) {
  if (keyID != EGCKeyIDs::BACKSPACE_KEY) return false;
  if (!mBuffer.empty()) mBuffer.pop_back();
  return true;
}

VPXCharacterHandler& characterHandler() {
  static VPXCharacterHandler handler;
  return handler;
}
