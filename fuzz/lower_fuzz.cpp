// Lower-casing any bytes: a second pass changes nothing, and ASCII maps as std::tolower does.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "console/lower.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size),
      lower = tavik::nuctoLowerStr(text);
  if (tavik::nuctoLowerStr(lower) != lower)
    std::abort();
  std::string ascii;
  for (const char byte : text)
    ascii += static_cast<char>(std::tolower(static_cast<unsigned char>(byte)));
  if (lower != ascii && std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; }))
    std::abort();
  return 0;
}
