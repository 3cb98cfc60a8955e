#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe makePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe2");
  return Pipe{fds[0], fds[1]};
}

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The test's environment without what steers the interposer, plus the extras.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extras) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = nameOf(text);
    if (name == "LD_PRELOAD" || name.rfind("INTERPOSE_", 0) == 0) continue;
    bool overridden = false;
    for (const std::string& extra : extras) overridden = overridden || nameOf(extra) == name;
    if (!overridden) result.push_back(text);
  }
  result.insert(result.end(), extras.begin(), extras.end());
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// Reads what is there; false at end of file.
bool drain(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
      return true;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return true;
    fail("read");
  }
}

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  return static_cast<int>(left.count());
}

// The kernel's account of the process: its signal dispositions among others.
std::string processStatus(pid_t pid) {
  std::string text;
  const int fd = ::open(("/proc/" + std::to_string(pid) + "/status").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("open /proc status");
  while (drain(fd, text)) {
  }
  ::close(fd);
  return text;
}

void recordStatus(int status, Outcome& outcome) {
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.termSignal = WTERMSIG(status);
  }
}

}  // namespace

Outcome run(const Launch& launch) {
  // The harness writes to the child's input and must not die when the child
  // has gone; the child itself starts with every signal at its default.
  std::signal(SIGPIPE, SIG_IGN);

  const bool inputPipe = launch.inputPath.empty() && !launch.inputClosed;
  const bool outputPipe = launch.outputPath.empty() && !launch.outputClosed;
  Pipe input;
  if (inputPipe) input = makePipe();
  Pipe output;
  if (outputPipe) output = makePipe();
  Pipe errors = makePipe();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (launch.inputClosed) {
    posix_spawn_file_actions_addclose(&actions, 0);
  } else if (!inputPipe) {
    posix_spawn_file_actions_addopen(&actions, 0, launch.inputPath.c_str(), O_RDONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, input.read, 0);
  }
  if (launch.outputClosed) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else if (!outputPipe) {
    posix_spawn_file_actions_addopen(&actions, 1, launch.outputPath.c_str(), O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, output.write, 1);
  }
  posix_spawn_file_actions_adddup2(&actions, errors.write, 2);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all;
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  // The reader is gone before the child can write anything.
  if (launch.outputReaderGone) closeFd(output.read);

  std::vector<std::string> arguments{launch.program};
  arguments.insert(arguments.end(), launch.arguments.begin(), launch.arguments.end());
  std::vector<std::string> environment = childEnvironment(launch.environment);
  std::vector<char*> argv = pointers(arguments);
  std::vector<char*> envp = pointers(environment);

  Outcome outcome;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + launch.timeout;
  pid_t child = 0;
  const int spawned =
      posix_spawn(&child, launch.program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  closeFd(input.read);
  closeFd(output.write);
  closeFd(errors.write);
  if (spawned != 0) {
    errno = spawned;
    closeFd(input.write);
    closeFd(output.read);
    closeFd(errors.read);
    fail("posix_spawn " + launch.program);
  }

  // The limit holds before the child is given anything to read.
  if (launch.addressSpaceLimit != 0) {
    const rlimit limit{launch.addressSpaceLimit, launch.addressSpaceLimit};
    if (::prlimit(child, RLIMIT_AS, &limit, nullptr) != 0) {
      const int error = errno;
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
      closeFd(input.write);
      closeFd(output.read);
      closeFd(errors.read);
      errno = error;
      fail("prlimit");
    }
  }

  const std::uint64_t inputLength = launch.input.size() * launch.inputCopies;
  std::uint64_t written = 0;
  if (inputLength == 0 && !launch.holdInputOpen) closeFd(input.write);
  if (input.write >= 0) ::fcntl(input.write, F_SETFL, O_NONBLOCK);
  bool inputReleased = launch.inputAfter.empty();
  bool outputClosedByTest = false;

  // Feed the input and read both outputs until both are at end of file.
  while (output.read >= 0 || errors.read >= 0) {
    pollfd fds[3];
    nfds_t count = 0;
    const bool feeding = inputReleased && input.write >= 0 && written < inputLength;
    if (output.read >= 0) fds[count++] = pollfd{output.read, POLLIN, 0};
    if (errors.read >= 0) fds[count++] = pollfd{errors.read, POLLIN, 0};
    if (feeding) fds[count++] = pollfd{input.write, POLLOUT, 0};
    const int ready = ::poll(fds, count, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) fail("poll");
    if (ready == 0) {
      outcome.timedOut = true;
      break;
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == input.write) {
        // Up to the end of the current copy of the input.
        const std::size_t offset = static_cast<std::size_t>(written % launch.input.size());
        const ssize_t sent =
            ::write(input.write, launch.input.data() + offset, launch.input.size() - offset);
        if (sent > 0) written += static_cast<std::uint64_t>(sent);
        if (sent < 0 && errno != EAGAIN && errno != EINTR) closeFd(input.write);  // child gone
        if (input.write >= 0 && written == inputLength && !launch.holdInputOpen) {
          closeFd(input.write);
        }
      } else if (fds[i].fd == output.read) {
        if (!drain(output.read, outcome.output)) closeFd(output.read);
      } else if (!drain(errors.read, outcome.errors)) {
        closeFd(errors.read);
      }
    }
    // The reader goes away first; only then may the input that follows arrive.
    if (!launch.closeOutputAfter.empty() && !outputClosedByTest &&
        outcome.output.find(launch.closeOutputAfter) != std::string::npos) {
      closeFd(output.read);
      outputClosedByTest = true;
    }
    if (!inputReleased && outcome.output.find(launch.inputAfter) != std::string::npos) {
      inputReleased = true;
    }
    if (launch.signal != 0 && !outcome.signalSent &&
        outcome.output.find(launch.signalAfter) != std::string::npos) {
      outcome.statusAtSignal = processStatus(child);
      ::kill(child, launch.signal);
      outcome.signalSent = true;
    }
  }

  // Both outputs are closed: the child has ended or is about to.
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t done = outcome.timedOut ? 0 : ::wait4(child, &status, WNOHANG, &usage);
    if (done == child) break;
    if (done < 0 && errno != EINTR) fail("wait4");
    if (outcome.timedOut || millisecondsUntil(deadline) == 0) {
      outcome.timedOut = true;
      ::kill(child, SIGKILL);
      while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      break;
    }
    ::usleep(1000);
  }
  outcome.elapsed = Clock::now() - start;
  outcome.maxResidentKiB = usage.ru_maxrss;
  recordStatus(status, outcome);
  closeFd(input.write);
  closeFd(output.read);
  closeFd(errors.read);
  return outcome;
}

std::string describeEnd(const Outcome& outcome) {
  std::string text;
  if (outcome.timedOut) text += "timed out and killed; ";
  if (outcome.exited) return text + "exit code " + std::to_string(outcome.exitCode);
  return text + "ended by signal " + std::to_string(outcome.termSignal) + " (" +
         strsignal(outcome.termSignal) + ")";
}

}  // namespace e2e
