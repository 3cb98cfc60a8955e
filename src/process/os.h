// What differs between Windows and POSIX, behind one small interface.
// os-win32.cpp and os-posix.cpp implement it; nothing else names a platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tavik {

// A loaded library and the address of one of its functions.
using Library = const void*;
using Address = void*;

}  // namespace tavik

namespace tavik::os {

// The system's library loader: null when the library or function is absent.
Library loadLibrary(const char* name);
Address findSymbol(Library library, const char* name);
// The loader's last error code (Windows: GetLastError).
unsigned long lastError();

// No newline translation on the stream from now on.
void setBinaryMode(std::FILE* stream);
// True when the stream is an interactive console that is read through the
// console road (ReadConsoleW). POSIX terminals are read as plain streams.
bool isConsole(std::FILE* stream);
// The system handle behind a stream, as the console functions take it.
std::intptr_t osHandle(std::FILE* stream);

// Memory for a line that may grow to any length. resizeBlock gives a block of
// `newSize` bytes (a multiple of blockUnit) holding the first `size` bytes of
// `block` (null, size 0: a new block); null, with the block unchanged, when there
// is no memory. Where the system can, a block grows by moving its pages rather
// than copying its bytes, and asks for huge pages: a line of many megabytes then
// costs few page faults, and is never held twice.
constexpr std::size_t blockUnit = std::size_t{64} << 10;
void* resizeBlock(void* block, std::size_t size, std::size_t newSize);
void freeBlock(void* block, std::size_t size);

// Makes a write to a pipe without reader fail with an error instead of
// ending the process.
void ignoreBrokenPipe();

// Writes the bytes to standard error and ends the process with `code` at once,
// without flushing streams or running exit handlers: safe inside a signal handler.
[[noreturn]] void writeAndExit(const char* text, std::size_t length, int code);

}  // namespace tavik::os
