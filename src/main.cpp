#include "game/game.h"
#include "startup.h"

int main() { return tavik::start(tavik::main); }
