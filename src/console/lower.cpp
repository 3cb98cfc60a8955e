#include "console/lower.h"

#include <cstddef>
#include <iterator>

namespace tavik {

namespace {

constexpr std::int64_t deltaBias = 500;  // added to every delta in the tables
constexpr std::int64_t rangeStride = 3;
constexpr std::int64_t singletStride = 2;
constexpr std::int32_t replacementChar = 0xFFFD;

// The lenient decoding of the code point at text[i] (i < text.size()); sets
// `advance` to the bytes it took. Continuation bytes are not tested: a lead
// byte takes the low six bits of whatever follows it.
std::int32_t decodeAt(const std::string& text, std::size_t i, std::size_t& advance) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 1;
  std::uint32_t value = lead;
  if (lead >= 0xC0 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    length = 4;
    value = lead & 0x07u;
  } else if (lead >= 0xF8 && lead <= 0xFB) {
    length = 5;
    value = lead & 0x03u;
  } else if (lead >= 0xFC && lead <= 0xFD) {
    length = 6;
    value = lead & 0x01u;
  }
  // ASCII, stray continuation bytes and 0xFE, 0xFF stand for themselves.
  if (length == 1) {
    advance = 1;
    return static_cast<std::int32_t>(value);
  }
  if (length > text.size() - i) {
    advance = 1;
    return replacementChar;
  }
  for (std::size_t k = 1; k < length; ++k) {
    value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
  }
  advance = length;
  return static_cast<std::int32_t>(value);  // at most 0x7FFFFFFF
}

// Appends c (0 .. 0x7FFFFFFF) in UTF-8, extended to six bytes past U+10FFFF.
void appendUtf8(std::string& out, std::int32_t c) {
  const auto v = static_cast<std::uint32_t>(c);
  std::size_t continuations = 0;
  std::uint32_t leadMark = 0;
  if (v < 0x80) {
    out.push_back(static_cast<char>(v));
    return;
  } else if (v < 0x800) {
    continuations = 1;
    leadMark = 0xC0;
  } else if (v < 0x10000) {
    continuations = 2;
    leadMark = 0xE0;
  } else if (v < 0x200000) {
    continuations = 3;
    leadMark = 0xF0;
  } else if (v < 0x4000000) {
    continuations = 4;
    leadMark = 0xF8;
  } else {
    continuations = 5;
    leadMark = 0xFC;
  }
  out.push_back(static_cast<char>(leadMark | (v >> (6 * continuations))));
  for (std::size_t k = continuations; k-- > 0;) {
    out.push_back(static_cast<char>(0x80u | ((v >> (6 * k)) & 0x3Fu)));
  }
}

}  // namespace

std::int64_t binarySearch(std::int32_t c, const std::int64_t* table, std::int64_t records,
                          std::int64_t stride) {
  // A table of no records (or a nonsensical shape) is never read.
  if (records <= 0 || stride <= 0) return -1;
  std::int64_t n = records;
  std::int64_t t = 0;
  while (n > 1) {
    const std::int64_t m = n / 2;
    const std::int64_t p = t + m * stride;
    if (c >= table[p]) {
      t = p;
      n -= m;
    } else {
      n = m;
    }
  }
  return c >= table[t] ? t : -1;
}

std::int32_t nuctoLower(std::int32_t c) {
  constexpr auto rangeRecords = static_cast<std::int64_t>(std::size(toLowerRanges)) / rangeStride;
  constexpr auto singletRecords =
      static_cast<std::int64_t>(std::size(toLowerSinglets)) / singletStride;

  std::int64_t p = binarySearch(c, toLowerRanges, rangeRecords, rangeStride);
  if (p >= 0 && c <= toLowerRanges[p + 1]) {
    return static_cast<std::int32_t>(c + toLowerRanges[p + 2] - deltaBias);
  }
  p = binarySearch(c, toLowerSinglets, singletRecords, singletStride);
  if (p >= 0 && c == toLowerSinglets[p]) {
    return static_cast<std::int32_t>(c + toLowerSinglets[p + 1] - deltaBias);
  }
  return c;
}

std::string nuctoLowerStr(const std::string& text) {
  std::string result;
  result.reserve(text.size());  // grows (amortised) when a mapping needs more bytes
  std::size_t i = 0;
  while (i < text.size()) {
    const char byte = text[i];
    if (static_cast<unsigned char>(byte) < 0x80) {
      // ASCII maps by itself: only A to Z change, with no table search.
      result.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte);
      ++i;
      continue;
    }
    std::size_t advance = 1;
    const std::int32_t c = decodeAt(text, i, advance);
    appendUtf8(result, nuctoLower(c));
    i += advance;
  }
  return result;
}

}  // namespace tavik
