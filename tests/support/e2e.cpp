#include "support/e2e.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> cStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The current environment with some variables set and some removed.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& set,
                                         const std::vector<std::string>& unset) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    std::string line(*entry);
    std::string name = line.substr(0, line.find('='));
    bool dropped = set.count(name) != 0;
    for (const std::string& u : unset) dropped = dropped || u == name;
    if (!dropped) result.push_back(line);
  }
  for (const auto& [name, value] : set) result.push_back(name + "=" + value);
  return result;
}

// Forks and execs argv with the environment; stdout and stderr to the given descriptors (-1:
// /dev/null). Returns the child's pid.
pid_t spawn(const std::vector<std::string>& argv, std::vector<std::string> environment, int outFD, int errFD,
            int keepFD = -1) {
  std::vector<std::string> args = argv;
  std::vector<char*> argPointers = cStrings(args);
  std::vector<char*> envPointers = cStrings(environment);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(outFD >= 0 ? outFD : devNull, 1);
    dup2(errFD >= 0 ? errFD : devNull, 2);
    for (int fd = 3; fd < 256; ++fd) {
      if (fd != keepFD) close(fd);
    }
    execvpe(argPointers[0], argPointers.data(), envPointers.data());
    _exit(127);
  }
  return pid;
}

int statusOf(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

ToolResult runCapturing(const std::vector<std::string>& argv, std::vector<std::string> environment) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = spawn(argv, std::move(environment), fds[1], -1);
  close(fds[1]);
  ToolResult result;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
    result.output.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int raw = 0;
  waitpid(pid, &raw, 0);
  result.status = statusOf(raw);
  return result;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string uniquePath(const std::string& what) {
  static int counter = 0;
  return "/tmp/vorplex-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" + what;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

VirtualScreen::VirtualScreen(int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
  // -displayfd: the server picks a free display number and writes it to us when it is ready.
  mPid = spawn(
      {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", size, "-noreset", "-nolisten", "tcp"},
      environmentWith({}, {}), -1, -1, fds[1]);
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    throw std::runtime_error("Xvfb did not start");
  }
  mDisplay = ":" + number;
}

VirtualScreen::~VirtualScreen() {
  if (mPid > 0) {
    kill(mPid, SIGTERM);
    waitpid(mPid, nullptr, 0);
  }
}

ToolResult runTool(const VirtualScreen& screen, const std::vector<std::string>& argv) {
  return runCapturing(argv, environmentWith({{"DISPLAY", screen.display()}}, {"WAYLAND_DISPLAY"}));
}

// ---------------------------------------------------------------------------------------------

Program::Program(const VirtualScreen& screen, const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment) {
  std::map<std::string, std::string> set = environment;
  set["DISPLAY"] = screen.display();
  start(argv, set, {"WAYLAND_DISPLAY"});
}

Program::Program(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment) {
  start(argv, environment, {"DISPLAY", "WAYLAND_DISPLAY"});
}

void Program::start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& set,
                    const std::vector<std::string>& unset) {
  mOutputPath = uniquePath("stdout");
  mErrorPath = uniquePath("stderr");
  int out = open(mOutputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int err = open(mErrorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  mPid = spawn(argv, environmentWith(set, unset), out, err);
  close(out);
  close(err);
}

Program::~Program() {
  if (isRunning()) {
    kill(mPid, SIGKILL);
    wait(5.0);
  }
  std::remove(mOutputPath.c_str());
  std::remove(mErrorPath.c_str());
}

bool Program::isRunning() {
  if (mStatus >= 0 || mPid <= 0) return false;
  int raw = 0;
  pid_t done = waitpid(mPid, &raw, WNOHANG);
  if (done == mPid) {
    mStatus = statusOf(raw);
    return false;
  }
  return true;
}

int Program::wait(double timeoutSeconds) {
  waitFor([this] { return !isRunning(); }, timeoutSeconds, 0.02);
  return mStatus;
}

std::string Program::standardOutput() const {
  return readFile(mOutputPath);
}

std::string Program::standardError() const {
  return readFile(mErrorPath);
}

// ---------------------------------------------------------------------------------------------

void Desktop::xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ToolResult result = runTool(mScreen, argv);
  if (result.status != 0) throw std::runtime_error("xdotool " + arguments.front() + " failed");
}

std::string Desktop::findWindow(const std::string& title, double timeoutSeconds) {
  std::string id;
  waitFor(
      [&] {
        ToolResult r = runTool(mScreen, {"xdotool", "search", "--name", "^" + title + "$"});
        if (r.status != 0 || r.output.empty()) return false;
        id = r.output.substr(0, r.output.find('\n'));
        return true;
      },
      timeoutSeconds, 0.1);
  return id;
}

void Desktop::focus(const std::string& windowID) {
  xdotool({"windowfocus", "--sync", windowID});
}
void Desktop::key(const std::string& keys) {
  xdotool({"key", keys});
}
void Desktop::keyDown(const std::string& keys) {
  xdotool({"keydown", keys});
}
void Desktop::keyUp(const std::string& keys) {
  xdotool({"keyup", keys});
}
void Desktop::type(const std::string& text) {
  xdotool({"type", "--delay", "30", text});
}

void Desktop::mouseMoveRelative(int dx, int dy) {
  xdotool({"mousemove_relative", "--", std::to_string(dx), std::to_string(dy)});
}

void Desktop::mouseDown(int button) {
  xdotool({"mousedown", std::to_string(button)});
}
void Desktop::mouseUp(int button) {
  xdotool({"mouseup", std::to_string(button)});
}

void Desktop::closeWindow(const std::string& windowID) {
  // What a window manager sends when its close button is pressed.
  Display* display = XOpenDisplay(mScreen.display().c_str());
  if (!display) throw std::runtime_error("cannot open " + mScreen.display());
  Window target = std::strtoul(windowID.c_str(), nullptr, 10);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, target, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
}

std::string Desktop::windowTree() {
  return runTool(mScreen, {"xwininfo", "-root", "-tree"}).output;
}

void Desktop::screenshot(const std::string& path) {
  ToolResult r = runTool(mScreen, {"import", "-window", "root", path});
  if (r.status != 0) throw std::runtime_error("import failed");
}

// ---------------------------------------------------------------------------------------------

void pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool waitFor(const std::function<bool()>& condition, double timeoutSeconds, double intervalSeconds) {
  auto deadline = Clock::now() +
                  std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    pause(intervalSeconds);
  }
}

std::string pixelColor(const std::string& path, int x, int y) {
  std::string format = "%[hex:p{" + std::to_string(x) + "," + std::to_string(y) + "}]";
  ToolResult r =
      runCapturing({"/usr/bin/convert", path, "-format", format, "info:"}, environmentWith({}, {}));
  return "#" + r.output.substr(0, 6);
}

}  // namespace e2e
