#include "process/bound.h"

namespace tavik::bound {

int (*SetConsoleOutputCP)(std::uint32_t) = nullptr;
int (*SetConsoleCP)(std::uint32_t) = nullptr;
int (*ReadConsoleW)(void*, char16_t*, std::uint32_t, std::int32_t*, void*) = nullptr;
std::uint32_t (*GetLastError)() = nullptr;
std::uint32_t (*FormatMessageW)(std::uint32_t, const void*, std::uint32_t, std::uint32_t,
                                char16_t**, std::uint32_t, void*) = nullptr;
void* (*LocalFree)(void*) = nullptr;
void (*Sleep)(std::uint32_t) = nullptr;
std::int32_t (*BCryptGenRandom)(void*, unsigned char*, std::uint32_t, std::uint32_t) = nullptr;

}  // namespace tavik::bound
