// The program frame with a machine that runs until QUIT, reporting on standard output what
// reaches it: key ids, characters, the character buffer, the mouse and the left button's events.
// The end-to-end tests drive it through the desktop.
//
//     vorplex_probe          runs until the window is closed
//     vorplex_probe fail     fails after start-up, to show the fatal report
#include <cstdio>
#include <string>

#include "app/vpxcoordinator.h"
#include "app/vpxmain.h"
#include "egc/egc.h"
#include "events/vpxevent.h"
#include "input/vpxinput.h"
#include "recordingmachine.h"

DBG_SOURCE("vorplexprobe");

namespace {

void report(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

struct Reporter : EGCDefaultMessageHandler {
  bool onKeyDown(EGCWindow*, std::int32_t keyID) override {
    report("key down " + std::to_string(keyID));
    return false;
  }
  bool onKeyUp(EGCWindow*, std::int32_t keyID) override {
    report("key up " + std::to_string(keyID));
    return false;
  }
  bool onCharacter(EGCWindow*, std::int32_t code) override {
    report("character " + std::to_string(code));
    return false;
  }
};

class ReportingServices : public VPXProgramServices {
 public:
  explicit ReportingServices(RecordingLog& log) : mLog(log) {}
  void present() override {
    VPXProgramServices::present();
    for (; mReported < mLog.events.size(); ++mReported)
      report("event " + std::to_string(mLog.events[mReported]));
    EGLVector position = mousePosition();
    if (!(position == mPosition)) {
      mPosition = position;
      report("mouse " + std::to_string(static_cast<int>(position.x)) + " " +
             std::to_string(static_cast<int>(position.y)));
    }
    if (characterBuffer() != mBuffer) {
      mBuffer = characterBuffer();
      report("buffer " + mBuffer);
    }
  }

 private:
  RecordingLog& mLog;
  std::size_t mReported = 0;
  EGLVector mPosition;
  std::string mBuffer;
};

}  // namespace

int main(int argc, char** argv) {
  try {
    startUp();
    if (argc > 1 && std::string(argv[1]) == "fail") DBG_ERROR("Probe failure on request.");
    Reporter reporter;
    window()->addMessageHandler(&reporter);
    RecordingLog log;
    {
      RecordingMachine machine(log, {VPXEventIDs::MOUSE_BUTTON_DOWN, VPXEventIDs::MOUSE_BUTTON_UP});
      report("running");
      ReportingServices services(log);
      runMainLoop(services);
    }
    window()->removeMessageHandler(&reporter);
    shutDown();
    report("ended");
  } catch (const DBGException& e) {
    reportFatalError(e);
  }
  return 0;
}
