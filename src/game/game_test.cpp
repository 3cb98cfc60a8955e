#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/game.h"
#include "game/outcomes.h"
#include "process/bound.h"
#include "random/random.h"

namespace tavik {
namespace {

// Pauses show in the captured output as a marker line of their own.
void markPause(std::uint32_t milliseconds) {
  std::fprintf(stdout, "<pause %u>\n", milliseconds);
  std::fflush(stdout);
}

class GameOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSleep = bound::Sleep;
    bound::Sleep = markPause;
    ::testing::internal::CaptureStdout();
  }
  void TearDown() override { bound::Sleep = savedSleep; }
  std::string output() { return ::testing::internal::GetCapturedStdout(); }

  void (*savedSleep)(std::uint32_t) = nullptr;
};

TEST(GetComputerChoice, AnswersEachMoveWithTheMoveThatBeatsIt) {
  EXPECT_EQ(getComputerChoice("rock"), "paper");
  EXPECT_EQ(getComputerChoice("paper"), "scissors");
  EXPECT_EQ(getComputerChoice("scissors"), "rock");
}

TEST_F(GameOutput, DetermineWinnerCountsDownRevealsAndLosesToTheCounterMove) {
  EXPECT_FALSE(determineWinner("rock", "paper"));
  EXPECT_EQ(output(),
            "[#] Ready?\n<pause 1000>\n"
            "[#] ROCK\n<pause 1000>\n"
            "[#] PAPER\n<pause 1000>\n"
            "[#] SCISSORS\n<pause 1000>\n"
            "[#] SHOOT!\n<pause 1000>\n"
            "[#] I chose: paper\n<pause 1000>\n"
            "[#] You chose: rock\n<pause 1000>\n");
}

TEST_F(GameOutput, DetermineWinnerIsTrueOnlyForTheThreeWinningPairs) {
  struct Round {
    const char* player;
    const char* computer;
    bool playerWins;
  };
  const Round rounds[] = {
      {"rock", "rock", false},     {"rock", "paper", false},     {"rock", "scissors", true},
      {"paper", "rock", true},     {"paper", "paper", false},    {"paper", "scissors", false},
      {"scissors", "rock", false}, {"scissors", "paper", true},  {"scissors", "scissors", false},
  };
  for (const Round& round : rounds) {
    EXPECT_EQ(determineWinner(round.player, round.computer), round.playerWins)
        << round.player << " against " << round.computer;
  }
  output();
}

TEST_F(GameOutput, ComputerWinsGloatsTauntsAndAsks) {
  state = DefaultRandSeed;  // draws index 2 first
  computerWins();
  EXPECT_EQ(output(),
            "[#] I win!\n<pause 1000>\n"
            "[#] Keep trying! I've got all day.\n<pause 1000>\n"
            "[?] Do you want to play again? (yes/no)\n");
}

TEST_F(GameOutput, ComputerWinsTauntsInTheGeneratorsOrder) {
  state = DefaultRandSeed;  // indices 2, 0, 2
  computerWins();
  computerWins();
  computerWins();
  const std::string out = output();
  const std::string taunt0 = "[#] I warned you!\n";
  const std::string taunt2 = "[#] Keep trying! I've got all day.\n";
  const auto first = out.find(taunt2);
  const auto second = out.find(taunt0);
  const auto third = out.find(taunt2, first + 1);
  EXPECT_NE(first, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(third, std::string::npos);
  EXPECT_EQ(out.find("[#] What's so hard"), std::string::npos);
}

}  // namespace
}  // namespace tavik
