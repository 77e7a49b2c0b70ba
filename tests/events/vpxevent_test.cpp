#include "events/vpxevent.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "eca/eca.h"
#include "egc/egcsdl.h"
#include "support/testplatform.h"

namespace {

struct VPXEvents : OffscreenPlatformTest {
  std::size_t eventsBefore = 0;
  void SetUp() override {
    OffscreenPlatformTest::SetUp();
    pumpMessages();
    eventsBefore = eca::registeredEvents().size();
    openEvents();
  }
  void TearDown() override {
    if (eventsAreOpen()) closeEvents();
    OffscreenPlatformTest::TearDown();
  }
  // The identifiers of the queued messages, checking that each is a broadcast.
  std::vector<std::int32_t> queuedIDs() {
    std::vector<std::int32_t> ids;
    for (const ECAMessage& message : eca::queuedMessages()) {
      EXPECT_EQ(message.machine(), nullptr);
      EXPECT_EQ(message.machineType(), nullptr);
      std::int32_t id = 0;
      for (std::int32_t k = 1; k <= 186; ++k) {
        if (eventForID(k) == message.event()) id = k;
      }
      ids.push_back(id);
    }
    return ids;
  }
  void pushKey(Uint32 type, SDL_Keycode key) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window()->handle()));
    e.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
};

TEST_F(VPXEvents, OneDistinctEventPerIdentifier) {
  std::set<ECAEvent*> distinct;
  for (std::int32_t id = 1; id <= 186; ++id) {
    ASSERT_NE(eventForID(id), nullptr) << id;
    EXPECT_TRUE(eca::registeredEvents().count(eventForID(id))) << id;
    distinct.insert(eventForID(id));
  }
  EXPECT_EQ(distinct.size(), 186u);
  EXPECT_EQ(eca::registeredEvents().size(), eventsBefore + 186);
  EXPECT_EQ(eventForID(0), nullptr);
  EXPECT_EQ(eventForID(187), nullptr);
}

TEST_F(VPXEvents, KeysBecomeBroadcastKeyEvents) {
  pushKey(SDL_KEYDOWN, SDLK_RETURN);  // key id 4
  pushKey(SDL_KEYDOWN, SDLK_F2);      // 70
  pushKey(SDL_KEYDOWN, SDLK_F2);      // an auto-repeat: one more
  pushKey(SDL_KEYUP, SDLK_F2);
  pushKey(SDL_KEYDOWN, SDLK_INSERT);  // unmapped: key id 1
  pushKey(SDL_KEYUP, SDLK_INSERT);
  pushKey(SDL_KEYDOWN, SDLK_F4);  // with Alt, the desktop would close the window; here it is a key
  pumpMessages();
  EXPECT_EQ(queuedIDs(), (std::vector<std::int32_t>{VPXEventIDs::RETURN_KEY_DOWN, VPXEventIDs::F2_KEY_DOWN,
                                                    VPXEventIDs::F2_KEY_DOWN, 176, 27, 107, 98}));
  EXPECT_EQ(VPXEventIDs::RETURN_KEY_DOWN, 30);
  EXPECT_EQ(VPXEventIDs::ESCAPE_KEY_DOWN, 34);
  EXPECT_EQ(VPXEventIDs::F2_KEY_DOWN, 96);
}

TEST_F(VPXEvents, KeyHandlerReportsKeysHandledAndRefusesUnknownIDs) {
  EXPECT_TRUE(keyHandler().onKeyDown(window(), EGCKeyIDs::F12_KEY));
  EXPECT_TRUE(keyHandler().onKeyUp(window(), EGCKeyIDs::UNMAPPED_KEY));
  EXPECT_EQ(queuedIDs(), (std::vector<std::int32_t>{106, 107}));
  for (std::int32_t keyID : {0, 81}) {
    DBGException down = caughtException([&] { keyHandler().onKeyDown(window(), keyID); });
    EXPECT_STREQ(down.description(), "Unknown key ID.");
    EXPECT_STREQ(down.title(), "Error");
    EXPECT_STREQ(down.file(), "vpxevent");
    EXPECT_STREQ(caughtException([&] { keyHandler().onKeyUp(window(), keyID); }).description(),
                 "Unknown key ID.");
  }
}

TEST_F(VPXEvents, CloseRequestPostsQuit) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window()->handle()));
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  pumpMessages();
  EXPECT_EQ(queuedIDs(), std::vector<std::int32_t>{VPXEventIDs::QUIT});
}

TEST_F(VPXEvents, ClosingEmptiesTheQueueAndDestroysTheEvents) {
  keyHandler().onKeyDown(window(), EGCKeyIDs::ESCAPE_KEY);
  closeEvents();
  EXPECT_TRUE(eca::queuedMessages().empty());
  EXPECT_EQ(eca::registeredEvents().size(), eventsBefore);
  EXPECT_EQ(eventForID(1), nullptr);
  pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
  pumpMessages();
  EXPECT_TRUE(eca::queuedMessages().empty()) << "the key handler has left the window";
}

}  // namespace
