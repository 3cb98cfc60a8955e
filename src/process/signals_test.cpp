#include "process/signals.h"

#include <gtest/gtest.h>

#include <csignal>

namespace tavik {
namespace {

TEST(Signals, EachHandledSignalWritesItsTextAndExitsWithOne) {
  struct Case {
    int sig;
    const char* text;
  };
  const Case cases[] = {
      {SIGINT, "^SIGINT: Interrupted by Ctrl-C\\.\n$"},
      {SIGSEGV, "^SIGSEGV: Illegal storage access\\. \\(Attempt to read from nil\\?\\)\n$"},
      {SIGABRT, "^SIGABRT: Abnormal termination\\.\n$"},
      {SIGFPE, "^SIGFPE: Arithmetic error\\.\n$"},
      {SIGILL, "^SIGILL: Illegal operation\\.\n$"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          registerSignalHandler();
          std::raise(c.sig);
        },
        ::testing::ExitedWithCode(1), c.text)
        << c.sig;
  }
}

TEST(Signals, AnyOtherSignalIsUnknown) {
  EXPECT_EQ(signalText(SIGTERM), "unknown signal\n");
  EXPECT_EXIT(signalHandler(SIGTERM), ::testing::ExitedWithCode(1), "^unknown signal\n$");
}

}  // namespace
}  // namespace tavik
