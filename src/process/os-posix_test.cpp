#include "process/os-posix.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <string>

#include "process/binding.h"
#include "process/bound.h"
#include "process/os.h"
#include "process/signals.h"

namespace tavik {
namespace {

int marker4;
int marker200;
int markerLong;

Address at(int& marker) { return &marker; }

TEST(Binding, FindsTheDecoratedNamesInOrder) {
  const std::string longName(300, 'n');
  const std::string longDecorated = "_" + longName.substr(0, 244) + "@8";
  const os::PosixSymbol symbols[] = {
      {"_Sleep@4", at(marker4)},
      {"_Sleep@8", at(markerLong)},  // a later candidate than _Sleep@4
      {"_Wait@200", at(marker200)},
      {"_Late@204", at(marker200)},
      {longDecorated.c_str(), at(markerLong)},
  };
  const os::PosixLibrary library{"fake", symbols};
  EXPECT_EQ(getProcAddr(&library, "Sleep"), at(marker4));
  EXPECT_EQ(getProcAddr(&library, "Wait"), at(marker200));
  EXPECT_EQ(getProcAddr(&library, longName.c_str()), at(markerLong));
  EXPECT_EXIT(getProcAddr(&library, "Late"), ::testing::ExitedWithCode(1),
              "^could not import: Late\n$");
}

TEST(Binding, ThePlainNameComesFirst) {
  const os::PosixSymbol symbols[] = {{"_Sleep@0", at(marker4)}, {"Sleep", at(marker200)}};
  const os::PosixLibrary library{"fake", symbols};
  EXPECT_EQ(getProcAddr(&library, "Sleep"), at(marker200));
}

TEST(SystemFunctions, TheConsoleCodePagesCannotBeSetWithoutAConsole) {
  int (*setOutput)(std::uint32_t) = nullptr;
  bindProc(setOutput, loadLibrary("kernel32"), "SetConsoleOutputCP");
  EXPECT_EQ(setOutput(65001), 0);
  EXPECT_FALSE(os::isConsole(stdin));
}

// Only the five fatal signals get the handler; a closed pipe becomes a write
// error; termination requests keep their default action.
TEST(Signals, DispositionsAfterRegistration) {
  EXPECT_EXIT(
      {
        registerSignalHandler();
        struct sigaction action {};
        bool ok = true;
        for (int sig : {SIGINT, SIGSEGV, SIGABRT, SIGFPE, SIGILL}) {
          sigaction(sig, nullptr, &action);
          ok = ok && action.sa_handler == signalHandler;
        }
        sigaction(SIGPIPE, nullptr, &action);
        ok = ok && action.sa_handler == SIG_IGN;
        for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
          sigaction(sig, nullptr, &action);
          ok = ok && action.sa_handler == SIG_DFL;
        }
        std::exit(ok ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavik
