#include "process/binding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>

#include "process/os.h"

namespace tavik {
namespace {

TEST(LoadFailure, NamesTheLibraryAndExplainsABadFormat) {
  EXPECT_EQ(loadFailureText("Bcrypt.dll", 126), "could not load: Bcrypt.dll\n");
  EXPECT_EQ(loadFailureText("kernel32", 193),
            "could not load: kernel32\n(bad format; library may be wrong architecture)\n");
  EXPECT_EQ(loadFailureText(nullptr, 0), "could not load: \n");
}

TEST(LoadFailure, EndsTheProcess) {
  EXPECT_EXIT(loadLibrary("NoSuchLibrary.dll"), ::testing::ExitedWithCode(1),
              "^could not load: NoSuchLibrary.dll\n$");
}

TEST(ImportFailure, EndsTheProcess) {
  EXPECT_EXIT(getProcAddr(loadLibrary("kernel32"), "NoSuchFunction"),
              ::testing::ExitedWithCode(1), "^could not import: NoSuchFunction\n$");
}

TEST(Binding, TheSystemLibrariesHoldWhatStartUpBinds) {
  Library kernel32 = loadLibrary("kernel32");
  for (const char* name : {"SetConsoleOutputCP", "SetConsoleCP", "ReadConsoleW", "GetLastError",
                           "FormatMessageW", "LocalFree", "Sleep"}) {
    EXPECT_NE(os::findSymbol(kernel32, name), nullptr) << name;
  }
  EXPECT_NE(os::findSymbol(loadLibrary("Bcrypt.dll"), "BCryptGenRandom"), nullptr);
  EXPECT_EXIT(getProcAddr(kernel32, "BCryptGenRandom"), ::testing::ExitedWithCode(1),
              "^could not import: BCryptGenRandom\n$");
}

TEST(SystemFunctions, SleepPausesForTheGivenTime) {
  void (*sleep)(std::uint32_t) = nullptr;
  bindProc(sleep, loadLibrary("kernel32"), "Sleep");
  const auto begin = std::chrono::steady_clock::now();
  sleep(30);
  const auto elapsed = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(elapsed, std::chrono::milliseconds(25));  // Windows' clock ticks are coarse
  EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
}

TEST(SystemFunctions, RandomSourceFillsTheWholeBuffer) {
  std::int32_t (*generate)(void*, unsigned char*, std::uint32_t, std::uint32_t) = nullptr;
  bindProc(generate, loadLibrary("Bcrypt.dll"), "BCryptGenRandom");
  unsigned char first[32] = {}, second[32] = {};
  ASSERT_EQ(generate(nullptr, first, sizeof first, 2), 0);
  ASSERT_EQ(generate(nullptr, second, sizeof second, 2), 0);
  EXPECT_NE(std::memcmp(first, second, sizeof first), 0);
  const unsigned char zero[32] = {};
  EXPECT_NE(std::memcmp(first, zero, sizeof first), 0);
}

}  // namespace
}  // namespace tavik
