// Runs a program as a child process with scripted standard input and collects
// everything it writes, for tests that compare whole transcripts.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// How the child is started.
struct Launch {
  std::string program;
  // "NAME=value" entries added to the test's own environment (which loses its
  // LD_PRELOAD and INTERPOSE_* entries first).
  std::vector<std::string> environment;
  // Bytes on standard input, a pipe. It is closed once they are written, so
  // the child then meets end of input, unless holdInputOpen is set: then it
  // stays open until the child has ended.
  std::string input;
  bool holdInputOpen = false;
  // Standard output: a pipe that is read (default); the file or device at
  // outputPath (e.g. /dev/full); or, with outputReaderGone, a pipe whose
  // reading end is closed before the child starts.
  std::string outputPath;
  bool outputReaderGone = false;
  // Once standard output holds signalAfter, the signal is sent to the child.
  std::string signalAfter;
  int signal = 0;
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
  std::chrono::duration<double> elapsed{};  // from start to end of the child
};

// Starts the child, feeds its input, collects its output and waits for its end.
// A failure of the harness itself (spawn, pipes) throws std::runtime_error.
Outcome run(const Launch& launch);

// A readable account of how the child ended, for failure messages.
std::string describeEnd(const Outcome& outcome);

}  // namespace e2e
