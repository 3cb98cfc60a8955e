// fromHex and fromRC4 over any texts: each either gives what a plain reference
// gives (the digits' value; RC4 of the bytes the digit pairs encode) or raises
// ValueError or IndexDefect with the expected message, and nothing else.
//
// Input layout: the first byte's bit 7 draws the hexadecimal text from an
// alphabet of digits and near-digits instead of taking the bytes as they are;
// its low seven bits are the key's length. Then the key, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "fuzz_check.h"
#include "message/rc4.h"
#include "process/failure.h"

namespace {

using tavik::fuzz::propertyFailed;
using tavik::fuzz::require;
using tavik::fuzz::requireEqual;

constexpr char nearHex[] = "0123456789abcdefABCDEF_#xXg 0";

std::optional<int> digitValue(char c) {
  const std::string digits = "0123456789abcdef";
  const char lower = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
  const std::size_t at = digits.find(lower);
  if (at == std::string::npos) return std::nullopt;
  return static_cast<int>(at);
}

// A whole text of hexadecimal digits: an optional 0x, 0X or # prefix, then
// digits and underscores with at least one digit. Digits past sixteen shift
// the first ones out.
std::optional<std::int64_t> referenceHex(const std::string& text) {
  std::string body = text;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    body = text.substr(2);
  } else if (!text.empty() && text[0] == '#') {
    body = text.substr(1);
  }
  std::uint64_t value = 0;
  bool anyDigit = false;
  for (const char c : body) {
    if (c == '_') continue;
    const std::optional<int> digit = digitValue(c);
    if (!digit) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(*digit);
    anyDigit = true;
  }
  if (!anyDigit) return std::nullopt;
  return static_cast<std::int64_t>(value);
}

// What a call gave: a value, or the kind and message it raised.
struct Outcome {
  std::string value;
  std::string raised;  // empty when nothing was raised
  std::string message;
};

Outcome raise(std::string kind, std::string message) {
  return {"", std::move(kind), std::move(message)};
}

Outcome referenceRC4(const std::string& key, const std::string& hexText) {
  if (key.empty()) return raise("IndexDefect", "index out of bounds, the container is empty");
  unsigned char s[256];
  for (int n = 0; n < 256; ++n) s[n] = static_cast<unsigned char>(n);
  unsigned j = 0;
  for (std::size_t n = 0; n < 256; ++n) {
    j = (j + s[n] + static_cast<unsigned char>(key[n % key.size()])) % 256;
    std::swap(s[n], s[j]);
  }
  std::string plain;
  unsigned i = 0;
  j = 0;
  for (std::size_t p = 0; p < hexText.size(); p += 2) {
    if (p + 1 == hexText.size()) {
      const std::string length = std::to_string(hexText.size());
      return raise("IndexDefect",
                   "index " + length + " not in 0 .. " + std::to_string(hexText.size() - 1));
    }
    const std::string pair = hexText.substr(p, 2);
    const std::optional<std::int64_t> cipher = referenceHex(pair);
    if (!cipher) return raise("ValueError", "invalid hex integer: " + pair);
    i = (i + 1) % 256;
    j = (j + s[i]) % 256;
    std::swap(s[i], s[j]);
    plain += static_cast<char>(*cipher ^ s[(s[i] + s[j]) % 256]);
  }
  return {plain, "", ""};
}

template <class Call>
Outcome outcomeOf(Call call) {
  try {
    return {call(), "", ""};
  } catch (const tavik::Exception& e) {
    return {"", e.name, e.msg};
  }
}

void requireSameOutcome(const Outcome& got, const Outcome& expected, const char* what) {
  if (got.raised != expected.raised) {
    std::fprintf(stderr, "%s: raised \"%s\", expected \"%s\"\n", what, got.raised.c_str(),
                 expected.raised.c_str());
    propertyFailed("the same kind of outcome as the reference");
  }
  requireEqual(got.message, expected.message, "the message of what was raised");
  requireEqual(got.value, expected.value, what);
}

}  // namespace

// The reference itself against published RC4 test vectors, once.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  requireEqual(referenceRC4("Key", "BBF316E8D940AF0AD3").value, "Plaintext", "reference RC4");
  requireEqual(referenceRC4("Wiki", "1021bf0420").value, "pedia", "reference RC4");
  requireEqual(referenceRC4("Secret", "45A01F645FC35B383552544B9BF5").value, "Attack at dawn",
               "reference RC4");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool drawFromNearHex = (data[0] & 0x80) != 0;
  const std::size_t keyLength = std::min<std::size_t>(data[0] & 0x7Fu, size - 1);
  const std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
  std::string hexText(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);
  if (drawFromNearHex) {
    for (char& c : hexText) c = nearHex[static_cast<unsigned char>(c) % (sizeof nearHex - 1)];
  }

  const std::optional<std::int64_t> value = referenceHex(hexText);
  const Outcome expectedHex = value ? Outcome{std::to_string(*value), "", ""}
                                    : raise("ValueError", "invalid hex integer: " + hexText);
  requireSameOutcome(outcomeOf([&] { return std::to_string(tavik::fromHex(hexText)); }),
                     expectedHex, "fromHex gives the value of the digits");

  requireSameOutcome(outcomeOf([&] { return tavik::fromRC4(key, hexText); }),
                     referenceRC4(key, hexText), "fromRC4 gives RC4 of the digit pairs");
  return 0;
}
