// The game as a player meets it: whole transcripts (standard output with the
// pauses marked in place, standard error, exit code) compared byte for byte.
//
// Pauses and the system random source come from the preloaded interposer
// (interpose.c): a pause leaves "<pause 1000 ms>" in the transcript and
// returns at once, and each test scripts the 16 seed bytes, so that the taunts
// are known in advance.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"

using namespace std::string_literals;

namespace {

// ---- What the persona says --------------------------------------------------

const char* const introductionLines[] = {
    "[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    "[#] Let's play Rock, Paper, Scissors!",
    "[#] I should warn you ahead of time, though.",
    "[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    "[#] You won't end up beating me.",
    "[#] Still want to play? Alright, you've been warned!",
};
const char* const countdownLines[] = {
    "[#] Ready?", "[#] ROCK", "[#] PAPER", "[#] SCISSORS", "[#] SHOOT!",
};
const char* const taunts[] = {
    "[#] I warned you!",
    "[#] What's so hard to understand? I. CAN. READ. MINDS.",
    "[#] Keep trying! I've got all day.",
};
const std::string moveRequestLine = "[#] Enter your choice (rock, paper, scissors): ";
const std::string movePrompt = "[>] ";
const std::string invalidMoveLine = "Invalid choice. Please choose rock, paper, or scissors.";
const std::string choiceMadeLine = "[#] I've made my choice! Now let's play!";
const std::string computerMovePrefix = "[#] I chose: ";
const std::string playerMovePrefix = "[#] You chose: ";
const std::string gloatLine = "[#] I win!";
const std::string playAgainLine = "[?] Do you want to play again? (yes/no)";
const std::string playAgainPrompt = "[yes/no] > ";
// "??" and "!" apart, so that no compiler reads a trigraph.
const std::string defeatLines =
    "[#] You won!\n[#] Wait, how did you do that??" "!! Cheater! CHEATER!!!!!!";
const std::string revealPrefix = "[+] ";
const std::string concealedMessage = "Fine, you win. I never read any minds.";
const std::string finalPrompt = "[+] Press enter to quit [>] ";

// ---- What ends the process abnormally ----------------------------------------

// A raise site is padded to 25 columns: "io(156)" and 18 blanks.
const std::string endOfInputReport = "io(156)" + std::string(18, ' ') +
                                     "raiseEOF\n"
                                     "Error: unhandled exception: EOF reached [EOFError]\n";
const std::string writeFailureReport = "io(153)" + std::string(18, ' ') +
                                       "raiseEIO\n"
                                       "Error: unhandled exception: cannot write string to file "
                                       "[IOError]\n";
const std::string interruptReport = "SIGINT: Interrupted by Ctrl-C.\n";
const std::string seedingFailureReport =
    "Failed to initializes baseState in random module as sysrand.urandom doesn't work.\n";

// ---- Seeds, as 16 bytes from the system random source --------------------------

// The generator's default state (s0 0x69B4C98CB8530805, s1 0xD1DD3004688D67CA),
// little-endian: its taunts are at indices 2, 0, 2.
const std::string defaultStateSeed = "050853B88CC9B469CA678D680430DDD1";
// s0 = 1, s1 = 0: a state with one zero word is a valid seed.
const std::string seedOne = "01000000000000000000000000000000";
// s0 = 0, s1 = 1.
const std::string seedHighOne = "00000000000000000100000000000000";
// s0 = 2^64 - 1, s1 = 0: the first draw is 2^64 - 1, which is rejected.
const std::string seedAllOnesDraw = "FFFFFFFFFFFFFFFF0000000000000000";
// 15 bytes: a short read is a failed attempt.
const std::string shortSeed = "hex:0102030405060708090A0B0C0D0E0F";

// ---- Transcript pieces ------------------------------------------------------

const std::string pauseMarker = "<pause 1000 ms>\n";

std::string line(const std::string& text) { return text + "\n"; }

// `pause` is what a pause leaves in the transcript: the marker, or nothing
// when the pauses are real.
std::string introduction(const std::string& pause = pauseMarker) {
  std::string text;
  for (std::size_t i = 0; i + 1 < std::size(introductionLines); ++i) {
    text += line(introductionLines[i]) + pause;
  }
  return text + line(introductionLines[std::size(introductionLines) - 1]);
}

// The move request and its prompt; the player's line is read after it.
std::string moveRequest() { return line(moveRequestLine) + movePrompt; }

// After a line that is not a move: the message and a new request, no pause.
std::string invalidMove() { return line(invalidMoveLine) + moveRequest(); }

// A round from the computer's choice to the play-again prompt.
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

// ---- Running ----------------------------------------------------------------

e2e::Launch interposed(const char* program, const std::string& input,
                       const std::string& randomScript) {
  e2e::Launch launch;
  launch.program = program;
  launch.input = input;
  launch.environment = {"LD_PRELOAD="s + TAVIK_INTERPOSER, "INTERPOSE_GETRANDOM=" + randomScript};
  return launch;
}

e2e::Launch game(const std::string& input, const std::string& seed = defaultStateSeed) {
  return interposed(TAVIK_GAME, input, "hex:" + seed);
}

void expectTranscript(const e2e::Outcome& outcome, const std::string& output,
                      const std::string& errors, int exitCode) {
  EXPECT_EQ(outcome.output, output);
  EXPECT_EQ(outcome.errors, errors);
  EXPECT_TRUE(outcome.exited && !outcome.timedOut && outcome.exitCode == exitCode)
      << "expected exit code " << exitCode << ", got " << e2e::describeEnd(outcome);
}

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
  std::string pauses;
  for (int i = 0; i < 5; ++i) pauses += pauseMarker;
  expectTranscript(e2e::run(launch), "", pauses + writeFailureReport, 1);
}

// The same with a pipe whose reader has gone: an error, not death by SIGPIPE.
TEST(OutputFailure, ReaderOfStandardOutputGone) {
  e2e::Launch launch = game("rock\nno\n");
  launch.outputReaderGone = true;
  launch.environment.push_back("INTERPOSE_MARKERS=stderr");
  std::string pauses;
  for (int i = 0; i < 5; ++i) pauses += pauseMarker;
  expectTranscript(e2e::run(launch), "", pauses + writeFailureReport, 1);
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

TEST(Interrupt, AtTheMovePrompt) {
  e2e::Launch launch = game("");
  launch.holdInputOpen = true;
  launch.signalAfter = movePrompt;
  launch.signal = SIGINT;
  const e2e::Outcome outcome = e2e::run(launch);
  ASSERT_TRUE(outcome.signalSent);
  expectTranscript(outcome, introduction() + moveRequest(), interruptReport, 1);
}

TEST(Interrupt, AtThePlayAgainPrompt) {
  e2e::Launch launch = game("scissors\n");
  launch.holdInputOpen = true;
  launch.signalAfter = playAgainPrompt;
  launch.signal = SIGINT;
  const e2e::Outcome outcome = e2e::run(launch);
  ASSERT_TRUE(outcome.signalSent);
  expectTranscript(outcome, introduction() + moveRequest() + lostRound("scissors", "rock", 2),
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
