#include "app/vpxcoordinator.h"
#include "app/vpxmain.h"

int main() {
  try {
    startUp();
    runMainLoop();
    shutDown();
  } catch (const DBGException& e) {
    reportFatalError(e);
  }
  return 0;
}
