// Reading from terminals, pipes and directories, with POSIX signals.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "console/input.h"
#include "process/failure.h"
#include "process/raised_testing.h"

namespace tavik {
namespace {

// On a terminal, reading again after the end of input waits for more: a stale
// EINTR left in errno must not turn the end of input into another read.
TEST(StreamRoad, StaleInterruptErrnoIsNoReasonToReadAgain) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::FILE* terminal = std::fopen(ptsname(master), "r");
  ASSERT_NE(terminal, nullptr);
  // Ctrl+D at the start of a line, a line, Ctrl+D again.
  const char typed[] = "\x04rock\n\x04";
  ASSERT_EQ(::write(master, typed, sizeof typed - 1), 7);
  std::string line = "stale text";
  errno = EINTR;
  EXPECT_FALSE(readLine(terminal, line));
  EXPECT_EQ(line, "");
  std::clearerr(terminal);
  EXPECT_EQ(readLine(terminal), "rock");
  std::fclose(terminal);
  ::close(master);
}

TEST(StreamRoad, ReadInterruptedBySignalIsRepeated) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  struct sigaction interrupt = {}, previous = {};
  interrupt.sa_handler = [](int) {};
  sigemptyset(&interrupt.sa_mask);
  interrupt.sa_flags = 0;  // no restart: the blocked read fails with EINTR
  sigaction(SIGUSR1, &interrupt, &previous);
  std::FILE* stream = fdopen(fds[0], "r");
  const pthread_t reader = pthread_self();
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pthread_kill(reader, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(::write(fds[1], "rock\n", 5), 5);
    ::close(fds[1]);
  });
  std::string line;
  try {
    line = readLine(stream);
  } catch (const Exception& e) {
    ADD_FAILURE() << e.name << " " << e.msg;
  }
  writer.join();
  EXPECT_EQ(line, "rock");
  // The interrupted read left no error behind: the end of input is just that.
  std::string next = "stale text";
  EXPECT_NO_THROW(EXPECT_FALSE(readLine(stream, next)));
  sigaction(SIGUSR1, &previous, nullptr);
  std::fclose(stream);
}

TEST(StreamRoad, ReadErrorRaisesIOErrorAndClearsTheFlag) {
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  Exception e = raisedBy([&] { readLine(directory); });
  EXPECT_STREQ(e.name, "IOError");
  EXPECT_EQ(e.msg, "errno: 21 `Is a directory`");
  EXPECT_EQ(std::ferror(directory), 0);
  std::fclose(directory);
}

}  // namespace
}  // namespace tavik
