// End-to-end harness: a virtual screen of its own, programs run on it, the desktop's input
// driven by xdotool, and screenshots. It stops only the processes it started.
//
//     e2e::VirtualScreen screen(800, 600);
//     e2e::Program game(screen, {"/path/to/vorplex"});
//     e2e::Desktop desktop(screen);
//     std::string id = desktop.findWindow("Vorplex 1.0");
//     desktop.focus(id);
//     desktop.key("Escape");
//     desktop.mouseMoveRelative(50, -30);
//     desktop.screenshot("shot.png");
//     desktop.closeWindow(id);
//     int status = game.wait(10.0);
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// An Xvfb server on a free display number, with -noreset so that it outlives its clients.
class VirtualScreen {
 public:
  VirtualScreen(int width, int height);
  ~VirtualScreen();
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  // ":N", for DISPLAY.
  const std::string& display() const { return mDisplay; }

 private:
  pid_t mPid = -1;
  std::string mDisplay;
};

// The outcome of a tool that ran to its end.
struct ToolResult {
  int status = -1;  // exit status, or -1 when it did not end normally
  std::string output;
};

// Runs argv to its end on the screen (DISPLAY set) and captures its standard output.
ToolResult runTool(const VirtualScreen& screen, const std::vector<std::string>& argv);

// A program started on the screen. Its standard output and error go to files that the test can
// read while it runs and after it has ended. The destructor kills it if it still runs.
class Program {
 public:
  Program(const VirtualScreen& screen, const std::vector<std::string>& argv,
          const std::map<std::string, std::string>& environment = {});
  // Without any display: DISPLAY and WAYLAND_DISPLAY are removed.
  Program(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t pid() const { return mPid; }
  bool isRunning();
  // The exit status once it ended within the timeout; -1 if it is still running then, and
  // 128 + signal when a signal ended it.
  int wait(double timeoutSeconds);
  std::string standardOutput() const;
  std::string standardError() const;

 private:
  void start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& set,
             const std::vector<std::string>& unset);

  pid_t mPid = -1;
  int mStatus = -1;
  std::string mOutputPath;
  std::string mErrorPath;
};

// The desktop of a virtual screen, as a player would drive it.
class Desktop {
 public:
  explicit Desktop(const VirtualScreen& screen) : mScreen(screen) {}

  // The id of the first window with that title, waiting for it to appear; empty if none did.
  std::string findWindow(const std::string& title, double timeoutSeconds = 10.0);
  // Gives the window the input focus (there is no window manager to do it).
  void focus(const std::string& windowID);
  // Key names as xdotool spells them: "Escape", "Return", "alt+F4".
  void key(const std::string& keys);
  void keyDown(const std::string& keys);
  void keyUp(const std::string& keys);
  void type(const std::string& text);
  // Relative motion reaches SDL's relative mouse mode; absolute moves do not.
  void mouseMoveRelative(int dx, int dy);
  // Press and release separately, with pause() between, so that a frame sees the button down.
  void mouseDown(int button);
  void mouseUp(int button);
  // Asks the window to close as the desktop's close button does (WM_DELETE_WINDOW).
  void closeWindow(const std::string& windowID);
  // xwininfo -root -tree, which also lists windows that xdotool search misses (message boxes).
  std::string windowTree();
  // Captures the whole screen to a PNG file.
  void screenshot(const std::string& path);

 private:
  void xdotool(const std::vector<std::string>& arguments);

  const VirtualScreen& mScreen;
};

// A short pause between input steps, so that the program's frames see them apart.
void pause(double seconds = 0.2);

// Polls condition until it holds or the timeout passes; answers whether it held.
bool waitFor(const std::function<bool()>& condition, double timeoutSeconds, double intervalSeconds = 0.05);

// "#RRGGBB" of one pixel of a PNG file (ImageMagick).
std::string pixelColor(const std::string& path, int x, int y);

}  // namespace e2e
