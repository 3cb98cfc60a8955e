// The game: introduction, moves, rounds and the play-again question.
#pragma once

#include <cstdint>
#include <string>

namespace tavik {

// The pause between the lines of the conversation.
inline constexpr std::int64_t pauseMilliseconds = 1000;

// Plays until the player declines another round.
void main();

// The move that beats the player's move.
std::string getComputerChoice(const std::string& move);

// Counts down, shows both moves (with pauses) and tells whether the player won.
bool determineWinner(const std::string& player, const std::string& computer);

}  // namespace tavik
