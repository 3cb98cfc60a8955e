#include "console/lower.h"

#include <cstddef>
#include <cstring>
#include <iterator>

namespace tavik {

namespace {

constexpr std::int64_t deltaBias = 500;  // added to every delta in the tables
constexpr std::int64_t rangeStride = 3;
constexpr std::int64_t singletStride = 2;
constexpr std::int32_t replacementChar = 0xFFFD;

// The lenient decoding of the code point at bytes[i] (i < size); sets
// `advance` to the bytes it took. Continuation bytes are not tested: a lead
// byte takes the low six bits of whatever follows it.
std::int32_t decodeAt(const char* bytes, std::size_t size, std::size_t i, std::size_t& advance) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
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
  if (length > size - i) {
    advance = 1;
    return replacementChar;
  }
  for (std::size_t k = 1; k < length; ++k) {
    value = (value << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3Fu);
  }
  advance = length;
  return static_cast<std::int32_t>(value);  // at most 0x7FFFFFFF
}

// Writes c (0 .. 0x7FFFFFFF) in UTF-8, extended to six bytes past U+10FFFF;
// returns the number of bytes.
std::size_t encodeUtf8(std::int32_t c, char (&out)[6]) {
  const auto v = static_cast<std::uint32_t>(c);
  if (v < 0x80) {
    out[0] = static_cast<char>(v);
    return 1;
  }
  std::size_t continuations = 0;
  std::uint32_t leadMark = 0;
  if (v < 0x800) {
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
  out[0] = static_cast<char>(leadMark | (v >> (6 * continuations)));
  for (std::size_t k = 1; k <= continuations; ++k) {
    out[k] = static_cast<char>(0x80u | ((v >> (6 * (continuations - k))) & 0x3Fu));
  }
  return continuations + 1;
}

char lowerAscii(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte;
}

constexpr std::uint64_t everyByte(unsigned value) { return 0x0101010101010101u * value; }

// Lower-cases the `count` eight-byte words at `from` into `to` (which may lie
// before it) when all of their bytes are ASCII; false, writing nothing, otherwise.
template <std::size_t count>
bool lowerAsciiWords(const char* from, char* to) {
  std::uint64_t words[count];
  std::memcpy(words, from, sizeof words);
  std::uint64_t any = 0;
  for (const std::uint64_t word : words)
    any |= word;
  if ((any & everyByte(0x80)) != 0)
    return false;
  for (std::uint64_t& word : words) {
    // No byte is above 0x7F, so no sum carries into the next byte, and the top
    // bit of each byte's sum tells whether it is at least 'A' or above 'Z'.
    const std::uint64_t atLeastA = word + everyByte(0x80 - 'A');
    const std::uint64_t aboveZ = word + everyByte(0x80 - 'Z' - 1);
    const std::uint64_t capitals = atLeastA & ~aboveZ & everyByte(0x80);
    word |= capitals >> 2;  // 0x80 >> 2 is the 0x20 between 'A' and 'a'
  }
  std::memcpy(to, words, sizeof words);
  return true;
}

// Lower-cases the two-byte letters from bytes[read] into bytes[write] (which
// may lie before it) while their lower case is two bytes long too; returns
// how many there were.
std::size_t lowerTwoByteRun(char* bytes, std::size_t size, std::size_t read, std::size_t write) {
  std::size_t letters = 0;
  for (; size - read >= 2; read += 2) {
    const unsigned leadRow = static_cast<unsigned char>(bytes[read]) - 0xC0u;
    if (leadRow >= 32)
      break;
    const std::uint16_t lower =
        toLowerTwoBytes[leadRow << 8 | static_cast<unsigned char>(bytes[read + 1])];
    if (lower == 0)
      break;
    bytes[write++] = static_cast<char>(lower >> 8);
    bytes[write++] = static_cast<char>(lower & 0xFF);
    ++letters;
  }
  return letters;
}

// Appends the lower-cased form of bytes[from .. size) to `out`.
void appendLower(const char* bytes, std::size_t size, std::size_t from, Line& out) {
  std::size_t i = from;
  while (i < size) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      const char lower = lowerAscii(bytes[i]);
      append(out, {&lower, 1});
      ++i;
      continue;
    }
    std::size_t advance = 1;
    char encoded[6];
    const std::size_t length = encodeUtf8(nuctoLower(decodeAt(bytes, size, i, advance)), encoded);
    append(out, {encoded, length});
    i += advance;
  }
}

}  // namespace

std::int64_t binarySearch(std::int32_t c, const std::int64_t* table, std::int64_t records,
                          std::int64_t stride) {
  // A table of no records (or a nonsensical shape) is never read.
  if (records <= 0 || stride <= 0)
    return -1;
  std::int64_t n = records;
  std::int64_t t = 0;
  while (n > 1) {
    const std::int64_t m = n / 2;
    const std::int64_t p = t + m * stride;
    // Without a branch: going left keeps n - m records rather than m, one more
    // than needed, whose key is above c and so never the one found.
    t = c >= table[p] ? p : t;
    n -= m;
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

Line nuctoLowerStr(Line text) {
  char* const bytes = text.bytes;
  const std::size_t size = text.size;
  std::size_t read = 0;
  std::size_t write = 0;  // never past `read`
  while (read < size) {
    const auto lead = static_cast<unsigned char>(bytes[read]);
    if (lead < 0x80) {
      // ASCII maps by itself, 64 or 8 bytes at a time where it can.
      std::size_t ascii = 1;
      if (size - read >= 64 && lowerAsciiWords<8>(bytes + read, bytes + write)) {
        ascii = 64;
      } else if (size - read >= 8 && lowerAsciiWords<1>(bytes + read, bytes + write)) {
        ascii = 8;
      } else {
        bytes[write] = lowerAscii(bytes[read]);
      }
      read += ascii;
      write += ascii;
      continue;
    }
    // Two-byte letters whose lower case is two bytes too, the common case of the
    // alphabets after Latin, are looked up by their two bytes and written in place.
    if (const std::size_t letters = lowerTwoByteRun(bytes, size, read, write); letters > 0) {
      read += 2 * letters;
      write += 2 * letters;
      continue;
    }
    std::size_t advance = 1;
    char encoded[6];
    const std::size_t length =
        encodeUtf8(nuctoLower(decodeAt(bytes, size, read, advance)), encoded);
    if (write + length > read + advance) {
      // Longer than what it came from: it would overwrite bytes not yet read,
      // so the rest goes to a new line.
      Line result;
      reserve(result, size + size / 2);
      append(result, {bytes, write});
      append(result, {encoded, length});
      appendLower(bytes, size, read + advance, result);
      return result;
    }
    for (std::size_t k = 0; k < length; ++k)
      bytes[write + k] = encoded[k];
    read += advance;
    write += length;
  }
  text.size = write;
  return text;
}

}  // namespace tavik
