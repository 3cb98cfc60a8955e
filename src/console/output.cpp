#include "console/output.h"

#include <cstring>

#include "process/failure.h"

namespace tavik {

namespace {

constexpr char lineFeed = '\n';

// Each run of bytes up to a NUL goes out with one fwrite, each NUL byte with
// fputc. (fwrite rather than fprintf "%s", which stops at the same place, keeps
// the formatted-print machinery of the C library out of the game's pages.)
// False when a write failed; the rest of the text is then skipped.
bool writeBytes(std::FILE* stream, const std::string& text) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (text[position] == '\0') {
      if (std::fputc('\0', stream) != 0)
        return false;
      ++position;
    } else {
      const char* run = text.c_str() + position;
      const std::size_t length = std::strlen(run);
      if (std::fwrite(run, 1, length, stream) != length)
        return false;
      position += length;
    }
  }
  return true;
}

}  // namespace

void writeWindows(std::FILE* stream, const std::string& text, bool raise) {
  const bool written = writeBytes(stream, text);
  // A buffered write succeeds even after the stream's last flush failed; the
  // error flag still tells.
  if (raise && (!written || std::ferror(stream) != 0))
    raiseEIO("cannot write string to file");
}

void write(std::FILE* stream, const std::string& text) { writeWindows(stream, text, true); }

void echoBinSafe(std::initializer_list<std::string> texts) {
  for (const std::string& text : texts)
    writeWindows(stdout, text, false);
  // A message line that cannot be written is lost; the next prompt reports it.
  (void)std::fwrite(&lineFeed, 1, 1, stdout);
  (void)std::fflush(stdout);
}

void flushFile(std::FILE* stream) { (void)std::fflush(stream); }

}  // namespace tavik
