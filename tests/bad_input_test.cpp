// The game's standard streams at their worst: input that is closed, not a
// stream of lines, endless or not text; output that is closed or whose reader
// leaves mid-game; signals the game does not handle. Each case is a whole
// transcript (standard output, standard error, exit code) or the signal that
// ended the process.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>

#include "harness.h"
#include "transcript.h"

namespace {

using namespace e2e;

// What a read of standard input reports when it fails: "errno: <n> `<text>`".
std::string readFailureReport(int code, const std::string& text) {
  return ioErrorReport("errno: " + std::to_string(code) + " `" + text + "`");
}

// The move the computer answers a move with: the one that beats it.
std::string counterMove(const std::string& move) {
  if (move == "rock") return "paper";
  if (move == "paper") return "scissors";
  return "rock";
}

// ---- Standard input that is no stream of lines -----------------------------------

TEST(StandardInput, ClosedDescriptorFailsTheFirstRead) {
  Launch launch = game("");
  launch.inputClosed = true;
  expectTranscript(run(launch), introduction() + moveRequest(),
                   readFailureReport(9, "Bad file descriptor"), 1);
}

TEST(StandardInput, DirectoryFailsTheFirstRead) {
  Launch launch = game("");
  launch.inputPath = "/";
  expectTranscript(run(launch), introduction() + moveRequest(),
                   readFailureReport(21, "Is a directory"), 1);
}

TEST(StandardInput, NullDeviceIsAtItsEnd) {
  Launch launch = game("");
  launch.inputPath = "/dev/null";
  expectTranscript(run(launch), introduction() + moveRequest(), endOfInputReport, 1);
}

// 100 MiB of capitals with no line feed is one line, read whole and lower-cased
// once: not a move. Reading it in chunks must stay linear in time (a copy of
// the line per chunk would take hours), and the line is held about twice: as
// read and lower-cased. The sanitizers' allocator keeps freed blocks a while,
// the growing line's earlier buffers among them.
TEST(StandardInput, HundredMebibyteLineWithoutLineFeed) {
  constexpr std::size_t mebibyte = 1024 * 1024;
  constexpr std::size_t mebibytes = 100;
  std::string piece;
  while (piece.size() < mebibyte) piece += "ROCK";
  Launch launch = game(piece);
  launch.inputCopies = mebibytes;
  launch.timeout = std::chrono::seconds(45);
  const Outcome outcome = run(launch);
  expectTranscript(outcome, introduction() + moveRequest() + invalidMove(), endOfInputReport, 1);
  EXPECT_LT(outcome.elapsed.count(), 30.0);
  // Four times the line with the sanitizers, two and a half without.
  constexpr long halves = TAVIK_SANITIZED ? 8 : 5;
  constexpr long peakKiB = halves * static_cast<long>(mebibytes) * 1024 / 2;
  EXPECT_LT(outcome.maxResidentKiB, peakKiB) << "peak resident memory in KiB";
}

// ---- Bytes that are not UTF-8 text ---------------------------------------------------

// A line at the move prompt, and the move it is taken for ("" when none).
struct LineCase {
  const char* name;
  std::string line;
  std::string move;
};

void PrintTo(const LineCase& c, std::ostream* out) { *out << c.name; }

class OddLine : public testing::TestWithParam<LineCase> {};

// An invalid line is asked again, and the line after it is read whole: no
// sequence reaches over the line feed. A move is shown back in its shortest,
// lower-cased form.
TEST_P(OddLine, IsTakenAsExpected) {
  const LineCase& c = GetParam();
  if (c.move.empty()) {
    expectTranscript(run(game(c.line + "\nrock\nno\n")),
                     introduction() + moveRequest() + invalidMove() +
                         lostRound("rock", "paper", 2),
                     "", 0);
  } else {
    expectTranscript(run(game(c.line + "\nno\n")),
                     introduction() + moveRequest() + lostRound(c.move, counterMove(c.move), 2),
                     "", 0);
  }
}

std::string testName(const testing::TestParamInfo<LineCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Utf8, OddLine,
    testing::Values(
        // Overlong forms are decoded as they stand and come out shortest.
        LineCase{"OverlongCapitalR", "\xC1\x92OCK", "rock"},
        LineCase{"OverlongCapitalRAtTheEnd", "PAPE\xC1\x92", "paper"},
        LineCase{"ThreeByteOverlongR", "\xE0\x81\xB2ock", "rock"},
        LineCase{"FourByteOverlongS", "\xF0\x80\x81\xB3" "cissors", "scissors"},
        LineCase{"SixByteOverlongR", "\xFC\x80\x80\x80\x81\xB2ock", "rock"},
        // The byte after a lead byte is not checked: C1 '+' is 'k'.
        LineCase{"UncheckedContinuationByte", "roc\xC1+", "rock"},
        // Bytes that begin no sequence stand for themselves.
        LineCase{"ByteFF", "\xFF", ""},
        LineCase{"ByteFFBeforeMove", "\xFFrock", ""},
        LineCase{"ByteFEAfterMove", "rock\xFE", ""},
        LineCase{"StrayContinuationByte", "\x80rock", ""},
        LineCase{"ByteOrderMark", "\xEF\xBB\xBFrock", ""},
        // A lead byte without enough bytes behind it, up to the line's end.
        LineCase{"LoneLeadByte", "\xC3", ""},
        LineCase{"TruncatedKelvinSign", "ROC\xE2\x84", ""},
        LineCase{"TruncatedFourByteLead", "r\xF0" "ck", ""},
        // Overlong control characters are kept, not taken for line ends.
        LineCase{"OverlongNulInside", "ro\xC0\x80" "ck", ""},
        LineCase{"OverlongLineFeedAtTheEnd", "rock\xC0\x8A", ""},
        LineCase{"EncodedSurrogate", "\xED\xA0\x80rock", ""}),
    testName);

TEST(OddAnswer, OverlongCapitalYContinues) {
  expectTranscript(run(game("rock\n\xC1\x99" "ES\npaper\nno\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2) +
                       moveRequest() + lostRound("paper", "scissors", 0),
                   "", 0);
}

TEST(OddAnswer, InvalidBytesEndTheGame) {
  expectTranscript(run(game("rock\nyes\xFF\nrock\nno\n")),
                   introduction() + moveRequest() + lostRound("rock", "paper", 2), "", 0);
}

// 64 KiB of random bytes (a fixed Mersenne Twister sequence), line feeds and
// NUL bytes among them: each line, the last one without a line feed included,
// is asked again, then the input ends.
TEST(BinaryNoise, EveryLineIsAskedAgain) {
  std::mt19937 generator(20240611);
  std::string noise;
  while (noise.size() < 64 * 1024) noise.push_back(static_cast<char>(generator() & 0xFF));
  int lines = 0;
  for (char byte : noise) lines += byte == '\n' ? 1 : 0;
  if (noise.back() != '\n') ++lines;
  ASSERT_GT(lines, 100);

  std::string output = introduction() + moveRequest();
  for (int i = 0; i < lines; ++i) output += invalidMove();
  expectTranscript(run(game(noise)), output, endOfInputReport, 1);
}

// ---- Standard output that goes away -----------------------------------------------

// Messages are dropped silently, the introduction runs through (its pauses are
// marked on standard error), and the first prompt ends the process.
TEST(StandardOutput, ClosedDescriptor) {
  Launch launch = game("rock\nno\n");
  launch.outputClosed = true;
  launch.environment.push_back("INTERPOSE_MARKERS=stderr");
  expectTranscript(run(launch), "", pauses(introductionPauses) + writeFailureReport, 1);
}

// The reader leaves while the game waits for a move; then the move arrives.
// The round is played to nobody, and the play-again prompt ends the process
// with the report, not by SIGPIPE.
TEST(StandardOutput, ReaderLeavesMidGame) {
  Launch launch = game("rock\nno\n");
  launch.closeOutputAfter = movePrompt;
  launch.inputAfter = movePrompt;
  launch.environment.push_back("INTERPOSE_MARKERS=stderr");
  expectTranscript(run(launch), introduction("") + moveRequest(),
                   pauses(introductionPauses + lostRoundPauses) + writeFailureReport, 1);
}

// ---- Signals the game does not handle ------------------------------------------------

// The signal dispositions in /proc/<pid>/status, one bit per signal.
std::uint64_t signalMask(const std::string& status, const std::string& field) {
  const std::size_t at = status.find("\n" + field + ":");
  if (at == std::string::npos) return 0;
  return std::stoull(status.substr(at + field.size() + 2), nullptr, 16);
}

bool inMask(std::uint64_t mask, int sig) { return ((mask >> (sig - 1)) & 1) != 0; }

// SIGINT and the fatal signals have the handler; SIGTERM and SIGHUP keep their
// default, and a write to a pipe without reader fails instead of killing.
TEST(Signals, DispositionsWhileWaitingForAMove) {
  Launch launch = game("");
  launch.holdInputOpen = true;
  launch.signalAfter = movePrompt;
  launch.signal = SIGKILL;
  const Outcome outcome = run(launch);
  ASSERT_TRUE(outcome.signalSent);
  const std::uint64_t caught = signalMask(outcome.statusAtSignal, "SigCgt");
  const std::uint64_t ignored = signalMask(outcome.statusAtSignal, "SigIgn");
  for (int sig : {SIGINT, SIGSEGV, SIGABRT, SIGFPE, SIGILL}) {
    EXPECT_TRUE(inMask(caught, sig)) << strsignal(sig) << " has no handler";
  }
  for (int sig : {SIGTERM, SIGHUP}) {
    EXPECT_FALSE(inMask(caught, sig)) << strsignal(sig) << " has a handler";
    EXPECT_FALSE(inMask(ignored, sig)) << strsignal(sig) << " is ignored";
  }
  EXPECT_TRUE(inMask(ignored, SIGPIPE)) << "SIGPIPE is not ignored";
}

class UnhandledSignal : public testing::TestWithParam<int> {};

void expectEndedBy(const Outcome& outcome, int sig) {
  ASSERT_TRUE(outcome.signalSent);
  EXPECT_TRUE(!outcome.exited && !outcome.timedOut && outcome.termSignal == sig)
      << "expected the end by " << strsignal(sig) << ", got " << describeEnd(outcome);
  EXPECT_EQ(outcome.errors, "");
}

TEST_P(UnhandledSignal, EndsTheGameDuringARead) {
  Launch launch = game("");
  launch.holdInputOpen = true;
  launch.signalAfter = movePrompt;
  launch.signal = GetParam();
  const Outcome outcome = run(launch);
  expectEndedBy(outcome, GetParam());
  EXPECT_EQ(outcome.output, introduction() + moveRequest());
}

TEST_P(UnhandledSignal, EndsTheGameDuringAPause) {
  Launch launch = game("rock\nno\n");
  launch.environment.push_back("INTERPOSE_PAUSE=real");
  launch.signalAfter = line(introductionLines[0]);
  launch.signal = GetParam();
  const Outcome outcome = run(launch);
  expectEndedBy(outcome, GetParam());
  EXPECT_EQ(outcome.output, line(introductionLines[0]));
  EXPECT_LT(outcome.elapsed.count(), 2.5) << "the introduction went on after the signal";
}

std::string signalName(const testing::TestParamInfo<int>& info) {
  return info.param == SIGTERM ? "SIGTERM" : info.param == SIGHUP ? "SIGHUP" : "other";
}

INSTANTIATE_TEST_SUITE_P(TermAndHup, UnhandledSignal, testing::Values(SIGTERM, SIGHUP), signalName);

}  // namespace
