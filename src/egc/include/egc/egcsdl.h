// How SDL's events become window messages. Kept apart from egc.h so that only the modules that
// speak SDL see SDL's types.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "egc/egc.h"

// The virtual-key code of an SDL key, or 0 for keys the key table does not know. Both shifts,
// controls and alts share one code each; the keypad's Enter is Return.
std::int32_t virtualKeyForSDLKey(SDL_Keycode key);

// The character codes that a text input event delivers: every character of the UTF-8 text that
// lies in 32..255 (the Latin-1 range) as its code; other characters and malformed bytes are
// dropped.
std::vector<std::int32_t> characterCodesOfText(std::string_view utf8);

// Calls deliver once per repeat; the last call's answer decides. No call for a count of 0.
template <typename Deliver>
bool deliverRepeated(std::int32_t repeatCount, Deliver deliver) {
  bool handled = false;
  for (std::int32_t i = 0; i < repeatCount; ++i) handled = deliver();
  return handled;
}

// Turns one SDL event into the handler calls it stands for, on the window it belongs to.
// Answers whether a handler handled it; events of no known window are ignored.
bool dispatchSDLEvent(const SDL_Event& event);
