#include "console/output.h"

#include "process/failure.h"

namespace tavik {

namespace {

constexpr char lineFeed = '\n';

// fprintf with "%s" stops at the first NUL, so NUL bytes go out one at a time
// with fputc. False when a write failed; the rest of the text is then skipped.
bool writeBytes(std::FILE* stream, const std::string& text) {
  int written = std::fprintf(stream, "%s", text.c_str());
  if (written < 0) return false;
  std::size_t position = static_cast<std::size_t>(written);
  while (position < text.size()) {
    if (text[position] == '\0') {
      if (std::fputc('\0', stream) != 0) return false;
      ++position;
    } else {
      written = std::fprintf(stream, "%s", text.c_str() + position);
      if (written <= 0) return false;
      position += static_cast<std::size_t>(written);
    }
  }
  return true;
}

}  // namespace

void writeWindows(std::FILE* stream, const std::string& text, bool raise) {
  const bool written = writeBytes(stream, text);
  // A buffered write succeeds even after the stream's last flush failed; the
  // error flag still tells.
  if (raise && (!written || std::ferror(stream) != 0)) raiseEIO("cannot write string to file");
}

void write(std::FILE* stream, const std::string& text) { writeWindows(stream, text, true); }

void echoBinSafe(std::initializer_list<std::string> texts) {
  for (const std::string& text : texts) writeWindows(stdout, text, false);
  std::fwrite(&lineFeed, 1, 1, stdout);
  std::fflush(stdout);
}

void flushFile(std::FILE* stream) { std::fflush(stream); }

}  // namespace tavik
