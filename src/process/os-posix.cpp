#include <sys/mman.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "process/os-posix.h"
#include "process/os.h"

namespace tavik::os {

namespace {

// The pause: nanosleep, resumed with the time left when a signal that the
// program does not handle interrupts it.
void sleepMilliseconds(std::uint32_t milliseconds) {
  timespec left{static_cast<std::time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

constexpr std::int32_t statusUnsuccessful = static_cast<std::int32_t>(0xC0000001u);

// The system random source: one getrandom call for the whole buffer, which
// succeeds only when it filled the buffer.
std::int32_t generateRandom(void*, unsigned char* buffer, std::uint32_t length, std::uint32_t) {
  const ssize_t filled = getrandom(buffer, length, 0);
  return filled == static_cast<ssize_t>(length) ? 0 : statusUnsuccessful;
}

// There is no Windows console here: the console functions fail as they do on
// Windows without one. os::isConsole is false, so nothing reads through them.
constexpr std::uint32_t errorInvalidHandle = 6;
int noConsoleCodePage(std::uint32_t) { return 0; }
int noConsoleRead(void*, char16_t*, std::uint32_t, std::int32_t* unitsRead, void*) {
  if (unitsRead)
    *unitsRead = 0;
  return 0;
}
std::uint32_t noConsoleError() { return errorInvalidHandle; }
std::uint32_t noMessageText(std::uint32_t, const void*, std::uint32_t, std::uint32_t, char16_t**,
                            std::uint32_t, void*) {
  return 0;
}
void* freeNothing(void* memory) { return memory; }

template <class Function>
Address address(Function* function) {
  return reinterpret_cast<Address>(function);
}

const PosixSymbol kernel32Symbols[] = {
    {"SetConsoleOutputCP", address(noConsoleCodePage)},
    {"SetConsoleCP", address(noConsoleCodePage)},
    {"ReadConsoleW", address(noConsoleRead)},
    {"GetLastError", address(noConsoleError)},
    {"FormatMessageW", address(noMessageText)},
    {"LocalFree", address(freeNothing)},
    {"Sleep", address(sleepMilliseconds)},
};
const PosixSymbol bcryptSymbols[] = {
    {"BCryptGenRandom", address(generateRandom)},
};
const PosixLibrary libraries[] = {
    {"kernel32", kernel32Symbols},
    {"Bcrypt.dll", bcryptSymbols},
};

}  // namespace

Library loadLibrary(const char* name) {
  for (const PosixLibrary& library : libraries) {
    if (std::strcmp(library.name, name) == 0)
      return &library;
  }
  return nullptr;
}

Address findSymbol(Library library, const char* name) {
  for (const PosixSymbol& symbol : static_cast<const PosixLibrary*>(library)->symbols) {
    if (std::strcmp(symbol.name, name) == 0)
      return symbol.address;
  }
  return nullptr;
}

// Nothing here fails for a library of the wrong architecture.
unsigned long lastError() { return 0; }

void setBinaryMode(std::FILE*) {}

bool isConsole(std::FILE*) { return false; }

std::intptr_t osHandle(std::FILE* stream) { return fileno(stream); }

// A line's block is taken from the C library's heap while it is small, which
// costs a short line no system call. From 2 MiB on it is a mapping of its own:
// mremap grows it by moving its page table entries, never its bytes, and huge
// pages cut its page faults from one per 4 KiB to one per 2 MiB, at the price
// of the last one being filled in whole however little of it the line takes.
// The advice stays with the mapping as it grows; where the system takes none
// (huge pages set to "never"), nothing changes.
constexpr std::size_t mappedFrom = std::size_t{2} << 20;

void* resizeBlock(void* block, std::size_t size, std::size_t newSize) {
  if (newSize < mappedFrom)
    return std::realloc(block, newSize);
  void* resized = MAP_FAILED;
  if (size >= mappedFrom) {
    resized = mremap(block, size, newSize, MREMAP_MAYMOVE);
  } else {
    resized = mmap(nullptr, newSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (resized != MAP_FAILED && block) {
      std::memcpy(resized, block, size);
      std::free(block);
    }
  }
  if (resized == MAP_FAILED)
    return nullptr;
  (void)madvise(resized, newSize, MADV_HUGEPAGE);
  return resized;
}

void freeBlock(void* block, std::size_t size) {
  if (size >= mappedFrom)
    (void)munmap(block, size);
  else
    std::free(block);
}

void ignoreBrokenPipe() { (void)std::signal(SIGPIPE, SIG_IGN); }

void writeAndExit(const char* text, std::size_t length, int code) {
  while (length > 0) {
    const ssize_t written = ::write(STDERR_FILENO, text, length);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      break;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
  _exit(code);
}

}  // namespace tavik::os
