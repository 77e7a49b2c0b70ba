#include "input/vpxinput.h"

#include <gtest/gtest.h>

#include "egc/egcsdl.h"
#include "sil/sil.h"
#include "support/testplatform.h"

namespace {

TEST(VPXCharacterHandler, KeepsPrintableCodesUpToTwentyCharacters) {
  struct Case {
    std::int32_t code;
    bool kept;
  };
  const Case cases[] = {{31, false},  {32, true},   {65, true}, {127, true}, {128, true},
                        {129, false}, {233, false}, {0, false}, {-5, false}};
  for (const Case& c : cases) {
    VPXCharacterHandler handler;
    EXPECT_EQ(handler.onCharacter(nullptr, c.code), c.kept) << c.code;
    EXPECT_EQ(handler.buffer().size(), c.kept ? 1u : 0u) << c.code;
  }

  VPXCharacterHandler handler;
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(handler.onCharacter(nullptr, 'a' + i));
  EXPECT_FALSE(handler.onCharacter(nullptr, 'z')) << "the twenty-first is ignored";
  EXPECT_EQ(handler.buffer(), "abcdefghijklmnopqrst");
}

TEST(VPXCharacterHandler, BackspaceRemovesTheLastCharacterEvenFromNothing) {
  VPXCharacterHandler handler;
  EXPECT_TRUE(handler.onKeyDown(nullptr, EGCKeyIDs::BACKSPACE_KEY)) << "accepted on an empty buffer";
  EXPECT_EQ(handler.buffer(), "");
  handler.onCharacter(nullptr, 'H');
  handler.onCharacter(nullptr, 'i');
  EXPECT_TRUE(handler.onKeyDown(nullptr, EGCKeyIDs::BACKSPACE_KEY));
  EXPECT_EQ(handler.buffer(), "H");
  EXPECT_FALSE(handler.onKeyDown(nullptr, EGCKeyIDs::DELETE_KEY));
  EXPECT_FALSE(handler.onKeyDown(nullptr, EGCKeyIDs::RETURN_KEY));
  EXPECT_EQ(handler.buffer(), "H");
}

TEST(VPXInputVelocities, TableAndUnknownIDs) {
  EXPECT_EQ(mouseVelocity(VPXMouseVelocities::LOW_VELOCITY), (EGLVector{2.0f, -2.0f}));
  EXPECT_EQ(mouseVelocity(VPXMouseVelocities::MEDIUM_VELOCITY), (EGLVector{4.0f, -4.0f}));
  EXPECT_EQ(mouseVelocity(VPXMouseVelocities::HIGH_VELOCITY), (EGLVector{6.0f, -6.0f}));
  for (std::int32_t id : {0, 4}) {
    DBGException e = caughtException([&] { mouseVelocity(id); });
    EXPECT_STREQ(e.description(), "Unknown mouse velocity.");
    EXPECT_STREQ(e.file(), "vpxinput");
  }
}

struct VPXInput : OffscreenPlatformTest {
  void SetUp() override {
    OffscreenPlatformTest::SetUp();
    emptyCharacterBuffer();
    openInput();
  }
  void TearDown() override {
    if (mouseIsOpen()) closeInput();
    OffscreenPlatformTest::TearDown();
  }
};

TEST_F(VPXInput, OpensOneMouseAndOneKeyboardAndCollectsTypedText) {
  ASSERT_EQ(inputLibrary()->mice().size(), 1u);
  EXPECT_EQ(inputLibrary()->keyboards().size(), 1u);
  EXPECT_EQ(mousePosition(), (EGLVector{0.0f, 0.0f}));
  EXPECT_FALSE(isMouseButtonDown(1));
  setMousePosition(EGLVector{5.0f, 6.0f});
  EXPECT_EQ(mousePosition(), (EGLVector{5.0f, 6.0f}));

  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window()->handle()));
  SDL_strlcpy(text.text.text, "Ann\xC3\xA9", sizeof text.text.text);
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  pumpMessages();
  EXPECT_EQ(characterBuffer(), "Ann") << "e-acute lies above the name entry's range";
  emptyCharacterBuffer();
  EXPECT_EQ(characterBuffer(), "");

  EXPECT_STREQ(caughtException([] { openInput(); }).description(), "!mouseIsOpen()");
  EXPECT_STREQ(caughtException([] { setMouseVelocity(7); }).description(), "Unknown mouse velocity.");
}

TEST_F(VPXInput, ClosingLeavesNoDeviceAndNoHandler) {
  closeInput();
  EXPECT_TRUE(inputLibrary()->mice().empty());
  EXPECT_TRUE(inputLibrary()->keyboards().empty());
  EXPECT_FALSE(characterHandler().onCharacter(nullptr, 1));
  auto* set = static_cast<EGCMessageHandlerSet*>(window()->messageHandlers());
  EXPECT_EQ(set->handlers().count(&characterHandler()), 0u);
  EXPECT_STREQ(caughtException([] { closeInput(); }).description(), "keyboardIsOpen()");
}

}  // namespace
