#include "app/vpxcoordinator.h"

#include "graphics/vpxgraphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "app/vpxconsole.h"
#include "eca/eca.h"
#include "egc/egcsdl.h"
#include "events/vpxevent.h"
#include "input/vpxinput.h"
#include "recordingmachine.h"
#include "support/testplatform.h"

namespace {

using Ids = std::vector<std::int32_t>;

// Frames scripted by the test: what the window, the device and the left button say on each
// poll or frame, and when QUIT comes.
struct ScriptedServices : VPXFrameServices {
  std::deque<std::int32_t> windowStates;    // one per poll; NORMAL once used up
  std::deque<std::int32_t> graphicsStates;  // one per poll; OPEN once used up
  std::deque<bool> leftButton;              // one per frame; up once used up
  std::int32_t rate = 0;
  int quitAfterFrames = 1;
  std::function<void()> onPump;

  std::vector<std::string> calls;
  int frames = 0;
  double clock = 0.0;

  void pumpMessages() override {
    calls.push_back("pump");
    if (onPump) onPump();
  }
  std::int32_t windowState() override { return next<std::int32_t>(windowStates, 2); }
  std::int32_t graphicsState() override { return next<std::int32_t>(graphicsStates, GRAPHICS_OPEN); }
  void stopMusic() override { calls.push_back("stopMusic"); }
  void closeDevice() override { calls.push_back("closeDevice"); }
  void reopenDevice() override { calls.push_back("reopenDevice"); }
  void playMusic(std::int32_t track) override { calls.push_back("playMusic " + std::to_string(track)); }
  bool isLeftButtonDown() override {
    if (leftButton.empty()) return false;
    bool down = leftButton.front();
    leftButton.pop_front();
    return down;
  }
  std::int32_t refreshRate() override { return rate; }
  void present() override {
    calls.push_back("present");
    if (++frames == quitAfterFrames) eca::postMessage(ECAMessage(eventForID(VPXEventIDs::QUIT)));
  }
  double now() override { return clock; }
  void waitUntil(double time) override {
    calls.push_back("wait " + std::to_string(time - clock).substr(0, 3));
    clock = time;
  }

  template <typename T>
  static T next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    T value = script.front();
    script.pop_front();
    return value;
  }
};

const Ids FRAME_EVENTS{2, 19, 5, 6, 7, 4, 8};

struct VPXMainLoop : OffscreenPlatformTest {
  RecordingLog log;
  ScriptedServices services;
  void SetUp() override {
    OffscreenPlatformTest::SetUp();
    openEvents();
    openInput();
    openCoordinator();
  }
  void TearDown() override {
    if (isInitialized()) closeCoordinator();
    if (mouseIsOpen()) closeInput();
    if (eventsAreOpen()) closeEvents();
    OffscreenPlatformTest::TearDown();
  }
};

TEST_F(VPXMainLoop, PostsTheFrameEventsInOrderAndTicksByOneRefreshPeriod) {
  struct Case {
    std::int32_t rate;
    double step;
  };
  for (Case c : {Case{0, 1.0 / 60}, Case{-3, 1.0 / 60}, Case{75, 1.0 / 75}}) {
    RecordingLog caseLog;
    RecordingMachine machine(caseLog, FRAME_EVENTS);
    ScriptedServices script;
    script.rate = c.rate;
    script.quitAfterFrames = 3;
    runMainLoop(script);
    EXPECT_EQ(script.frames, 4) << "QUIT posted after the third frame ends the machine in the fourth";
    // The fourth tick delivers QUIT first, and the machine ends before its frame events.
    Ids expected;
    for (int frame = 0; frame < 3; ++frame)
      expected.insert(expected.end(), FRAME_EVENTS.begin(), FRAME_EVENTS.end());
    EXPECT_EQ(caseLog.events, expected);
    ASSERT_EQ(caseLog.tickTimes.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_DOUBLE_EQ(caseLog.tickTimes[i], c.step * i) << "rate " << c.rate;
  }
}

TEST_F(VPXMainLoop, LeftButtonChangesBecomeOneEventEach) {
  RecordingMachine machine(
      log, {VPXEventIDs::MOUSE_BUTTON_DOWN, VPXEventIDs::MOUSE_BUTTON_UP, VPXEventIDs::MENU_FRAME});
  services.leftButton = {true, true, true, false, false, true, false};
  services.quitAfterFrames = 7;
  runMainLoop(services);
  const std::int32_t F = VPXEventIDs::MENU_FRAME, D = VPXEventIDs::MOUSE_BUTTON_DOWN,
                     U = VPXEventIDs::MOUSE_BUTTON_UP;
  // Held for three frames: one down. A press and release between two frames is never seen.
  EXPECT_EQ(log.events, (Ids{F, D, F, F, F, U, F, F, D, F, U}));
}

TEST_F(VPXMainLoop, WhileMinimisedItPollsWithoutTickingAndKeysWait) {
  RecordingMachine machine(log, {VPXEventIDs::UPDATE, VPXEventIDs::RETURN_KEY_DOWN});
  services.windowStates = {1, 1, 2};
  services.graphicsStates = {VPXFrameServices::GRAPHICS_OPEN, VPXFrameServices::GRAPHICS_DOWN,
                             VPXFrameServices::GRAPHICS_OPEN};
  bool pressed = false;
  services.onPump = [&] {
    if (!pressed) keyHandler().onKeyDown(window(), EGCKeyIDs::RETURN_KEY);
    pressed = true;
  };
  runMainLoop(services);
  // Minimised with a lost device: music stops, but the device is only reset once it can be seen.
  EXPECT_THAT(services.calls, testing::ElementsAre("pump", "stopMusic", "wait 0.1", "pump", "stopMusic",
                                                   "wait 0.1", "pump", "present", "pump", "present"));
  EXPECT_EQ(log.tickTimes.size(), 2u);
  EXPECT_EQ(log.events, (Ids{VPXEventIDs::RETURN_KEY_DOWN, VPXEventIDs::UPDATE}))
      << "the key waited in the queue";
}

TEST_F(VPXMainLoop, LostDeviceIsResetAndTheMusicRestarts) {
  RecordingMachine machine(log, {});
  services.graphicsStates = {3, VPXFrameServices::GRAPHICS_DOWN};
  runMainLoop(services);
  EXPECT_THAT(services.calls, testing::ElementsAre("pump", "stopMusic", "wait 0.1", "pump", "stopMusic",
                                                   "closeDevice", "reopenDevice", "playMusic 1", "wait 0.1",
                                                   "pump", "present", "pump", "present"));
}

TEST_F(VPXMainLoop, QuitEndsEveryMachineInOneTickAndDropsWhatIsLeft) {
  RecordingLog other;
  RecordingMachine first(log, {});
  RecordingMachine second(other, {});
  services.quitAfterFrames = 2;
  services.onPump = [&] {
    if (services.frames == 2) keyHandler().onKeyDown(window(), EGCKeyIDs::SPACE_KEY);
  };
  runMainLoop(services);
  EXPECT_EQ(services.frames, 3);
  EXPECT_TRUE(eca::runningMachines().empty());
  EXPECT_TRUE(eca::queuedMessages().empty());
}

TEST_F(VPXMainLoop, NoMachineNoFrameAndTheCoordinatorMustBeOpen) {
  runMainLoop(services);
  EXPECT_TRUE(services.calls.empty());
  closeCoordinator();
  DBGException e = caughtException([&] { runMainLoop(services); });
  EXPECT_STREQ(e.description(), "isInitialized()");
  EXPECT_STREQ(e.file(), "vpxcoordinator");
  EXPECT_STREQ(caughtException([] { closeCoordinator(); }).description(), "isInitialized()");
  openCoordinator();
  EXPECT_STREQ(caughtException([] { openCoordinator(); }).description(), "!isInitialized()");
}

TEST_F(VPXMainLoop, TheLoopTimesWholeFramesWithOneTimerForTheProcess) {
  for (int run = 0; run < 2; ++run) {
    RecordingMachine machine(log, {});
    ScriptedServices script;
    script.quitAfterFrames = 10;  // eleven frames: ten make one history entry
    runMainLoop(script);
  }
  VPXTimer* total = nullptr;
  for (VPXTimer* timer : timers()) {
    if (timer->name() == "Total timer") {
      EXPECT_EQ(total, nullptr) << "one Total timer however often the loop runs";
      total = timer;
    }
  }
  ASSERT_NE(total, nullptr);
  EXPECT_GT(total->history().back(), 0.0);
  EXPECT_EQ(total->history().size(), 100u);
}

TEST_F(VPXMainLoop, CloseRequestEndsTheProgramsLoop) {
  RecordingMachine machine(log, {VPXEventIDs::UPDATE});
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window()->handle()));
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  openGraphics(graphicsLibrary(), window());  // the program's own services draw and present
  runMainLoop();
  closeGraphics();
  EXPECT_TRUE(eca::runningMachines().empty());
  EXPECT_TRUE(log.events.empty()) << "QUIT came first in the first frame's tick";
  EXPECT_EQ(log.tickTimes.size(), 1u);
}

}  // namespace
