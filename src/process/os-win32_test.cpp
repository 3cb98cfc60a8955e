// The Windows layer against the real system: kernel32 and Bcrypt.dll loaded by
// name, msvcrt's streams, descriptors and console checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/input.h"
#include "console/setup.h"
#include "process/binding.h"
#include "process/bound.h"
#include "process/failure.h"
#include "process/os.h"
#include "process/raised_testing.h"

namespace tavik {
namespace {

// tavik_decorated.dll exports _Sleep@4 (4), _Sleep@8 (8), _Wait@200 (200),
// _Late@204 (204), Plain (1) and _Plain@0 (0), and 244 "n" decorated with @8 (244).
TEST(Binding, FindsTheDecoratedNamesInOrder) {
  Library library = loadLibrary("tavik_decorated.dll");
  auto bound = [library](const char* name) {
    int (*function)() = nullptr;
    bindProc(function, library, name);
    return function();
  };
  EXPECT_EQ(bound("Sleep"), 4);
  EXPECT_EQ(bound("Wait"), 200);
  EXPECT_EQ(bound("Plain"), 1);
  EXPECT_EQ(bound(std::string(300, 'n').c_str()), 244);
  EXPECT_EXIT(getProcAddr(library, "Late"), ::testing::ExitedWithCode(1),
              "^could not import: Late\n$");
}

TEST(Binding, AFileThatIsNoLibraryIsABadFormat) {
  const char* name = "tavik-bad-format.dll";
  std::FILE* file = std::fopen(name, "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("not a library\n", file);
  std::fclose(file);
  EXPECT_EQ(os::loadLibrary(name), nullptr);
  EXPECT_EQ(os::lastError(), 193u);
  EXPECT_EXIT(loadLibrary(name), ::testing::ExitedWithCode(1),
              "^could not load: tavik-bad-format\\.dll\n"
              "\\(bad format; library may be wrong architecture\\)\n$");
  std::remove(name);
}

// Without an algorithm handle only the system's preferred generator (flag 2) serves.
TEST(SystemFunctions, RandomSourceNeedsFlagTwo) {
  std::int32_t (*generate)(void*, unsigned char*, std::uint32_t, std::uint32_t) = nullptr;
  bindProc(generate, loadLibrary("Bcrypt.dll"), "BCryptGenRandom");
  unsigned char buffer[32] = {};
  EXPECT_EQ(generate(nullptr, buffer, sizeof buffer, 2), 0);
  EXPECT_NE(generate(nullptr, buffer, sizeof buffer, 0), 0);
}

std::string bytesOf(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  std::string bytes;
  for (int byte; file && (byte = std::fgetc(file)) != EOF;) bytes += static_cast<char>(byte);
  if (file) std::fclose(file);
  return bytes;
}

TEST(Streams, BinaryModeStopsTheNewlineTranslation) {
  const char* name = "tavik-binary-mode.txt";
  std::FILE* file = std::fopen(name, "w");
  ASSERT_NE(file, nullptr);
  std::fputs("text\n", file);
  std::fflush(file);
  os::setBinaryMode(file);
  std::fputs("binary\n", file);
  std::fclose(file);
  EXPECT_EQ(bytesOf(name), "text\r\nbinary\n");

  // Read in text mode, CR LF would lose its CR and Ctrl+Z would end the input.
  file = std::fopen(name, "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("ro\x1A" "ck\r\n\x1A\r\n", file);
  std::fclose(file);
  file = std::fopen(name, "r");
  ASSERT_NE(file, nullptr);
  os::setBinaryMode(file);
  std::string line = "stale text";
  EXPECT_TRUE(readLine(file, line));
  EXPECT_EQ(line, "ro\x1A" "ck");
  EXPECT_TRUE(readLine(file, line));
  EXPECT_EQ(line, "\x1A");
  EXPECT_FALSE(readLine(file, line));
  std::fclose(file);
  std::remove(name);
}

// The null device is a character device, so it takes the console road, where
// the real ReadConsoleW fails and the system's text for the code is reported.
TEST(Streams, OnlyCharacterDevicesTakeTheConsoleRoad) {
  std::FILE* file = std::tmpfile();
  EXPECT_FALSE(os::isConsole(file));
  std::fclose(file);

  bindConsoleFunctions();
  std::FILE* nul = std::fopen("NUL", "rb");
  ASSERT_NE(nul, nullptr);
  EXPECT_TRUE(os::isConsole(nul));
  Exception e = raisedBy([nul] { readLine(nul); });
  EXPECT_STREQ(e.name, "IOError");
  const std::string prefix = "error: 6 `";  // ERROR_INVALID_HANDLE
  EXPECT_EQ(e.msg.substr(0, prefix.size()), prefix) << e.msg;
  EXPECT_GT(e.msg.size(), prefix.size() + 1) << "the system's text is missing";
  EXPECT_EQ(e.msg.back(), '`');
  std::fclose(nul);
}

TEST(Process, WriteAndExitWritesTheBytesAndEndsAtOnce) {
  EXPECT_EXIT(
      {
        std::atexit([] { std::fputs("exit handler ran\n", stderr); });
        os::writeAndExit("bye\n", 4, 3);
      },
      ::testing::ExitedWithCode(3), "^bye\n$");
}

}  // namespace
}  // namespace tavik
