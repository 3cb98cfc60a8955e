#include "game/game.h"

#include <string_view>

#include "console/input.h"
#include "console/lower.h"
#include "console/output.h"
#include "console/pause.h"
#include "game/outcomes.h"

namespace tavik {

namespace {

// Each line but the last is followed by a pause.
const char* const introduction[] = {
    "[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    "[#] Let's play Rock, Paper, Scissors!",
    "[#] I should warn you ahead of time, though.",
    "[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    "[#] You won't end up beating me.",
    "[#] Still want to play? Alright, you've been warned!",
};

// Each followed by a pause.
const char* const countdown[] = {
    "[#] Ready?", "[#] ROCK", "[#] PAPER", "[#] SCISSORS", "[#] SHOOT!",
};

bool isMove(std::string_view text) {
  return text == "rock" || text == "paper" || text == "scissors";
}

void say(const std::string& line) { echoBinSafe({line}); }

void sayAndPause(const std::string& line) {
  say(line);
  nossleep(pauseMilliseconds);
}

}  // namespace

void main() {
  for (std::size_t i = 0; i + 1 < std::size(introduction); ++i)
    sayAndPause(introduction[i]);
  say(introduction[std::size(introduction) - 1]);

  for (;;) {
    say("[#] Enter your choice (rock, paper, scissors): ");
    const Line line = nuctoLowerStr(readLineFromStdin("[>] "));
    if (!isMove(view(line))) {
      say("Invalid choice. Please choose rock, paper, or scissors.");
      continue;
    }
    const std::string move(view(line));
    const std::string computerMove = getComputerChoice(move);
    say("[#] I've made my choice! Now let's play!");
    if (determineWinner(move, computerMove))
      playerWins();
    computerWins();
    if (view(nuctoLowerStr(readLineFromStdin("[yes/no] > "))) != "yes")
      return;
  }
}

std::string getComputerChoice(const std::string& move) {
  if (move == "rock")
    return "paper";
  if (move == "paper")
    return "scissors";
  return "rock";
}

bool determineWinner(const std::string& player, const std::string& computer) {
  for (const char* line : countdown)
    sayAndPause(line);
  sayAndPause("[#] I chose: " + computer);
  sayAndPause("[#] You chose: " + player);
  return (player == "rock" && computer == "scissors") ||
         (player == "scissors" && computer == "paper") || (player == "paper" && computer == "rock");
}

}  // namespace tavik
