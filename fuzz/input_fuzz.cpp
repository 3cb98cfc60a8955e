// Any bytes read line by line, each into the line before: std::getline's lines, less one CR before
// each line feed. Each line lower-cased: a second pass changes nothing, and ASCII maps as
// std::tolower does.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "console/input.h"
#include "console/lower.h"

static void checkLowerCasing(const std::string& line) {
  const std::string lower(view(tavik::nuctoLowerStr(tavik::lineOf(line))));
  if (view(tavik::nuctoLowerStr(tavik::lineOf(lower))) != lower)
    std::abort();
  std::string ascii;  // the line as std::tolower maps it, when it is ASCII
  for (const char byte : line) {
    if ((byte & 0x80) != 0)
      return;
    ascii += static_cast<char>(std::tolower(byte));
  }
  if (lower != ascii)
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  tavik::Line line;
  for (std::string expected; std::getline(lines, expected);) {
    if (!lines.eof() && expected.ends_with('\r'))
      expected.pop_back();  // the line's own line feed followed it
    const bool read = tavik::readLine(stream, line);
    if (!read || tavik::view(line) != expected)
      std::abort();
    checkLowerCasing(expected);
  }
  const bool read = tavik::readLine(stream, line);
  if (read || line.size != 0)
    std::abort();
  (void)std::fclose(stream);
  return 0;
}
