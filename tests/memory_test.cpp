// The game's memory: a line larger than the address space allowed ends with
// "out of memory", and valgrind's memcheck finds no error in whole games and
// no leak that grows with their length.
//
// Neither runs under the sanitizers (whose runtime needs far more address
// space, and which valgrind cannot host): this executable is labelled
// no-sanitizer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "harness.h"
#include "transcript.h"

namespace {

using namespace e2e;

constexpr std::uint64_t mebibyte = 1024 * 1024;

// ---- Address space limit -------------------------------------------------------

// Under `ulimit -v` of 200 MiB a game plays as usual, and a line of 1 GiB
// (streamed, so that it never has to exist whole) ends the process with the
// out-of-memory text, not a crash.
TEST(AddressSpaceLimit, HugeLineRunsOutOfMemory) {
  Launch normal = game("rock\nno\n");
  normal.addressSpaceLimit = 200 * mebibyte;
  expectTranscript(run(normal), introduction() + moveRequest() + lostRound("rock", "paper", 2), "",
                   0);

  Launch huge = game(std::string(mebibyte, 'x'));
  huge.inputCopies = 1024;
  huge.addressSpaceLimit = 200 * mebibyte;
  huge.environment.push_back("INTERPOSE_MARKERS=stderr");
  huge.timeout = std::chrono::seconds(60);
  expectTranscript(run(huge), introduction("") + moveRequest(),
                   pauses(introductionPauses) + outOfMemoryReport, 1);
}

// ---- memcheck -----------------------------------------------------------------

// The exit code valgrind gives a run with a memory error or a definite or
// indirect leak; the game itself ends with 0 or 1, the interposer with 98 or 99.
constexpr int memcheckErrorExit = 97;

// What memcheck's log says at the end of a run; -1 where it says nothing.
struct Memcheck {
  long errors = -1;
  long definitelyLost = -1;
  long indirectlyLost = -1;
  long possiblyLost = -1;
  long stillReachable = -1;
  std::string log;
};

// The byte count after `label` in the leak summary ("definitely lost: 1,024
// bytes in 2 blocks"), or -1.
long leakBytes(const std::string& log, const std::string& label) {
  const std::size_t at = log.find(label + ": ");
  if (at == std::string::npos) return -1;
  std::string digits;
  for (std::size_t i = at + label.size() + 2; i < log.size() && log[i] != ' '; ++i) {
    if (log[i] != ',') digits += log[i];
  }
  return digits.empty() ? -1 : std::stol(digits);
}

Memcheck readLog(const std::string& path) {
  Memcheck result;
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  result.log = text.str();
  const std::size_t summary = result.log.find("ERROR SUMMARY: ");
  if (summary != std::string::npos) {
    result.errors = std::stol(result.log.substr(summary + std::string("ERROR SUMMARY: ").size()));
  }
  if (result.log.find("All heap blocks were freed -- no leaks are possible") != std::string::npos) {
    result.definitelyLost = result.indirectlyLost = result.possiblyLost = 0;
    result.stillReachable = 0;
  } else {
    result.definitelyLost = leakBytes(result.log, "definitely lost");
    result.indirectlyLost = leakBytes(result.log, "indirectly lost");
    result.possiblyLost = leakBytes(result.log, "possibly lost");
    result.stillReachable = leakBytes(result.log, "still reachable");
  }
  return result;
}

// Runs the launch under memcheck, with the interposer still preloaded into the
// game, and returns what the game did and what memcheck found.
Memcheck underMemcheck(Launch launch, Outcome& outcome) {
  const std::string valgrind = TAVIK_VALGRIND;
  if (::access(valgrind.c_str(), X_OK) != 0) {
    ADD_FAILURE() << "valgrind was not found when the build was configured (" << valgrind
                  << "); install it (apt-get install valgrind)";
    return Memcheck{};
  }
  static int runs = 0;
  const std::string log = testing::TempDir() + "tavik-memcheck-" + std::to_string(::getpid()) +
                          "-" + std::to_string(++runs) + ".log";
  launch.arguments = {"--tool=memcheck",
                      "--error-exitcode=" + std::to_string(memcheckErrorExit),
                      "--leak-check=full",
                      "--errors-for-leak-kinds=definite,indirect",
                      "--log-file=" + log,
                      launch.program};
  launch.program = valgrind;
  launch.timeout = std::chrono::seconds(60);
  outcome = run(launch);
  Memcheck result = readLog(log);
  std::remove(log.c_str());
  return result;
}

void expectClean(const Memcheck& m) {
  EXPECT_EQ(m.errors, 0) << m.log;
  EXPECT_EQ(m.definitelyLost, 0) << m.log;
  EXPECT_EQ(m.indirectlyLost, 0) << m.log;
  EXPECT_GE(m.stillReachable, 0) << "no leak summary:\n" << m.log;
}

// Which taunt a round drew is of no interest here: each shows as "<taunt>".
std::string withoutTaunts(std::string text) {
  for (const char* taunt : taunts) {
    const std::string shown = line(taunt);
    for (std::size_t at = text.find(shown); at != std::string::npos; at = text.find(shown, at)) {
      text.replace(at, shown.size(), "<taunt>\n");
    }
  }
  return text;
}

// `rounds` rounds, each after an invalid line that ends in a lone lead byte;
// the last is followed by `lastAnswer` (empty: the input ends at the
// play-again prompt).
std::string roundsInput(int rounds, const std::string& lastAnswer) {
  const char* const moves[] = {"Rock", "PAPER", "sc\xC4\xB0ssors"};
  std::string input;
  for (int i = 0; i < rounds; ++i) {
    input += "move\xC3\n" + std::string(moves[i % 3]) + "\n";
    if (i + 1 < rounds) input += "YES\n";
  }
  return input + lastAnswer;
}

std::string roundsOutput(int rounds) {
  const char* const played[] = {"rock", "paper", "scissors"};
  std::string output = introduction() + moveRequest();
  for (int i = 0; i < rounds; ++i) {
    if (i > 0) output += moveRequest();
    output += invalidMove() + lostRound(played[i % 3], played[(i + 1) % 3], 0);
  }
  return withoutTaunts(output);
}

// A longer game leaves nothing more behind than a short one, whether the
// player declines or the input ends. (At end of input the exception being
// reported is still alive when the process exits; memcheck counts it as
// possibly lost, and it must not grow either.)
TEST(Memcheck, LeftoversDoNotGrowWithTheGame) {
  struct Ending {
    std::string lastAnswer;
    std::string errors;
    int exitCode;
  };
  for (const Ending& ending : {Ending{"no\n", "", 0}, Ending{"", endOfInputReport, 1}}) {
    SCOPED_TRACE(ending.exitCode == 0 ? "declined" : "end of input");
    Memcheck found[2];
    const int rounds[2] = {1, 10};
    for (int i = 0; i < 2; ++i) {
      Outcome outcome;
      found[i] = underMemcheck(game(roundsInput(rounds[i], ending.lastAnswer)), outcome);
      EXPECT_EQ(withoutTaunts(outcome.output), roundsOutput(rounds[i])) << rounds[i] << " rounds";
      EXPECT_EQ(outcome.errors, ending.errors);
      EXPECT_TRUE(outcome.exited && !outcome.timedOut && outcome.exitCode == ending.exitCode)
          << "expected exit code " << ending.exitCode << ", got " << describeEnd(outcome);
      expectClean(found[i]);
    }
    EXPECT_EQ(found[0].stillReachable, found[1].stillReachable)
        << "still reachable: 1 vs 10 rounds";
    EXPECT_EQ(found[0].possiblyLost, found[1].possiblyLost) << "possibly lost: 1 vs 10 rounds";
  }
}

TEST(Memcheck, WonRound) {
  Outcome outcome;
  expectClean(underMemcheck(interposed(TAVIK_WON_ROUND, "\n", "hex:" + seedOne), outcome));
  expectTranscript(outcome, wonRound(), "", 0);
  expectClean(underMemcheck(interposed(TAVIK_WON_ROUND, "", "hex:" + seedOne), outcome));
  expectTranscript(outcome, wonRound(), endOfInputReport, 1);
}

}  // namespace
