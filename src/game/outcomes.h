// How a round ends.
#pragma once

namespace tavik {

// After a lost round: the gloat, a random taunt and the play-again question.
void computerWins();

// After a won round: admits defeat and reveals the concealed message.
[[noreturn]] void playerWins();

// Deciphers and writes the concealed message, waits for Enter, exits with 0.
[[noreturn]] void printFlag();

}  // namespace tavik
