#include "egc/egc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "egc/egcsdl.h"
#include "sil/sil.h"
#include "support/testplatform.h"

namespace {

// Answers each message with a fixed result and records what it was given.
struct Recorder : EGCDefaultMessageHandler {
  explicit Recorder(bool answer = false) : answer(answer) {}
  bool answer;
  std::vector<std::string> calls;

  bool note(const std::string& call) {
    calls.push_back(call);
    return answer;
  }
  bool onActivate(EGCWindow*) override { return note("activate"); }
  bool onActivateApplication(EGCWindow*) override { return note("activateApplication"); }
  bool onDeactivate(EGCWindow*) override { return note("deactivate"); }
  bool onDeactivateApplication(EGCWindow*) override { return note("deactivateApplication"); }
  bool onCharacter(EGCWindow*, std::int32_t c) override { return note("char " + std::to_string(c)); }
  bool onKeyDown(EGCWindow*, std::int32_t k) override { return note("down " + std::to_string(k)); }
  bool onKeyUp(EGCWindow*, std::int32_t k) override { return note("up " + std::to_string(k)); }
  bool onLeftButtonDown(EGCWindow*) override { return note("left down"); }
  bool onLeftButtonUp(EGCWindow*) override { return note("left up"); }
  bool onLeftButtonDoubleClick(EGCWindow*) override { return note("left double"); }
  bool onRightButtonDown(EGCWindow*) override { return note("right down"); }
  bool onMiddleButtonUp(EGCWindow*) override { return note("middle up"); }
  bool onMouseMove(EGCWindow*, EGCPoint p) override {
    return note("move " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  bool onSize(EGCWindow*, EGCPoint s) override {
    return note("size " + std::to_string(s.x) + "x" + std::to_string(s.y));
  }
  bool onClose(EGCWindow*) override { return note("close"); }
};

TEST(EGCMessageHandlerSet, EveryHandlerHearsEveryMessageAndAnyYesCounts) {
  Recorder yes(true), no(false);
  EGCMessageHandlerSet set;
  EXPECT_FALSE(set.onKeyDown(nullptr, 4)) << "an empty set handles nothing";

  set.addMessageHandler(&yes);
  set.addMessageHandler(&no);
  set.addMessageHandler(&yes);  // held once
  EXPECT_EQ(set.handlers().size(), 2u);
  EXPECT_TRUE(set.onKeyDown(nullptr, 4));
  EXPECT_TRUE(set.onMouseMove(nullptr, EGCPoint{3, 7}));
  EXPECT_THAT(yes.calls, testing::ElementsAre("down 4", "move 3,7"));
  EXPECT_THAT(no.calls, testing::ElementsAre("down 4", "move 3,7"));

  set.removeMessageHandler(&yes);
  EXPECT_FALSE(set.onCharacter(nullptr, 65));
  EXPECT_EQ(yes.calls.size(), 2u);
  EXPECT_EQ(no.calls.size(), 3u);
}

TEST(EGCMessageHandlerSet, DefaultHandlerHandlesNothing) {
  EGCDefaultMessageHandler handler;
  EXPECT_FALSE(handler.onKeyDown(nullptr, 2));
  EXPECT_FALSE(handler.onCharacter(nullptr, 65));
  EXPECT_FALSE(handler.onPaint(nullptr));
  EXPECT_FALSE(handler.onClose(nullptr));
}

TEST(EGCKeys, VirtualKeyTable) {
  struct Case {
    std::int32_t virtualKey, keyID;
  };
  const Case cases[] = {{8, 2},
                        {9, 3},
                        {13, 4},
                        {16, 5},
                        {17, 6},
                        {18, 7},
                        {27, 8},
                        {32, 9},
                        {33, 10},
                        {34, 11},
                        {35, 12},
                        {36, 13},
                        {37, 14},
                        {40, 17},
                        {46, 18},
                        {48, 19},
                        {57, 28},
                        {65, 29},
                        {90, 54},
                        {96, 55},
                        {105, 64},
                        {106, 65},
                        {107, 66},
                        {109, 67},
                        {111, 68},
                        {112, 69},
                        {123, 80},
                        // Without an entry: insert, separator, decimal point, F13 and up, nothing.
                        {45, 1},
                        {108, 1},
                        {110, 1},
                        {124, 1},
                        {255, 1},
                        {0, 1},
                        {47, 1},
                        {91, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(keyIDForVirtualKey(c.virtualKey), c.keyID) << "virtual key " << c.virtualKey;
}

TEST(EGCKeys, SDLKeysReachTheirKeyIDs) {
  struct Case {
    SDL_Keycode key;
    std::int32_t keyID;
  };
  const Case cases[] = {{SDLK_BACKSPACE, 2},
                        {SDLK_RETURN, 4},
                        {SDLK_KP_ENTER, 4},
                        {SDLK_LSHIFT, 5},
                        {SDLK_RSHIFT, 5},
                        {SDLK_LCTRL, 6},
                        {SDLK_RCTRL, 6},
                        {SDLK_LALT, 7},
                        {SDLK_RALT, 7},
                        {SDLK_ESCAPE, 8},
                        {SDLK_SPACE, 9},
                        {SDLK_PAGEUP, 10},
                        {SDLK_PAGEDOWN, 11},
                        {SDLK_UP, 15},
                        {SDLK_DOWN, 17},
                        {SDLK_DELETE, 18},
                        {SDLK_0, 19},
                        {SDLK_9, 28},
                        {SDLK_a, 29},
                        {SDLK_z, 54},
                        {SDLK_KP_0, 55},
                        {SDLK_KP_1, 56},
                        {SDLK_KP_9, 64},
                        {SDLK_KP_MULTIPLY, 65},
                        {SDLK_KP_PLUS, 66},
                        {SDLK_KP_MINUS, 67},
                        {SDLK_KP_DIVIDE, 68},
                        {SDLK_F1, 69},
                        {SDLK_F2, 70},
                        {SDLK_F12, 80},
                        // Unmapped: insert, the keypad's decimal point, F13, the Windows key, a letter of
                        // another alphabet.
                        {SDLK_INSERT, 1},
                        {SDLK_KP_PERIOD, 1},
                        {SDLK_F13, 1},
                        {SDLK_LGUI, 1},
                        {0x00E9, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(keyIDForVirtualKey(virtualKeyForSDLKey(c.key)), c.keyID) << SDL_GetKeyName(c.key);
  }
}

TEST(EGCCharacters, TextBecomesLatin1CodesAndTheRestIsDropped) {
  using testing::ElementsAre;
  EXPECT_THAT(characterCodesOfText("Hi 7"), ElementsAre(72, 105, 32, 55));
  // é and ÿ are Latin-1; the euro sign and a tab are not characters the game can show.
  EXPECT_THAT(characterCodesOfText("\xC3\xA9\xE2\x82\xAC\t\xC3\xBF"), ElementsAre(0xE9, 0xFF));
  // U+0080..U+009F are control codes in Latin-1's upper half too, but the range is 32..255 as a
  // whole: the handlers decide what they keep.
  EXPECT_THAT(characterCodesOfText("\xC2\x80"), ElementsAre(0x80));
  // Malformed bytes are skipped, and the text after them survives.
  EXPECT_THAT(characterCodesOfText("\xFF"
                                   "A\xC3"),
              ElementsAre(65));
  EXPECT_THAT(characterCodesOfText("\xF0\x9F\x98\x80!"), ElementsAre(33));
}

TEST(EGCMessages, RepeatCountCallsOncePerRepeatAndTheLastAnswerDecides) {
  int calls = 0;
  EXPECT_FALSE(deliverRepeated(0, [&] { return ++calls, true; }));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(deliverRepeated(3, [&] { return ++calls != 3; }));
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(deliverRepeated(2, [&] { return ++calls == 5; }));
}

// ---------------------------------------------------------------------------------------------
// The platform on a real SDL window (offscreen driver).

using EGCPlatform = OffscreenPlatformTest;

TEST_F(EGCPlatform, OpensTheWindowAndTheLibrariesOnIt) {
  ASSERT_TRUE(windowIsOpen());
  EXPECT_EQ(window()->title(), "Vorplex test");
  EXPECT_NE(window()->handle(), nullptr);
  EXPECT_EQ(EGCWindow::fromHandle(window()->handle()), window());
  EXPECT_EQ(SDL_GetWindowFlags(static_cast<SDL_Window*>(window()->handle())) & SDL_WINDOW_OPENGL,
            static_cast<Uint32>(SDL_WINDOW_OPENGL));
  EXPECT_EQ(window()->size(), (EGCPoint{320, 200}));
  EXPECT_NE(inputLibrary(), nullptr);
  EXPECT_NE(randomTool(), nullptr);
  EXPECT_TRUE(soundLibraryIsOpen());
  EXPECT_NE(window()->messageHandlers(), nullptr);
}

TEST_F(EGCPlatform, OpeningTwiceAndClosingTwiceAreReported) {
  DBGException twice = caughtException([] { openPlatform("again", 0x210); });
  EXPECT_STREQ(twice.description(), "!windowIsOpen()");
  EXPECT_STREQ(twice.file(), "egc");
  closePlatform();
  EXPECT_FALSE(windowIsOpen());
  EXPECT_EQ(inputLibrary(), nullptr);
  DBGException closed = caughtException([] { closePlatform(); });
  EXPECT_STREQ(closed.description(), "windowIsOpen()");
}

TEST_F(EGCPlatform, GeometryAndStates) {
  EGCWindow* w = window();
  w->setSize(EGCPoint{400, 300});
  w->setPosition(EGCPoint{30, 40});
  EXPECT_EQ(w->size(), (EGCPoint{400, 300})) << "moving keeps the size";
  EXPECT_EQ(w->rectangle(), (EGCRectangle{30, 40, 400, 300}));
  EXPECT_EQ(w->clientRectangle(), (EGCRectangle{0, 0, 400, 300}));
  EXPECT_EQ(w->state(), EGCWindowStates::NORMAL);

  SDL_DisplayMode screen;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &screen), 0);
  w->setState(EGCWindowStates::FULL_SCREEN);
  EXPECT_EQ(w->rectangle(), (EGCRectangle{0, 0, screen.w, screen.h}));
  EXPECT_EQ(w->state(), EGCWindowStates::FULL_SCREEN)
      << "covering the screen is full screen, maximised or not";
  w->setState(99);  // no such state: nothing happens
  EXPECT_EQ(w->state(), EGCWindowStates::FULL_SCREEN);
  w->setRectangle(EGCRectangle{1, 2, screen.w, screen.h});
  EXPECT_EQ(w->state(), EGCWindowStates::NORMAL);

  w->setTitle("Renamed");
  EXPECT_EQ(w->title(), "Renamed");
  EXPECT_STREQ(SDL_GetWindowTitle(static_cast<SDL_Window*>(w->handle())), "Renamed");
}

// SDL's events, pushed into its queue as the desktop would deliver them.
struct EGCPumping : OffscreenPlatformTest {
  Recorder recorder{true};
  void SetUp() override {
    OffscreenPlatformTest::SetUp();
    pumpMessages();  // what the window's creation queued
    window()->addMessageHandler(&recorder);
    recorder.calls.clear();
  }
  void TearDown() override {
    if (windowIsOpen()) window()->removeMessageHandler(&recorder);
    OffscreenPlatformTest::TearDown();
  }
  Uint32 windowID() const { return SDL_GetWindowID(static_cast<SDL_Window*>(window()->handle())); }
  void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
  void pushKey(Uint32 type, SDL_Keycode key, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = windowID();
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.sym = key;
    push(e);
  }
  void pushButton(Uint32 type, Uint8 button, Uint8 clicks) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = windowID();
    e.button.button = button;
    e.button.clicks = clicks;
    push(e);
  }
  void pushWindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowID();
    e.window.event = what;
    push(e);
  }
};

TEST_F(EGCPumping, KeysAndAutoRepeatsArriveOneCallEach) {
  pushKey(SDL_KEYDOWN, SDLK_a);
  pushKey(SDL_KEYDOWN, SDLK_a, 1);  // auto-repeats
  pushKey(SDL_KEYDOWN, SDLK_a, 1);
  pushKey(SDL_KEYUP, SDLK_a);
  pushKey(SDL_KEYDOWN, SDLK_INSERT);
  pushKey(SDL_KEYDOWN, SDLK_KP_ENTER);
  pumpMessages();
  EXPECT_THAT(recorder.calls,
              testing::ElementsAre("down 29", "down 29", "down 29", "up 29", "down 1", "down 4"));
}

TEST_F(EGCPumping, TextMouseAndWindowEvents) {
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = windowID();
  std::strcpy(text.text.text, "A\xC3\xA9\xE2\x82\xAC");
  push(text);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1);
  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2);  // the second press of a double click
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1);
  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = windowID();
  motion.motion.x = 12;
  motion.motion.y = -1;  // off the top edge: the low 16 bits, unsigned
  push(motion);
  pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  pumpMessages();
  EXPECT_THAT(recorder.calls,
              testing::ElementsAre("char 65", "char 233", "left down", "left up", "left double", "right down",
                                   "middle up", "move 12,65535", "activateApplication", "activate",
                                   "deactivate", "deactivateApplication"));
}

TEST_F(EGCPumping, ResizingReportsTheNewSize) {
  window()->setSize(EGCPoint{500, 400});
  pumpMessages();
  EXPECT_THAT(recorder.calls, testing::Contains("size 500x400"));
}

TEST_F(EGCPumping, CloseRequestsAndInterruptsAskTheHandlers) {
  pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // what SDL makes of an interrupt from the terminal
  push(quit);
  pumpMessages();
  EXPECT_THAT(recorder.calls, testing::ElementsAre("close", "close"));
  EXPECT_TRUE(windowIsOpen()) << "a close request alone closes nothing";
}

}  // namespace
