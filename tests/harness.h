// Runs a program as a child process with scripted standard input and collects
// everything it writes, for tests that compare whole transcripts.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// How the child is started.
struct Launch {
  std::string program;
  // Arguments after the program's name.
  std::vector<std::string> arguments;
  // "NAME=value" entries added to the test's own environment (which loses its
  // LD_PRELOAD and INTERPOSE_* entries first).
  std::vector<std::string> environment;
  // Bytes on standard input, a pipe, written inputCopies times over. It is
  // closed once they are written, so the child then meets end of input, unless
  // holdInputOpen is set: then it stays open until the child has ended.
  std::string input;
  std::size_t inputCopies = 1;
  bool holdInputOpen = false;
  // Nothing is written to standard input before standard output holds this.
  std::string inputAfter;
  // Instead of the pipe: standard input opened from this path (a directory,
  // /dev/null), or no standard input at all (descriptor 0 closed).
  std::string inputPath;
  bool inputClosed = false;
  // Standard output: a pipe that is read (default); the file or device at
  // outputPath (e.g. /dev/full); with outputReaderGone, a pipe whose reading
  // end is closed before the child starts; with outputClosed, no standard
  // output at all (descriptor 1 closed).
  std::string outputPath;
  bool outputReaderGone = false;
  bool outputClosed = false;
  // Once standard output holds this, the test closes its reading end of the
  // pipe: the reader goes away in the middle of the game.
  std::string closeOutputAfter;
  // Once standard output holds signalAfter, the signal is sent to the child.
  std::string signalAfter;
  int signal = 0;
  // The child's address space limit in bytes (RLIMIT_AS, as `ulimit -v` sets
  // it); 0 leaves the test's own. Set before any input is written.
  std::uint64_t addressSpaceLimit = 0;
  // The child is killed (SIGKILL) when it has not ended by then.
  std::chrono::milliseconds timeout{20000};
};

// What the child did.
struct Outcome {
  std::string output;  // standard output, when it was a pipe that is read
  std::string errors;  // standard error
  bool exited = false;
  int exitCode = -1;     // when exited
  int termSignal = 0;    // when ended by a signal
  bool timedOut = false;
  bool signalSent = false;
  // The child's /proc/<pid>/status just before the signal was sent.
  std::string statusAtSignal;
  long maxResidentKiB = 0;  // the child's peak resident memory
  std::chrono::duration<double> elapsed{};  // from start to end of the child
};

// Starts the child, feeds its input, collects its output and waits for its end.
// A failure of the harness itself (spawn, pipes) throws std::runtime_error.
Outcome run(const Launch& launch);

// A readable account of how the child ended, for failure messages.
std::string describeEnd(const Outcome& outcome);

}  // namespace e2e
