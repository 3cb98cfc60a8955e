#include "transcript.h"

#include <gtest/gtest.h>

#include <iterator>

using namespace std::string_literals;

namespace e2e {

std::string ioErrorReport(const std::string& message) {
  return "io(153)" + std::string(18, ' ') + "raiseEIO\nError: unhandled exception: " + message +
         " [IOError]\n";
}

std::string pauses(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += pauseMarker;
  return text;
}

std::string introduction(const std::string& pause) {
  std::string text;
  for (std::size_t i = 0; i + 1 < std::size(introductionLines); ++i) {
    text += line(introductionLines[i]) + pause;
  }
  return text + line(introductionLines[std::size(introductionLines) - 1]);
}

std::string moveRequest() { return line(moveRequestLine) + movePrompt; }

std::string invalidMove() { return line(invalidMoveLine) + moveRequest(); }

std::string lostRound(const std::string& player, const std::string& computer, int taunt) {
  std::string text = line(choiceMadeLine);
  for (const char* countdown : countdownLines) text += line(countdown) + pauseMarker;
  text += line(computerMovePrefix + computer) + pauseMarker;
  text += line(playerMovePrefix + player) + pauseMarker;
  text += line(gloatLine) + pauseMarker;
  text += line(taunts[taunt]) + pauseMarker;
  return text + line(playAgainLine) + playAgainPrompt;
}

std::string wonRound() {
  return line(defeatLines) + line(revealPrefix + concealedMessage) + finalPrompt;
}

Launch interposed(const char* program, const std::string& input, const std::string& randomScript) {
  Launch launch;
  launch.program = program;
  launch.input = input;
  launch.environment = {"LD_PRELOAD="s + TAVIK_INTERPOSER, "INTERPOSE_GETRANDOM=" + randomScript};
  return launch;
}

Launch game(const std::string& input, const std::string& seed) {
  return interposed(TAVIK_GAME, input, "hex:" + seed);
}

void expectTranscript(const Outcome& outcome, const std::string& output,
                      const std::string& errors, int exitCode) {
  EXPECT_EQ(outcome.output, output);
  EXPECT_EQ(outcome.errors, errors);
  EXPECT_TRUE(outcome.exited && !outcome.timedOut && outcome.exitCode == exitCode)
      << "expected exit code " << exitCode << ", got " << describeEnd(outcome);
}

}  // namespace e2e
