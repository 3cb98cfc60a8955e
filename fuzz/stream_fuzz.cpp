// The stream road of line input over any bytes. The first input byte shapes
// the reads (which form of readLine, how long the line passed in already is,
// which sets the first chunk's size); the rest is the stream's content, read
// from memory (a pipe written from this thread would block once full).
//
// The lines must equal a plain split: at each LF, one CR directly before it
// dropped; a last piece without LF kept unchanged; an empty last piece is the
// end of input, reported once after the last line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/input.h"
#include "fuzz_check.h"
#include "process/failure.h"

namespace {

using tavik::fuzz::require;
using tavik::fuzz::requireEqual;

std::vector<std::string> referenceLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t lineFeed = content.find('\n', start);
    if (lineFeed == std::string::npos) {
      lines.push_back(content.substr(start));
      break;
    }
    std::size_t end = lineFeed;
    if (end > start && content[end - 1] == '\r') --end;
    lines.push_back(content.substr(start, end - start));
    start = lineFeed + 1;
  }
  return lines;
}

// Lengths of the line passed in before a read: around the chunk sizes.
constexpr std::size_t priorLengths[] = {0, 1, 78, 79, 80, 81, 126, 127, 128, 129, 200, 300};

// One read through either form of readLine. Returns false at the end of input.
bool readOne(std::FILE* stream, std::uint32_t& shape, std::string& line) {
  shape = shape * 1103515245u + 12345u;  // a new choice for every read
  const std::uint32_t choice = shape >> 16;
  if (choice % 2 == 0) {
    try {
      line = tavik::readLine(stream);
      return true;
    } catch (const tavik::Exception& e) {
      requireEqual(e.name, "EOFError", "the end of input raises EOFError");
      requireEqual(e.msg, "EOF reached", "EOFError says \"EOF reached\"");
      return false;
    }
  }
  line.assign(priorLengths[(choice / 2) % std::size(priorLengths)], '?');
  const bool read = tavik::readLine(stream, line);
  if (!read) require(line.empty(), "the end of input leaves the line empty");
  return read;
}

}  // namespace

// The reference split itself on known content, once.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::vector<std::string> lines = referenceLines(std::string("a\rb\n\nc\r\nd\r\0", 11));
  require(lines.size() == 4 && lines[0] == "a\rb" && lines[1].empty() && lines[2] == "c" &&
              lines[3] == std::string("d\r\0", 3),
          "reference split");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::uint32_t shape = data[0];
  std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> expected = referenceLines(content);

  std::FILE* stream = fmemopen(content.data(), content.size(), "r");
  require(stream != nullptr, "fmemopen opens the content");
  std::string line;
  for (const std::string& wanted : expected) {
    require(readOne(stream, shape, line), "every line is read before the end of input");
    requireEqual(line, wanted, "the line equals the reference split");
  }
  require(!readOne(stream, shape, line), "the end of input follows the last line");
  std::fclose(stream);
  return 0;
}
