// The start-up order. It calls into every layer of the program, so it sits at
// the top beside main.cpp rather than in process/, which depends on nothing
// else of the program.
#include "startup.h"

#include <cstdlib>
#include <new>

#include "console/setup.h"
#include "process/bound.h"
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
