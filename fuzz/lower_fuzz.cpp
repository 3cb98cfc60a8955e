// Lower-casing any bytes: a second pass changes nothing, and text of ASCII
// alone maps as std::tolower does.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "console/lower.h"

namespace {

bool isAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string asciiLower(const std::string& text) {
  std::string lower;
  for (const char byte : text)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(byte)));
  return lower;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string lower = tavik::nuctoLowerStr(text);
  if (tavik::nuctoLowerStr(lower) != lower)
    std::abort();
  if (isAscii(text) && lower != asciiLower(text))
    std::abort();
  return 0;
}
