#include "game/game.h"
#include "process/startup.h"

int main() { return tavik::start(tavik::main); }
