#include "process/startup.h"

#include <cstdlib>
#include <new>

#include "console/setup.h"
#include "console/pause.h"
#include "process/failure.h"
#include "process/signals.h"
#include "random/random.h"

namespace tavik {

int start(void (*game)()) {
  try {
    bindConsoleFunctions();
    std::set_new_handler(raiseOutOfMem);
    registerSignalHandler();
    bindPause();
    bindRandomSource();
    initConsole();
    initRandom();
    randomize();
    game();
  } catch (const Exception& e) {
    reportUnhandledError(e);
    std::exit(1);
  }
  return 0;
}

}  // namespace tavik
