// The game's start-up, then straight to the won round, which play never
// reaches: for the end-to-end tests only, never installed.
#include "game/outcomes.h"
#include "startup.h"

int main() { return tavik::start(tavik::playerWins); }
