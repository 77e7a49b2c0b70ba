// The game's events: every ECA event of the game is created here, once, and known by its
// identifier. The module also turns key messages into broadcast key events, and the desktop's
// close request into QUIT.
#pragma once

#include <cstdint>

#include "egc/egc.h"

class ECAEvent;

struct VPXEventIDs {
  enum : std::int32_t {
    MIN_EVENT_ID = 0,  // exclusive
    NULL_EVENT = 1,
    UPDATE = 2,
    QUIT = 3,
    CONSOLE_FRAME = 4,
    GAME_FRAME = 5,
    SCORE_FRAME = 6,
    INTRO_FRAME = 7,
    MENU_FRAME = 8,
    MENU_OPENED = 9,
    MENU_CLOSED = 10,
    INTRO_BEGIN = 11,
    INTRO_END = 12,
    GAME_BEGIN = 13,
    GAME_END = 14,
    SCORE_TABLE_BEGIN = 15,
    SCORE_TABLE_END = 16,
    SCORE_INPUT_BEGIN = 17,
    SCORE_INPUT_END = 18,
    POLL = 19,
    GET_READY_SHOWN = 20,
    GET_READY_DONE = 21,
    SHIELD_SPENT = 22,
    GAME_OVER_SHOWN = 23,
    GAME_OVER_DONE = 24,
    MOUSE_BUTTON_DOWN = 25,
    MOUSE_BUTTON_UP = 26,
    KEY_DOWN_BASE = 26,                                       // key id k goes down: KEY_DOWN_BASE + k
    KEY_UP_BASE = 106,                                        // key id k goes up: KEY_UP_BASE + k
    RETURN_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::RETURN_KEY,  // 30
    ESCAPE_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::ESCAPE_KEY,  // 34
    UP_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::UP_KEY,          // 41
    DOWN_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::DOWN_KEY,      // 43
    F1_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::F1_KEY,          // 95
    F2_KEY_DOWN = KEY_DOWN_BASE + EGCKeyIDs::F1_KEY + 1,      // 96
    MAX_EVENT_ID = 187,                                       // exclusive
  };
};

// Creates the 186 events and adds the key handler to the window.
void openEvents();
// Removes the key handler, drops every queued message, and destroys the events.
void closeEvents();
bool eventsAreOpen();

// The event of an identifier from 1 to 186.
ECAEvent* eventForID(std::int32_t eventID);

// Posts a broadcast key event for every key going down or up, and QUIT when the desktop asks
// the program to end. Reports them all handled, so that no key reaches the desktop's own
// handling (Alt+F4, F10 do nothing by themselves).
class VPXKeyHandler : public EGCDefaultMessageHandler {
 public:
  bool onKeyDown(EGCWindow* window, std::int32_t keyID) override;
  bool onKeyUp(EGCWindow* window, std::int32_t keyID) override;
  bool onClose(EGCWindow* window) override;
};

// The program's one key handler, built on first use.
VPXKeyHandler& keyHandler();
