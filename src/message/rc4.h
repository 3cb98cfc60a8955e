// RC4 decipher of a text of hexadecimal digit pairs.
#pragma once

#include <cstdint>
#include <string>

namespace tavik {

// The bytes the digit pairs of hexText encode, deciphered with RC4 under key.
// ValueError for a pair fromHex rejects; IndexDefect for an odd number of
// digits (after the generator step for the last byte) and for an empty key.
std::string fromRC4(const std::string& key, const std::string& hexText);

// The RC4 key schedule.
void genKeystream(const std::string& key, std::uint8_t (&state)[256]);

// The value of a text of hexadecimal digits; ValueError "invalid hex integer: <s>"
// unless parseHex consumes all of it.
std::int64_t fromHex(const std::string& s);

// Scans hexadecimal digits from `start` (at most maxLen characters; 0: to the
// end): an optional "0x"/"0X" or "#" prefix, digits of either case, '_' skipped.
// Returns the characters consumed and stores the value, or returns 0 and leaves
// the value alone when there is no digit.
std::size_t parseHex(const std::string& s, std::int64_t& value, std::size_t start,
                     std::size_t maxLen);

}  // namespace tavik
