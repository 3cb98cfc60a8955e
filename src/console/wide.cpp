#include "console/wide.h"

namespace tavik {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string& text, char32_t codePoint) {
  auto byte = [&text](char32_t value) {
    text += static_cast<char>(static_cast<unsigned char>(value));
  };
  if (codePoint < 0x80) {
    byte(codePoint);
  } else if (codePoint < 0x800) {
    byte(0xC0 | (codePoint >> 6));
    byte(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    byte(0xE0 | (codePoint >> 12));
    byte(0x80 | ((codePoint >> 6) & 0x3F));
    byte(0x80 | (codePoint & 0x3F));
  } else {
    byte(0xF0 | (codePoint >> 18));
    byte(0x80 | ((codePoint >> 12) & 0x3F));
    byte(0x80 | ((codePoint >> 6) & 0x3F));
    byte(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string wideToUtf8(const char16_t* units) {
  std::string text;
  for (const char16_t* unit = units; *unit != 0; ++unit) {
    if (isHighSurrogate(*unit) && isLowSurrogate(unit[1])) {
      appendUtf8(text, ((char32_t{unit[0]} & 0x3FF) << 10) + (char32_t{unit[1]} & 0x3FF) + 0x10000);
      ++unit;
    } else if (isHighSurrogate(*unit) || isLowSurrogate(*unit)) {
      appendUtf8(text, replacementCharacter);
    } else {
      appendUtf8(text, *unit);
    }
  }
  return text;
}

}  // namespace tavik
