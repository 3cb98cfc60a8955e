#include "game/game.h"
#include "process/bound.h"
#include "support.h"

TEST(Game, PlayerWinsOnlyTheThreeWinningPairs) {
  EXPECT_EQ(tavik::getComputerChoice("lizard"), "rock");  // any text but rock and paper
  tavik::test::Replace sleep(
      tavik::bound::Sleep, +[](std::uint32_t) {});
  const char* const moves[] = {"rock", "paper", "scissors"};
  std::string verdicts;  // the lines go to a temporary file, closed at exit
  for (tavik::test::Redirect quiet(stdout, std::tmpfile()); const char* player : moves)
    for (const char* computer : moves)
      verdicts += tavik::determineWinner(player, computer) ? 'W' : '-';
  EXPECT_EQ(verdicts,
            "--W"
            "W--"
            "-W-");  // the player's move by row, the computer's by column
}
