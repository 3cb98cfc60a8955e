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
    return 0;
  } catch (const Exception& e) {
    reportUnhandledError(e);
  }
  // Outside the handler, so that the exception is gone before the exit.
  std::exit(1);
}

}  // namespace tavik
