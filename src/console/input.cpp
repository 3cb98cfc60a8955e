#include "console/input.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "console/output.h"
#include "console/wide.h"
#include "process/bound.h"
#include "process/failure.h"
#include "process/os.h"

namespace tavik {

namespace {

// Stream road: the first chunk is the line's current length but at least this,
// every further chunk is `furtherChunk` bytes and starts on the NUL that fgets
// wrote at the end of the one before.
constexpr std::size_t firstChunk = 80;
constexpr std::size_t furtherChunk = 128;

// Console road: units asked for per read; the buffer has one more for a 0 unit.
constexpr std::uint32_t consoleReadUnits = 2048;
constexpr char16_t carriageReturn = u'\r';
constexpr char16_t lineFeedUnit = u'\n';
constexpr char16_t ctrlZ = 0x1A;

// FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM
constexpr std::uint32_t formatMessageFlags = 0x1300;

// Streams closed by `close`. They read as ended for the rest of the process and
// are never touched again: the pointer is only compared.
std::vector<std::FILE*> closedStreams;

bool isClosed(std::FILE* stream) {
  return std::find(closedStreams.begin(), closedStreams.end(), stream) != closedStreams.end();
}

// fgets into `chunk`, which is full of line feeds, repeated while a signal
// interrupts it. An interrupted fgets returns null even when it has stored
// bytes, none of them a line feed and without a NUL after them: the read goes
// on after them, so that the chunk ends as one fgets would have left it.
char* readChunk(std::FILE* stream, char* chunk, std::size_t size) {
  std::size_t stored = 0;
  for (;;) {
    // fgets leaves errno alone at end of input: a stale EINTR must not count.
    errno = 0;
    if (std::fgets(chunk + stored, static_cast<int>(size - stored), stream))
      return chunk;
    if (errno != EINTR)
      break;
    errno = 0;
    std::clearerr(stream);
    stored = static_cast<std::size_t>(static_cast<char*>(std::memchr(chunk, '\n', size)) - chunk);
  }
  if (stored == 0 || std::ferror(stream) != 0)
    return nullptr;
  chunk[stored] = '\0';  // input ended after the stored bytes, which one fgets returns
  return chunk;
}

[[noreturn]] void raiseConsoleError() {
  const std::uint32_t code = bound::GetLastError();
  char16_t* systemText = nullptr;
  std::string text;
  if (bound::FormatMessageW(formatMessageFlags, nullptr, code, 0, &systemText, 0, nullptr) != 0 &&
      systemText) {
    text = wideToUtf8(systemText);
    bound::LocalFree(systemText);
  }
  raiseEIO("error: " + std::to_string(static_cast<std::int32_t>(code)) + " `" + text + "`");
}

bool endsWithCrLf(const std::u16string& units) {
  const std::size_t size = units.size();
  return size >= 2 && units[size - 2] == carriageReturn && units[size - 1] == lineFeedUnit;
}

}  // namespace

Line readLineFromStdin(const std::string& prompt) {
  write(stdout, prompt);
  flushFile(stdout);
  return readLine(stdin);
}

Line readLine(std::FILE* stream) {
  Line line;
  if (!readLine(stream, line))
    raiseEOF();
  return line;
}

bool readLine(std::FILE* stream, Line& line) {
  if (isClosed(stream)) {
    line.size = 0;
    return false;
  }
  return os::isConsole(stream) ? readConsoleLine(stream, line) : readStreamLine(stream, line);
}

bool readStreamLine(std::FILE* stream, Line& line) {
  std::size_t size = std::clamp(line.size, firstChunk, static_cast<std::size_t>(INT_MAX));
  std::size_t position = 0;
  reserve(line, size);
  for (;;) {
    char* chunk = line.bytes + position;
    // fgets does not tell how far it wrote; line feeds mark the bytes it left.
    std::memset(chunk, '\n', size);
    if (!readChunk(stream, chunk, size)) {
      checkErr(stream);
      // Nothing read: at the line's start that is the end of input, further on
      // the line ended exactly at the previous chunk's end.
      line.size = position;
      return position > 0;
    }
    const void* found = std::memchr(chunk, '\n', size);
    if (!found) {
      // Full chunk without a line feed: go on from its terminating NUL.
      position += size - 1;
      size = furtherChunk;
      reserve(line, position + size);
      continue;
    }
    const std::size_t index = static_cast<std::size_t>(static_cast<const char*>(found) - chunk);
    // The line's own line feed is followed by the NUL that fgets wrote. Any
    // other line feed is a fill byte, and the NUL before it ends a last line
    // that had no line feed.
    const bool ownLineFeed = index + 1 < size && chunk[index + 1] == '\0';
    std::size_t end = position + index;
    const bool crBeforeLineFeed = ownLineFeed && end > 0 && line.bytes[end - 1] == '\r';
    if (!ownLineFeed || crBeforeLineFeed)
      --end;
    line.size = end;
    return true;
  }
}

bool readConsoleLine(std::FILE* stream, Line& line) {
  const std::intptr_t handle = os::osHandle(stream);
  constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
  if (handle < lowest || handle > highest)
    raiseRangeErrorI(handle, lowest, highest);

  // A read that fills the whole buffer without ending the line leaves the rest
  // of the line (perhaps half a surrogate pair, or the LF of its CR LF) in the
  // console: it is read again and joined. A read without units (an interrupt)
  // is read again too. Any other read ends the line, also one that does not
  // end in CR LF, as a console whose line input is off returns them.
  std::u16string units;
  std::vector<char16_t> buffer(consoleReadUnits + 1);
  for (;;) {
    std::int32_t count = 0;
    // The console functions take the system handle as a pointer.
    void* const console = reinterpret_cast<void*>(handle);  // NOLINT(performance-no-int-to-ptr)
    if (bound::ReadConsoleW(console, buffer.data(), consoleReadUnits, &count, nullptr) == 0) {
      raiseConsoleError();
    }
    const auto unitsRead =
        static_cast<std::size_t>(std::clamp(count, 0, static_cast<std::int32_t>(consoleReadUnits)));
    units.append(buffer.data(), unitsRead);
    if (unitsRead != 0 && (unitsRead < consoleReadUnits || endsWithCrLf(units)))
      break;
  }
  if (endsWithCrLf(units))
    units.resize(units.size() - 2);

  const std::size_t ctrlZAt = units.find(ctrlZ);
  if (ctrlZAt != std::u16string::npos) {
    close(stream);
    if (ctrlZAt == 0) {
      line.size = 0;
      return false;
    }
    units.resize(ctrlZAt);
  }
  line.size = 0;
  append(line, wideToUtf8(units.c_str()));
  return true;
}

void close(std::FILE* stream) {
  if (!stream || isClosed(stream))
    return;
  closedStreams.push_back(stream);
  // The stream reads as ended whether or not the system could close it.
  (void)std::fclose(stream);
}

void checkErr(std::FILE* stream) {
  if (std::ferror(stream) == 0)
    return;
  const int code = errno;
  std::string message = "errno: " + std::to_string(code) + " `" + std::strerror(code) + "`";
  std::clearerr(stream);
  raiseEIO(std::move(message));
}

}  // namespace tavik
