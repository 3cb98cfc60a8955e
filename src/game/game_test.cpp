#include "game/game.h"
#include "process/bound.h"
#include "support.h"

using namespace tavik;

static void noPause(std::uint32_t) {}

TEST(Game, PlayerWinsOnlyTheThreeWinningPairs) {
  test::Replace sleep(bound::Sleep, noPause);
  const struct {
    const char* player;
    std::string beats;  // the computer's move that the player wins against
  } rows[] = {{"rock", "scissors"}, {"paper", "rock"}, {"scissors", "paper"}};
  testing::internal::CaptureStdout();  // the countdowns and the reveals
  for (const auto& row : rows)
    for (const char* computer : {"rock", "paper", "scissors"}) {
      const bool won = determineWinner(row.player, computer);
      EXPECT_EQ(won, row.beats == computer) << row.player << " against " << computer;
    }
  testing::internal::GetCapturedStdout();
}
