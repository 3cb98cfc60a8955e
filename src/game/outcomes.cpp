#include "game/outcomes.h"

#include <cstdlib>

#include "console/input.h"
#include "console/output.h"
#include "console/pause.h"
#include "game/game.h"
#include "message/message.h"
#include "message/rc4.h"
#include "random/random.h"

namespace tavik {

namespace {

const char* const taunts[] = {
    "[#] I warned you!",
    "[#] What's so hard to understand? I. CAN. READ. MINDS.",
    "[#] Keep trying! I've got all day.",
};

}  // namespace

void computerWins() {
  echoBinSafe({"[#] I win!"});
  nossleep(pauseMilliseconds);
  echoBinSafe({sample(taunts)});
  nossleep(pauseMilliseconds);
  echoBinSafe({"[?] Do you want to play again? (yes/no)"});
}

void playerWins() {
  // Split where "??!" would read as a trigraph to older compilers.
  echoBinSafe(
      {"[#] You won!\n[#] Wait, how did you do that??"
       "!! Cheater! CHEATER!!!!!!"});
  printFlag();
}

void printFlag() {
  const std::string message = fromRC4(concealedKey, concealedText);
  echoBinSafe({"[+] ", message});
  readLineFromStdin("[+] Press enter to quit [>] ");
  std::exit(0);
}

}  // namespace tavik
