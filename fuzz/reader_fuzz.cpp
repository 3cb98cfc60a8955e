// Reading any bytes line by line, each line into the one read before: a line ends at a line feed,
// less one CR directly before it, and what follows the last line feed is one more line unless it
// is empty.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "console/input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  if (!stream)
    std::abort();
  tavik::Line line;
  for (std::size_t start = 0; start < size;) {
    const std::size_t end = std::min(input.find('\n', start), size);
    std::string_view expected = input.substr(start, end - start);
    if (end < size && expected.ends_with('\r'))
      expected.remove_suffix(1);
    const bool read = tavik::readLine(stream, line);
    if (!read || tavik::view(line) != expected)
      std::abort();
    start = end + 1;
  }
  const bool read = tavik::readLine(stream, line);
  if (read || line.size != 0)
    std::abort();
  (void)std::fclose(stream);
  return 0;
}
