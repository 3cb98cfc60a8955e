#include "console/setup.h"

#include <cstdint>
#include <cstdio>

#include "process/binding.h"
#include "process/bound.h"
#include "process/os.h"

namespace tavik {

namespace {

constexpr std::uint32_t utf8CodePage = 65001;

}  // namespace

void bindConsoleFunctions() {
  const Library kernel32 = loadLibrary("kernel32");
  bindProc(bound::SetConsoleOutputCP, kernel32, "SetConsoleOutputCP");
  bindProc(bound::SetConsoleCP, kernel32, "SetConsoleCP");
  bindProc(bound::ReadConsoleW, kernel32, "ReadConsoleW");
  bindProc(bound::GetLastError, kernel32, "GetLastError");
  bindProc(bound::FormatMessageW, kernel32, "FormatMessageW");
  bindProc(bound::LocalFree, kernel32, "LocalFree");
}

void initConsole() {
  os::setBinaryMode(stdin);
  os::setBinaryMode(stdout);
  os::setBinaryMode(stderr);
  // Without a console both calls fail, which changes nothing.
  bound::SetConsoleOutputCP(utf8CodePage);
  bound::SetConsoleCP(utf8CodePage);
}

}  // namespace tavik
