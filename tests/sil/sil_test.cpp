#include "sil/sil.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "sil/silimp.h"
#include "support/testplatform.h"

namespace {

// Stands in for SDL: the test sets what the next update reads.
struct FakeSource : SILDeviceSource {
  bool focus = true;
  std::uint8_t keys[SDL_NUM_SCANCODES] = {};
  int dx = 0, dy = 0;
  std::uint32_t buttons = 0;
  std::vector<bool> relativeModeCalls;

  bool hasInputFocus() override { return focus; }
  const std::uint8_t* keyboardState(int* count) override {
    *count = SDL_NUM_SCANCODES;
    return keys;
  }
  std::uint32_t relativeMouseState(int* x, int* y) override {
    *x = dx;
    *y = dy;
    dx = dy = 0;  // SDL hands the motion out once
    return buttons;
  }
  void setRelativeMouseMode(bool enabled) override { relativeModeCalls.push_back(enabled); }
};

int dummyWindow;  // any non-null handle: the fake source never looks at it

struct SILImpTest : ::testing::Test {
  FakeSource source;
  SILImp sil{&dummyWindow, &source};
};

TEST(SILKeys, TableReachesTheScancodes) {
  struct Case {
    std::int32_t keyID, scancode;
  };
  const Case cases[] = {{1, -1},
                        {2, SDL_SCANCODE_0},
                        {3, SDL_SCANCODE_1},
                        {11, SDL_SCANCODE_9},
                        {12, SDL_SCANCODE_A},
                        {37, SDL_SCANCODE_Z},
                        {38, SDL_SCANCODE_BACKSPACE},
                        {43, SDL_SCANCODE_LALT},
                        {46, SDL_SCANCODE_RALT},
                        {51, SDL_SCANCODE_PERIOD},
                        {52, SDL_SCANCODE_F1},
                        {63, SDL_SCANCODE_F12},
                        {64, SDL_SCANCODE_PAUSE},
                        {66, SDL_SCANCODE_PRINTSCREEN},
                        {72, SDL_SCANCODE_NUMLOCKCLEAR},
                        {73, SDL_SCANCODE_KP_0},
                        {74, SDL_SCANCODE_KP_1},
                        {82, SDL_SCANCODE_KP_9},
                        {83, SDL_SCANCODE_KP_ENTER},
                        {84, SDL_SCANCODE_KP_EQUALS},
                        {85, SDL_SCANCODE_UP},
                        {88, SDL_SCANCODE_RIGHT},
                        {93, SDL_SCANCODE_PAGEDOWN},
                        {94, SDL_SCANCODE_PAGEUP},
                        {95, SDL_SCANCODE_ESCAPE}};
  for (const Case& c : cases) EXPECT_EQ(scancodeForSILKey(c.keyID), c.scancode) << "key " << c.keyID;
  for (std::int32_t id = 2; id < SILKey::MAX_KEY_ID; ++id) {
    EXPECT_LT(scancodeForSILKey(id), SILImpKeyboard::DI_KEY_COUNT) << "key " << id << " fits the state table";
  }
}

TEST(SILKeys, KeyOutsideItsRangeFailsItsInvariant) {
  for (std::int32_t id : {0, 96, -3}) {
    DBGException e = caughtException([&] { SILKey(id).id(); });
    EXPECT_STREQ(e.description(), "invariant()");
    EXPECT_STREQ(e.file(), "sil");
  }
}

TEST_F(SILImpTest, KeyboardReadsTheKeysWhileFocused) {
  SILKeyboard* keyboard = sil.openKeyboard(SIL::SHARED_COOPERATIVE_MODE);
  source.keys[SDL_SCANCODE_ESCAPE] = 1;
  source.keys[SDL_SCANCODE_KP_1] = 1;
  EXPECT_FALSE(keyboard->isKeyDown(SILKey(SILKey::ESCAPE_KEY))) << "nothing is read before the update";
  sil.update();
  EXPECT_TRUE(keyboard->isKeyDown(SILKey(SILKey::ESCAPE_KEY)));
  EXPECT_TRUE(keyboard->isKeyDown(SILKey(SILKey::NUMPAD_0_KEY + 1)));
  EXPECT_FALSE(keyboard->isKeyDown(SILKey(SILKey::NUMPAD_0_KEY)));
  EXPECT_FALSE(keyboard->isKeyDown(SILKey(SILKey::NO_KEY)));

  source.focus = false;
  sil.update();
  EXPECT_FALSE(keyboard->isKeyDown(SILKey(SILKey::ESCAPE_KEY))) << "another window has the keyboard";
  sil.closeKeyboard(keyboard);
}

TEST_F(SILImpTest, MouseIntegratesItsMotionAtItsVelocity) {
  SILMouse* mouse =
      sil.openMouse(SIL::EXCLUSIVE_COOPERATIVE_MODE, EGLVector{10.0f, 20.0f}, EGLVector{4.0f, -4.0f});
  sil.update();  // acquires
  source.dx = 3;
  source.dy = 5;
  sil.update();
  EXPECT_EQ(mouse->position(), (EGLVector{22.0f, 0.0f}));
  mouse->setVelocity(EGLVector{0.1f, -0.1f});
  source.dx = 1;
  source.dy = 1;
  sil.update();
  // In single precision, and the position is not rescaled by the new velocity.
  EXPECT_EQ(mouse->position().x, 22.0f + 1.0f * 0.1f);
  EXPECT_EQ(mouse->position().y, 0.0f - 0.1f);
  mouse->setPosition(EGLVector{1e6f, -1e6f});
  source.dx = 10;
  sil.update();
  EXPECT_EQ(mouse->position(), (EGLVector{1e6f + 1.0f, -1e6f})) << "no bounds of its own";
  sil.closeMouse(mouse);
}

TEST_F(SILImpTest, ButtonsLeftMiddleRight) {
  SILMouse* mouse = sil.openMouse(SIL::EXCLUSIVE_COOPERATIVE_MODE, EGLVector{}, EGLVector{1.0f, 1.0f});
  struct Case {
    std::uint32_t mask;
    bool left, middle, right;
  };
  const Case cases[] = {{SDL_BUTTON_LMASK, true, false, false},
                        {SDL_BUTTON_MMASK, false, true, false},
                        {SDL_BUTTON_RMASK, false, false, true},
                        {SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_X1MASK, true, false, true},
                        {0, false, false, false}};
  for (const Case& c : cases) {
    source.buttons = c.mask;
    sil.update();
    EXPECT_EQ(mouse->isButtonDown(1), c.left) << c.mask;
    EXPECT_EQ(mouse->isButtonDown(2), c.middle) << c.mask;
    EXPECT_EQ(mouse->isButtonDown(3), c.right) << c.mask;
  }
  for (std::int32_t button : {0, 4}) {
    DBGException e = caughtException([&] { mouse->isButtonDown(button); });
    EXPECT_STREQ(e.description(),
                 "\"Valid mouse button.\" && (MIN_BUTTON < button) && (button < MAX_BUTTON)");
    EXPECT_STREQ(e.file(), "silimp");
  }
  sil.closeMouse(mouse);
}

TEST_F(SILImpTest, LostFocusReleasesThePointerAndRegainingItDoesNotJump) {
  SILMouse* mouse = sil.openMouse(SIL::EXCLUSIVE_COOPERATIVE_MODE, EGLVector{}, EGLVector{1.0f, 1.0f});
  source.buttons = SDL_BUTTON_LMASK;
  sil.update();
  EXPECT_EQ(source.relativeModeCalls, std::vector<bool>{true}) << "the window holds the pointer";
  EXPECT_TRUE(mouse->isButtonDown(1));

  source.focus = false;
  source.dx = 50;
  sil.update();
  EXPECT_FALSE(mouse->isButtonDown(1)) << "a lost mouse reads as up";
  EXPECT_EQ(mouse->position(), (EGLVector{0.0f, 0.0f}));
  EXPECT_EQ(source.relativeModeCalls, (std::vector<bool>{true, false}));
  sil.update();
  EXPECT_EQ(source.relativeModeCalls.size(), 2u) << "released once";

  source.focus = true;
  source.dx = 70;  // travelled while the pointer was elsewhere
  sil.update();
  EXPECT_EQ(mouse->position(), (EGLVector{0.0f, 0.0f})) << "counted from the new acquisition";
  EXPECT_TRUE(mouse->isButtonDown(1));
  source.dx = 2;
  sil.update();
  EXPECT_EQ(mouse->position(), (EGLVector{2.0f, 0.0f}));

  sil.closeMouse(mouse);
  EXPECT_EQ(source.relativeModeCalls.back(), false) << "closing frees the pointer";
}

TEST_F(SILImpTest, SharedMouseNeverHoldsThePointer) {
  SILMouse* mouse = sil.openMouse(SIL::SHARED_COOPERATIVE_MODE, EGLVector{}, EGLVector{1.0f, 1.0f});
  sil.update();
  source.dx = 4;
  sil.update();
  EXPECT_EQ(mouse->position(), (EGLVector{4.0f, 0.0f}));
  sil.closeMouse(mouse);
  EXPECT_TRUE(source.relativeModeCalls.empty());
}

TEST_F(SILImpTest, DevicesAreTrackedAndMisuseIsReported) {
  SILKeyboard* keyboard = sil.openKeyboard(SIL::SHARED_COOPERATIVE_MODE);
  SILMouse* mouse = sil.openMouse(SIL::EXCLUSIVE_COOPERATIVE_MODE, EGLVector{}, EGLVector{});
  EXPECT_EQ(sil.keyboards().size(), 1u);
  EXPECT_EQ(sil.mice().size(), 1u);

  const char* modeText =
      "\"Valid cooperative mode.\" && (SIL::MIN_COOPERATIVE_MODE < cooperativeMode) && (cooperativeMode < "
      "SIL::MAX_COOPERATIVE_MODE)";
  for (std::int32_t mode : {0, 3}) {
    EXPECT_STREQ(caughtException([&] { sil.openKeyboard(mode); }).description(), modeText);
    EXPECT_STREQ(caughtException([&] { sil.openMouse(mode, EGLVector{}, EGLVector{}); }).description(),
                 modeText);
  }
  sil.closeKeyboard(keyboard);
  sil.closeMouse(mouse);
  EXPECT_TRUE(sil.keyboards().empty());
  EXPECT_TRUE(sil.mice().empty());
  EXPECT_STREQ(caughtException([&] { sil.closeKeyboard(keyboard); }).description(),
               "\"Open keyboard.\" && isOpen(keyboard)");
  EXPECT_STREQ(caughtException([&] { sil.closeMouse(nullptr); }).description(),
               "\"Valid mouse pointer.\" && mouse");
}

TEST(SILBoot, OpensOnlyItsImplementationOnAWindowAndClosesOnlyWhatItOpened) {
  DBGException wrong = caughtException([] { openSIL(2, &dummyWindow); });
  EXPECT_STREQ(wrong.description(),
               "\"Valid implementation.\" && (implementation == DIRECT_INPUT_IMPLEMENTATION)");
  EXPECT_STREQ(wrong.file(), "silboot");
  EXPECT_STREQ(caughtException([] { openSIL(1, nullptr); }).description(),
               "\"Valid window handle pointer.\" && windowHandle");

  SIL* sil = openSIL(DIRECT_INPUT_IMPLEMENTATION, &dummyWindow);
  closeSIL(sil);
  EXPECT_STREQ(caughtException([&] { closeSIL(sil); }).description(),
               "\"SIL is open.\" && (mOpenSILs.find(sil) != mOpenSILs.end())");
  EXPECT_STREQ(caughtException([] { closeSIL(nullptr); }).description(), "\"Valid SIL pointer.\" && sil");
}

}  // namespace
