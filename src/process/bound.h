// The system functions bound by name at start-up: one slot each, and the
// procedures of the start-up order that fill them.
//
// The types are those of the Windows functions on x64 (BOOL and NTSTATUS are
// 32-bit, DWORD and ULONG unsigned 32-bit, WCHAR a UTF-16 unit). On POSIX the
// same names resolve to the program's own implementations or stand-ins
// (os-posix.cpp). A slot is null until bound; unit tests may point it elsewhere.
#pragma once

#include <cstdint>

namespace tavik {

namespace bound {

// From "kernel32", bound by bindConsoleFunctions in this order.
extern int (*SetConsoleOutputCP)(std::uint32_t codePage);
extern int (*SetConsoleCP)(std::uint32_t codePage);
extern int (*ReadConsoleW)(void* console, char16_t* buffer, std::uint32_t unitsToRead,
                           std::int32_t* unitsRead, void* inputControl);
extern std::uint32_t (*GetLastError)();
// Called with FORMAT_MESSAGE_ALLOCATE_BUFFER: `buffer` receives a system allocation.
extern std::uint32_t (*FormatMessageW)(std::uint32_t flags, const void* source,
                                       std::uint32_t messageId, std::uint32_t languageId,
                                       char16_t** buffer, std::uint32_t size, void* arguments);
extern void* (*LocalFree)(void* memory);

// From "kernel32", bound by bindPause.
extern void (*Sleep)(std::uint32_t milliseconds);

// From "Bcrypt.dll", bound by bindRandomSource. Status 0 is success.
extern std::int32_t (*BCryptGenRandom)(void* algorithm, unsigned char* buffer, std::uint32_t length,
                                       std::uint32_t flags);

}  // namespace bound

// Each loads its library by name and looks its functions up in order; a
// missing library or function ends the process with its message (binding.h).
void bindConsoleFunctions();  // the six console functions from "kernel32"
void bindPause();             // Sleep from "kernel32"
void bindRandomSource();      // BCryptGenRandom from "Bcrypt.dll"

}  // namespace tavik
