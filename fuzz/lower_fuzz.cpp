// Lower-casing any bytes: a second pass changes nothing, and ASCII maps as std::tolower does.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "console/lower.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string lower(view(tavik::nuctoLowerStr(tavik::lineOf(text))));
  if (view(tavik::nuctoLowerStr(tavik::lineOf(lower))) != lower)
    std::abort();
  if (std::any_of(data, data + size, [](std::uint8_t byte) { return byte >= 0x80; }))
    return 0;
  std::string ascii = text;
  for (char& byte : ascii)
    byte = static_cast<char>(std::tolower(byte));
  if (lower != ascii)
    std::abort();
  return 0;
}
