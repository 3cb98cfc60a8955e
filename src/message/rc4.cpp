#include "message/rc4.h"

#include <cstdint>
#include <utility>

#include "process/failure.h"

namespace tavik {

namespace {

// The value of a hexadecimal digit, or -1.
int hexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

}  // namespace

void genKeystream(const std::string& key, std::uint8_t (&state)[256]) {
  for (int n = 0; n < 256; ++n)
    state[n] = static_cast<std::uint8_t>(n);
  if (key.empty())
    raiseIndexError2(0, -1);
  std::uint8_t j = 0;
  std::size_t k = 0;
  for (int n = 0; n < 256; ++n) {
    j = static_cast<std::uint8_t>(j + state[n] + static_cast<unsigned char>(key[k]));
    std::swap(state[n], state[j]);
    k = (k + 1) % key.size();
  }
}

std::string fromRC4(const std::string& key, const std::string& hexText) {
  std::uint8_t s[256];
  genKeystream(key, s);
  std::uint8_t i = 0;
  std::uint8_t j = 0;
  std::string result;
  result.reserve(hexText.size() / 2);
  for (std::size_t p = 0; p < hexText.size(); p += 2) {
    ++i;
    j = static_cast<std::uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    if (p + 1 >= hexText.size()) {
      const auto length = static_cast<std::int64_t>(hexText.size());
      raiseIndexError2(length, length - 1);
    }
    // A pair is at most "FF", so its value fits a byte.
    const std::int64_t value = fromHex(hexText.substr(p, 2));
    const std::uint8_t keyByte = s[static_cast<std::uint8_t>(s[i] + s[j])];
    result += static_cast<char>(static_cast<std::uint8_t>(value) ^ keyByte);
  }
  return result;
}

std::int64_t fromHex(const std::string& s) {
  std::int64_t value = 0;
  const std::size_t count = parseHex(s, value, 0, 0);
  if (count == 0 || count != s.size())
    raiseException("ValueError", "invalid hex integer: " + s, {"fromHex", 1046, "strutils"});
  return value;
}

std::size_t parseHex(const std::string& s, std::int64_t& value, std::size_t start,
                     std::size_t maxLen) {
  if (start >= s.size())
    return 0;
  const std::size_t remaining = s.size() - start;
  const std::size_t last = (maxLen == 0 || maxLen >= remaining) ? s.size() : start + maxLen;
  std::size_t at = start;
  if (last - at >= 2 && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X')) {
    at += 2;
    if (at == last)
      return 0;
  } else if (s[at] == '#') {
    ++at;
    if (at == last)
      return 0;
  }
  // Unsigned so that more than 16 digits wrap instead of overflowing.
  std::uint64_t scanned = 0;
  bool anyDigit = false;
  for (; at < last; ++at) {
    if (s[at] == '_')
      continue;
    const int digit = hexDigit(s[at]);
    if (digit < 0)
      break;
    scanned = (scanned << 4) | static_cast<std::uint64_t>(digit);
    anyDigit = true;
  }
  if (!anyDigit)
    return 0;
  value = static_cast<std::int64_t>(scanned);
  return at - start;
}

}  // namespace tavik
