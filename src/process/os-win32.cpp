#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "process/os.h"

namespace tavik::os {

Library loadLibrary(const char* name) { return LoadLibraryA(name); }

Address findSymbol(Library library, const char* name) {
  HMODULE module = static_cast<HMODULE>(const_cast<void*>(library));
  return reinterpret_cast<Address>(GetProcAddress(module, name));
}

unsigned long lastError() { return GetLastError(); }

void setBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

// _isatty is true for every character device: a stream on the null device
// takes the console road too, where the console read fails.
bool isConsole(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::intptr_t osHandle(std::FILE* stream) { return _get_osfhandle(_fileno(stream)); }

// The runtime's heap; huge pages would need a privilege a player's account lacks.
void* resizeBlock(void* block, std::size_t, std::size_t newSize) {
  return std::realloc(block, newSize);
}

void freeBlock(void* block, std::size_t) { std::free(block); }

// Windows has no signal for it: the write fails by itself.
void ignoreBrokenPipe() {}

// The runtime runs the interrupt handler on a thread of its own, while the
// main thread may hold a stream's lock: only the descriptor is written.
void writeAndExit(const char* text, std::size_t length, int code) {
  while (length > 0) {
    const int written = _write(_fileno(stderr), text, static_cast<unsigned>(length));
    if (written <= 0)
      break;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
  _exit(code);
}

}  // namespace tavik::os
