#pragma once

namespace tavik {

// Runs the start-up order and then `game`; reports an exception that nothing
// caught (exit code 1). Returns the exit code for a game that returns: 0.
int start(void (*game)());

}  // namespace tavik
