// The program on a virtual screen of its own, driven as a player would drive it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/e2e.h"

namespace {

using testing::HasSubstr;

const std::string REPORT_HEAD =
    "Vorplex unrecoverable error\n"
    "Unfortunately Vorplex has encountered an unrecoverable error. If this problem persists please contact "
    "our "
    "support available from the start menu. In your mail try to specify as closely as possible under which "
    "circumstance(s) this error message shows up. Also please include the error information provided below. "
    "Thanks in advance for helping us to improve this game.\n"
    "\n"
    "Product: Vorplex 1.0\n";

bool saidLine(e2e::Program& program, const std::string& line) {
  return e2e::waitFor([&] { return program.standardOutput().find(line + "\n") != std::string::npos; }, 5.0);
}

TEST(VorplexEndToEnd, KeysTextAndMouseBecomeEventsCharactersAndPositions) {
  e2e::VirtualScreen screen(800, 600);
  e2e::Program probe(screen, {VORPLEX_PROBE}, {{"SDL_AUDIODRIVER", "dummy"}});
  e2e::Desktop desktop(screen);
  std::string id = desktop.findWindow("Vorplex 1.0");
  ASSERT_FALSE(id.empty()) << probe.standardError();
  ASSERT_TRUE(saidLine(probe, "running")) << probe.standardError();
  desktop.focus(id);
  e2e::pause();

  desktop.key("Return");
  EXPECT_TRUE(saidLine(probe, "key down 4"));
  EXPECT_TRUE(saidLine(probe, "key up 4"));
  desktop.key("KP_Enter");
  desktop.key("F1");
  desktop.key("Insert");
  EXPECT_TRUE(saidLine(probe, "key down 69"));
  EXPECT_TRUE(saidLine(probe, "key down 1"));

  desktop.type("Hi!");
  EXPECT_TRUE(saidLine(probe, "character 72"));
  EXPECT_TRUE(saidLine(probe, "character 33"));
  EXPECT_TRUE(saidLine(probe, "buffer Hi!"));
  desktop.key("BackSpace");
  EXPECT_TRUE(saidLine(probe, "buffer Hi"));

  // Medium velocity (4, -4): the screen's downward motion lowers y.
  desktop.mouseMoveRelative(50, 30);
  EXPECT_TRUE(saidLine(probe, "mouse 200 -120"));
  desktop.mouseDown(1);
  e2e::pause(0.3);
  desktop.mouseUp(1);
  EXPECT_TRUE(saidLine(probe, "event 25"));
  EXPECT_TRUE(saidLine(probe, "event 26"));

  desktop.screenshot(std::string(VORPLEX_E2E_SHOT_DIR) + "/probe.png");
  EXPECT_EQ(probe.standardError(), "");

  desktop.closeWindow(id);
  EXPECT_EQ(probe.wait(10.0), 0) << probe.standardError();
  EXPECT_THAT(probe.standardOutput(), HasSubstr("ended\n"));
}

TEST(VorplexEndToEnd, TheProgramStartsAndEndsWhenNothingRunsYet) {
  e2e::VirtualScreen screen(800, 600);
  e2e::Program game(screen, {VORPLEX_PROGRAM}, {{"SDL_AUDIODRIVER", "dummy"}});
  EXPECT_EQ(game.wait(20.0), 0) << game.standardError();
  EXPECT_EQ(game.standardError(), "");
}

TEST(VorplexEndToEnd, WithoutADisplayTheFatalReportSaysSoAndTheStatusIsOne) {
  e2e::Program game({VORPLEX_PROGRAM}, {{"SDL_AUDIODRIVER", "dummy"}});
  EXPECT_EQ(game.wait(20.0), 1);
  std::string report = game.standardError();
  // Only the report's own lines are ours: SDL's probing of other desktops may say something first.
  EXPECT_THAT(report, HasSubstr(REPORT_HEAD));
  EXPECT_THAT(report, testing::MatchesRegex("(.|\n)*\nFilename: egc\nLine: [0-9]+\nDescription: No display "
                                            "available.\n$"));
}

TEST(VorplexEndToEnd, TheFatalReportWaitsInAMessageBoxUntilConfirmed) {
  e2e::VirtualScreen screen(800, 600);
  e2e::Program probe(screen, {VORPLEX_PROBE, "fail"}, {{"SDL_AUDIODRIVER", "dummy"}});
  e2e::Desktop desktop(screen);
  // The message box is a window of its own that xdotool's search does not list.
  std::string tree;
  ASSERT_TRUE(e2e::waitFor(
      [&] {
        tree = desktop.windowTree();
        return tree.find("\"Vorplex unrecoverable error\"") != std::string::npos;
      },
      10.0))
      << tree << probe.standardError();
  EXPECT_TRUE(probe.isRunning()) << "the report waits for the player";
  EXPECT_THAT(probe.standardError(), HasSubstr("\nFilename: vorplexprobe\n"));
  EXPECT_THAT(probe.standardError(), HasSubstr("\nDescription: Probe failure on request.\n"));
  desktop.screenshot(std::string(VORPLEX_E2E_SHOT_DIR) + "/report.png");

  std::size_t at = tree.find("\"Vorplex unrecoverable error\"");
  std::size_t start = tree.rfind("0x", at);
  std::string boxID =
      std::to_string(std::stoul(tree.substr(start, tree.find(' ', start) - start), nullptr, 16));
  desktop.focus(boxID);
  desktop.key("Return");
  EXPECT_EQ(probe.wait(10.0), 1);
}

}  // namespace
