#include "process/bound.h"

#include "process/binding.h"

namespace tavik {

namespace bound {

int (*SetConsoleOutputCP)(std::uint32_t) = nullptr;
int (*SetConsoleCP)(std::uint32_t) = nullptr;
int (*ReadConsoleW)(void*, char16_t*, std::uint32_t, std::int32_t*, void*) = nullptr;
std::uint32_t (*GetLastError)() = nullptr;
std::uint32_t (*FormatMessageW)(std::uint32_t, const void*, std::uint32_t, std::uint32_t,
                                char16_t**, std::uint32_t, void*) = nullptr;
void* (*LocalFree)(void*) = nullptr;
void (*Sleep)(std::uint32_t) = nullptr;
std::int32_t (*BCryptGenRandom)(void*, unsigned char*, std::uint32_t, std::uint32_t) = nullptr;

}  // namespace bound

void bindConsoleFunctions() {
  const Library kernel32 = loadLibrary("kernel32");
  bindProc(bound::SetConsoleOutputCP, kernel32, "SetConsoleOutputCP");
  bindProc(bound::SetConsoleCP, kernel32, "SetConsoleCP");
  bindProc(bound::ReadConsoleW, kernel32, "ReadConsoleW");
  bindProc(bound::GetLastError, kernel32, "GetLastError");
  bindProc(bound::FormatMessageW, kernel32, "FormatMessageW");
  bindProc(bound::LocalFree, kernel32, "LocalFree");
}

void bindPause() { bindProc(bound::Sleep, loadLibrary("kernel32"), "Sleep"); }

void bindRandomSource() {
  bindProc(bound::BCryptGenRandom, loadLibrary("Bcrypt.dll"), "BCryptGenRandom");
}

}  // namespace tavik
