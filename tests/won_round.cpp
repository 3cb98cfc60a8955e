// The game's start-up followed directly by the won-round branch, which play
// itself never reaches: lets the end-to-end tests see the reveal as a player
// would. Built for the tests only; never installed.
#include "game/outcomes.h"
#include "startup.h"

int main() { return tavik::start(tavik::playerWins); }
