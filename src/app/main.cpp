#include "app/vpxcoordinator.h"
#include "app/vpxmain.h"

#include <cstdio>

#include "eca/eca.h"

int main() {
  try {
    startUp();
    // Until the screens exist nothing runs, and the loop ends at once: say so rather than vanish.
    if (eca::runningMachines().empty()) std::puts("Vorplex: there is nothing to play yet.");
    runMainLoop();
    shutDown();
  } catch (const DBGException& e) {
    reportFatalError(e);
  }
  return 0;
}
