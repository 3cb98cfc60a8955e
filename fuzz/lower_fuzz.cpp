// Lower-casing of any bytes, compared with a plain reference: decode, look the
// code point up in a map made once from the two tables, encode. Valid UTF-8 in
// must give valid UTF-8 out.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "console/lower.h"
#include "fuzz_check.h"

namespace {

using tavik::fuzz::require;
using tavik::fuzz::requireEqual;

// Code points with a lower-case form under the simple mapping of Unicode 12.1
// (letters of category Lu and Lt).
constexpr std::size_t mappedCodePoints = 1348;

// Every mapped code point and its lower-case form. Ranges are entered first, so
// they win over a singlet for the same code point.
std::unordered_map<std::int32_t, std::int32_t> buildLowerMap() {
  std::unordered_map<std::int32_t, std::int32_t> map;
  for (std::size_t r = 0; r < std::size(tavik::toLowerRanges); r += 3) {
    const std::int64_t delta = tavik::toLowerRanges[r + 2] - 500;
    for (std::int64_t c = tavik::toLowerRanges[r]; c <= tavik::toLowerRanges[r + 1]; ++c) {
      map.emplace(static_cast<std::int32_t>(c), static_cast<std::int32_t>(c + delta));
    }
  }
  for (std::size_t r = 0; r < std::size(tavik::toLowerSinglets); r += 2) {
    const std::int64_t c = tavik::toLowerSinglets[r];
    map.emplace(static_cast<std::int32_t>(c),
                static_cast<std::int32_t>(c + tavik::toLowerSinglets[r + 1] - 500));
  }
  require(map.size() == mappedCodePoints, "the tables map 1348 code points");
  return map;
}

const std::unordered_map<std::int32_t, std::int32_t>& lowerMap() {
  static const auto map = buildLowerMap();
  return map;
}

std::int32_t lowerOf(std::int32_t c) {
  const auto found = lowerMap().find(c);
  return found == lowerMap().end() ? c : found->second;
}

// Lead bytes of multi-byte sequences: the bytes they span, the total length and
// the bits of the lead byte that belong to the code point.
struct LeadByte {
  unsigned char first;
  unsigned char last;
  std::size_t length;
  unsigned char payload;
};
constexpr LeadByte leadBytes[] = {
    {0xC0, 0xDF, 2, 0x1F}, {0xE0, 0xEF, 3, 0x0F}, {0xF0, 0xF7, 4, 0x07},
    {0xF8, 0xFB, 5, 0x03}, {0xFC, 0xFD, 6, 0x01},
};

// Encodes c (0 .. 0x7FFFFFFF) in the form of up to six bytes.
std::string encode(std::int32_t c) {
  auto value = static_cast<std::uint32_t>(c);
  if (value < 0x80) return std::string(1, static_cast<char>(value));
  constexpr std::uint32_t limits[] = {0x800, 0x10000, 0x200000, 0x4000000, 0x80000000};
  constexpr unsigned char marks[] = {0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
  std::size_t continuations = 1;
  while (value >= limits[continuations - 1]) ++continuations;
  std::string bytes(continuations + 1, '\0');
  for (std::size_t k = continuations; k > 0; --k) {
    bytes[k] = static_cast<char>(0x80 | (value & 0x3F));
    value >>= 6;
  }
  bytes[0] = static_cast<char>(marks[continuations - 1] | value);
  return bytes;
}

// The code points of a text, decoded leniently: a byte that starts no sequence
// stands for itself, a sequence cut short by the end is U+FFFD for its lead
// byte alone, and the bytes after a lead byte give their low six bits whatever
// they are.
std::vector<std::int32_t> decode(const std::string& text) {
  std::vector<std::int32_t> codePoints;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const LeadByte* sequence = nullptr;
    for (const LeadByte& candidate : leadBytes) {
      if (lead >= candidate.first && lead <= candidate.last) sequence = &candidate;
    }
    std::int32_t c = lead;
    std::size_t advance = 1;
    if (sequence && text.size() - i < sequence->length) {
      c = 0xFFFD;
    } else if (sequence) {
      std::uint32_t value = lead & sequence->payload;
      for (std::size_t k = 1; k < sequence->length; ++k) {
        value = value * 64 + (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
      c = static_cast<std::int32_t>(value);
      advance = sequence->length;
    }
    codePoints.push_back(c);
    i += advance;
  }
  return codePoints;
}

std::string referenceLower(const std::string& text) {
  std::string out;
  for (const std::int32_t c : decode(text)) out += encode(lowerOf(c));
  return out;
}

// The text's code points that are Unicode scalar values, encoded: valid UTF-8
// made from any input.
std::string validPart(const std::string& text) {
  std::string out;
  for (const std::int32_t c : decode(text)) {
    if (c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) out += encode(c);
  }
  return out;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(const std::string& text) {
  std::size_t i = 0;
  auto byteAt = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  auto within = [&](std::size_t at, unsigned char low, unsigned char high) {
    return at < text.size() && byteAt(at) >= low && byteAt(at) <= high;
  };
  while (i < text.size()) {
    const unsigned char b = byteAt(i);
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (b <= 0x7F) {
      length = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) secondLow = 0xA0;
      if (b == 0xED) secondHigh = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) secondLow = 0x90;
      if (b == 0xF4) secondHigh = 0x8F;
    } else {
      return false;
    }
    if (length > 1 && !within(i + 1, secondLow, secondHigh)) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (!within(i + k, 0x80, 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

// The reference itself on known lower-casings, once.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  requireEqual(referenceLower("SC\xC4\xB0SSORS ROC\xE2\x84\xAA"), "scissors rock", "reference");
  requireEqual(referenceLower("\xCE\xA3\xE1\xBA\x9E\xC1\x92\xC3"), "\xCF\x83\xC3\x9Fr\xEF\xBF\xBD",
               "reference");
  require(isValidUtf8("a\xC3\xA9\xF4\x8F\xBF\xBF") && !isValidUtf8("\xED\xA0\x80") &&
              !isValidUtf8("\xC0\x80") && !isValidUtf8("\xF4\x90\x80\x80") &&
              !isValidUtf8("\xE2\x82"),
          "reference validity");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  requireEqual(tavik::nuctoLowerStr(text), referenceLower(text),
               "nuctoLowerStr equals the reference lower-casing");
  // Random bytes are seldom valid UTF-8: the valid part of the input is checked too.
  for (const std::string& valid : {text, validPart(text)}) {
    if (!isValidUtf8(valid)) continue;
    const std::string lowered = tavik::nuctoLowerStr(valid);
    require(isValidUtf8(lowered), "valid UTF-8 lower-cases to valid UTF-8");
    requireEqual(lowered, referenceLower(valid), "nuctoLowerStr equals the reference lower-casing");
  }

  // The first four bytes as a code point of its own, beyond what short inputs decode to.
  if (size >= 4) {
    std::uint32_t raw = 0;
    std::memcpy(&raw, data, sizeof raw);
    const auto c = static_cast<std::int32_t>(raw & 0x7FFFFFFF);
    require(tavik::nuctoLower(c) == lowerOf(c), "nuctoLower equals the map of the tables");
  }
  return 0;
}
