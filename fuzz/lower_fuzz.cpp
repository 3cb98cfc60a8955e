// Lower-casing any bytes: valid UTF-8 stays valid, a second pass changes nothing, ASCII maps as std::tolower.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/lower.h"

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
static bool isUtf8(const std::string& text) {
  for (std::size_t i = 0, n = 1; i < text.size(); i += n) {
    const auto lead = static_cast<unsigned char>(text[i]);
    n = lead < 0x80 ? 1u : lead < 0xC2 ? 0u : lead < 0xE0 ? 2u : lead < 0xF0 ? 3u : lead < 0xF5 ? 4u : 0u;
    if (n == 0 || n > text.size() - i) return false;
    std::uint32_t c = n == 1 ? lead : lead & (0xFFu >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0u) != 0x80u) return false;
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    if (c < (n == 3 ? 0x800u : n == 4 ? 0x10000u : 0u) || c > 0x10FFFF || c - 0xD800 < 0x800) return false;
  }
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size), lower = tavik::nuctoLowerStr(text);
  if (isUtf8(text) && !isUtf8(lower)) std::abort();
  if (tavik::nuctoLowerStr(lower) != lower) std::abort();
  std::string ascii;
  for (const char byte : text) ascii += static_cast<char>(std::tolower(static_cast<unsigned char>(byte)));
  if (lower != ascii && std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; })) std::abort();
  return 0;
}
