// The game as a player meets it: whole transcripts (standard output with the
// pauses marked in place, standard error, exit code) compared byte for byte.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"
#include "transcript.h"

using namespace std::string_literals;

namespace {

using namespace e2e;

// ---- Seeds, as 16 bytes from the system random source --------------------------

// s0 = 0, s1 = 1.
const std::string seedHighOne = "00000000000000000100000000000000";
// s0 = 2^64 - 1, s1 = 0: the first draw is 2^64 - 1, which is rejected.
const std::string seedAllOnesDraw = "FFFFFFFFFFFFFFFF0000000000000000";
// 15 bytes: a short read is a failed attempt.
const std::string shortSeed = "hex:0102030405060708090A0B0C0D0E0F";

// ---- Play -------------------------------------------------------------------

TEST(Play, LostRoundThenNo) {
  expectTranscript(e2e::run(game("rock\nno\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2), "", 0);
}

// Every move meets the one that beats it; the taunts follow the seed.
struct SeededRounds {
  std::string seed;
  int taunts[3];
};

void PrintTo(const SeededRounds& rounds, std::ostream* out) {
  *out << "seed " << rounds.seed << ", taunts " << rounds.taunts[0] << " " << rounds.taunts[1]
       << " " << rounds.taunts[2];
}

class TauntOrder : public testing::TestWithParam<SeededRounds> {};

TEST_P(TauntOrder, FollowsTheSeed) {
  const SeededRounds& rounds = GetParam();
  expectTranscript(e2e::run(game("rock\nyes\npaper\nyes\nscissors\nno\n", rounds.seed)),
                   introduction() + moveRequest() + lostRound("rock", "paper", rounds.taunts[0]) +
                       moveRequest() + lostRound("paper", "scissors", rounds.taunts[1]) +
                       moveRequest() + lostRound("scissors", "rock", rounds.taunts[2]),
                   "", 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, TauntOrder,
                         testing::Values(SeededRounds{defaultStateSeed, {2, 0, 2}},
                                         SeededRounds{seedOne, {1, 2, 0}},
                                         SeededRounds{seedHighOne, {1, 0, 2}},
                                         SeededRounds{seedAllOnesDraw, {2, 2, 0}}));

// Capitals of any mix, and letters that only lower-case to a move word through
// Unicode: ROC + KELVIN SIGN is "rock", SC + CAPITAL I WITH DOT ABOVE + SSORS is
// "scissors". The reveal shows the lower-cased move.
TEST(Play, MovesInAnyCase) {
  const std::string input =
      "Rock\nyes\nROCK\nyes\nrOcK\nyes\nPaPeR\nyes\nSCISSORS\nyes\n"
      "ROC\xE2\x84\xAA\nyes\nSC\xC4\xB0SSORS\nno\n";
  expectTranscript(e2e::run(game(input, seedOne)),
                   introduction() + moveRequest() + lostRound("rock", "paper", 1) +
                       moveRequest() + lostRound("rock", "paper", 2) + moveRequest() +
                       lostRound("rock", "paper", 0) + moveRequest() +
                       lostRound("paper", "scissors", 0) + moveRequest() +
                       lostRound("scissors", "rock", 2) + moveRequest() +
                       lostRound("rock", "paper", 1) + moveRequest() +
                       lostRound("scissors", "rock", 1),
                   "", 0);
}

// Nothing is trimmed or cut: blanks, a NUL byte, 0x1A or extra letters make a
// line invalid, and it is asked again at once, without a pause.
TEST(Play, InvalidLinesAskAgain) {
  const std::string input = " rock\nrock \n\nrocks\nrock\0\nro\0ck\nrock\x1A\nroc\nrock\nno\n"s;
  std::string output = introduction() + moveRequest();
  for (int i = 0; i < 8; ++i) output += invalidMove();
  expectTranscript(e2e::run(game(input)), output + lostRound("rock", "paper", 2), "", 0);
}

TEST(Play, CrLfLines) {
  expectTranscript(e2e::run(game("Rock\r\nYes\r\npaper\r\nno\r\n", seedOne)),
                   introduction() + moveRequest() + lostRound("rock", "paper", 1) +
                       moveRequest() + lostRound("paper", "scissors", 2),
                   "", 0);
}

TEST(Play, LastLineWithoutLineFeed) {
  expectTranscript(e2e::run(game("rock\nno")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2), "", 0);
}

// A CR is dropped only before a line feed: "rock" CR at the end of input is
// not a move.
TEST(Play, CarriageReturnAtEndOfInputStays) {
  expectTranscript(e2e::run(game("rock\r")),
                   introduction() + moveRequest() + invalidMove(), endOfInputReport, 1);
}

// ---- The play-again answer ----------------------------------------------------

class ContinuingAnswer : public testing::TestWithParam<std::string> {};

TEST_P(ContinuingAnswer, StartsTheNextRound) {
  expectTranscript(e2e::run(game("rock\n" + GetParam() + "\npaper\nno\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2) +
                       moveRequest() + lostRound("paper", "scissors", 0),
                   "", 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, ContinuingAnswer, testing::Values("yes", "YES", "Yes", "yES"));

// Anything else ends the game at once; the lines after it are never read.
class EndingAnswer : public testing::TestWithParam<std::string> {};

TEST_P(EndingAnswer, EndsTheGame) {
  expectTranscript(e2e::run(game("rock\n" + GetParam() + "rock\nyes\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2), "", 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, EndingAnswer,
                         testing::Values("no\n", "y\n", "yes \n", " yes\n", "\n", "yess\n",
                                         "yes\0\n"s, "rock\n"));

// ---- End of input -----------------------------------------------------------

TEST(EndOfInput, AtTheFirstMovePrompt) {
  expectTranscript(e2e::run(game("")), introduction() + moveRequest(), endOfInputReport, 1);
}

TEST(EndOfInput, AfterAnInvalidLine) {
  expectTranscript(e2e::run(game("paperr\n")), introduction() + moveRequest() + invalidMove(),
                   endOfInputReport, 1);
}

TEST(EndOfInput, AtThePlayAgainPrompt) {
  expectTranscript(e2e::run(game("rock")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2),
                   endOfInputReport, 1);
}

TEST(EndOfInput, AtTheMovePromptOfTheNextRound) {
  expectTranscript(e2e::run(game("rock\nyes\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2) + moveRequest(),
                   endOfInputReport, 1);
}

// ---- Seeding from the system random source ------------------------------------------

// Seven attempts fail (an error, 16 zero bytes, a short read); the eighth
// delivers s0 = 1, whose first taunt is index 1.
TEST(Seeding, EighthAttemptSucceeds) {
  const std::string script =
      "fail,zeros," + shortSeed + ",fail,zeros,zeros,fail,hex:" + seedOne;
  expectTranscript(e2e::run(interposed(TAVIK_GAME, "rock\nno\n", script)),
                   introduction() + moveRequest() + lostRound("rock", "paper", 1), "", 0);
}

// After eight failed attempts the game does not start. A ninth attempt would
// reach the real source and start the game.
TEST(Seeding, EightFailedAttemptsEndTheProcess) {
  const std::string script = "fail,zeros," + shortSeed + ",fail,zeros,zeros,fail,zeros";
  expectTranscript(e2e::run(interposed(TAVIK_GAME, "rock\nno\n", script)), "",
                   seedingFailureReport, 1);
}

// ---- Standard output that cannot be written ---------------------------------------

// Lines that cannot be written are dropped silently, so the introduction runs
// through (its pauses are marked on standard error here); the first prompt
// cannot be written and ends the process.
TEST(OutputFailure, StandardOutputFull) {
  e2e::Launch launch = game("rock\nno\n");
  launch.outputPath = "/dev/full";
  launch.environment.push_back("INTERPOSE_MARKERS=stderr");
  expectTranscript(e2e::run(launch), "", pauses(introductionPauses) + writeFailureReport, 1);
}

// The same with a pipe whose reader has gone: an error, not death by SIGPIPE.
TEST(OutputFailure, ReaderOfStandardOutputGone) {
  e2e::Launch launch = game("rock\nno\n");
  launch.outputReaderGone = true;
  launch.environment.push_back("INTERPOSE_MARKERS=stderr");
  expectTranscript(e2e::run(launch), "", pauses(introductionPauses) + writeFailureReport, 1);
}

// ---- Ctrl-C -----------------------------------------------------------------------

TEST(Interrupt, DuringAPause) {
  e2e::Launch launch = game("rock\nno\n");
  launch.environment.push_back("INTERPOSE_PAUSE=real");
  launch.signalAfter = line(introductionLines[0]);
  launch.signal = SIGINT;
  const e2e::Outcome outcome = e2e::run(launch);
  ASSERT_TRUE(outcome.signalSent);
  expectTranscript(outcome, line(introductionLines[0]), interruptReport, 1);
  EXPECT_LT(outcome.elapsed.count(), 2.5) << "the introduction went on after the interrupt";
}

// The game waiting at `prompt` for a line that does not come, interrupted.
e2e::Outcome interruptedAt(const std::string& input, const std::string& prompt) {
  e2e::Launch launch = game(input);
  launch.holdInputOpen = true;
  launch.signalAfter = prompt;
  launch.signal = SIGINT;
  return e2e::run(launch);
}

TEST(Interrupt, AtThePrompts) {
  const e2e::Outcome atMove = interruptedAt("", movePrompt);
  ASSERT_TRUE(atMove.signalSent);
  expectTranscript(atMove, introduction() + moveRequest(), interruptReport, 1);

  const e2e::Outcome atPlayAgain = interruptedAt("scissors\n", playAgainPrompt);
  ASSERT_TRUE(atPlayAgain.signalSent);
  expectTranscript(atPlayAgain,
                   introduction() + moveRequest() + lostRound("scissors", "rock", 2),
                   interruptReport, 1);
}

// ---- The won round ----------------------------------------------------------

class WonRound : public testing::TestWithParam<std::string> {};

// Any line ends the process, and nothing after it is read.
TEST_P(WonRound, EndsAfterAnyLine) {
  expectTranscript(e2e::run(interposed(TAVIK_WON_ROUND, GetParam(), "hex:" + seedOne)),
                   wonRound(), "", 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, WonRound,
                         testing::Values("\n", "x", "\r\n", "rock\n", "\nrock\nno\n"));

TEST(WonRoundEnd, EndOfInputAtTheFinalPrompt) {
  expectTranscript(e2e::run(interposed(TAVIK_WON_ROUND, "", "hex:" + seedOne)), wonRound(),
                   endOfInputReport, 1);
}

// ---- Real time --------------------------------------------------------------

// No interposer: five real pauses of one second in the introduction.
TEST(RealPauses, IntroductionTakesFiveSeconds) {
  e2e::Launch launch;
  launch.program = TAVIK_GAME;
  const e2e::Outcome outcome = e2e::run(launch);
  expectTranscript(outcome, introduction("") + moveRequest(), endOfInputReport, 1);
  EXPECT_GE(outcome.elapsed.count(), 5.0);
  EXPECT_LT(outcome.elapsed.count(), 5.8);
}

}  // namespace
