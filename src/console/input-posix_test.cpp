#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "console/input.h"
#include "support.h"

// A read that a signal interrupts (EINTR) is read again; an EINTR left in errno at the end of input
// is not.
TEST(StreamRoad, ReadsAgainAfterAnInterruptedRead) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  struct sigaction interrupt {};
  interrupt.sa_handler = [](int) {};  // without SA_RESTART, so that the waiting read fails
  sigaction(SIGUSR1, &interrupt, nullptr);
  std::thread writer([reader = pthread_self(), to = ends[1]] {
    usleep(100000), pthread_kill(reader, SIGUSR1), usleep(100000);
    EXPECT_EQ(write(to, "rock\n", 5), 5);
    close(to);
  });
  std::FILE* input = fdopen(ends[0], "r");
  std::string line = tavik::test::outcomeOf([input] { return tavik::readLine(input); }), end;
  errno = EINTR;
  EXPECT_TRUE(line == "rock" && !tavik::readLine(input, end));
  writer.join(), std::fclose(input);
}
