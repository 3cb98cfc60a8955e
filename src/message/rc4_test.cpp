#include "message/rc4.h"

#include <gtest/gtest.h>

#include <string>

#include "process/failure.h"

namespace tavik {
namespace {

std::string bytesOf(const std::string& hex) {
  std::string bytes;
  for (std::size_t p = 0; p + 1 < hex.size(); p += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(p, 2), nullptr, 16));
  return bytes;
}

std::string hexOf(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

// fromRC4 over zero bytes yields the bare keystream.
std::string keystream(const std::string& key, std::size_t length) {
  return hexOf(fromRC4(key, std::string(2 * length, '0')));
}

void expectRaise(const std::string& key, const std::string& hexText, const char* name,
                 const std::string& msg) {
  try {
    fromRC4(key, hexText);
    ADD_FAILURE() << "no exception for " << hexText;
  } catch (const Exception& e) {
    EXPECT_STREQ(e.name, name);
    EXPECT_EQ(e.msg, msg);
  }
}

TEST(FromRC4, ClassicVectors) {
  EXPECT_EQ(hexOf(fromRC4("Key", hexOf("Plaintext"))), "BBF316E8D940AF0AD3");
  EXPECT_EQ(hexOf(fromRC4("Wiki", hexOf("pedia"))), "1021BF0420");
  EXPECT_EQ(hexOf(fromRC4("Secret", hexOf("Attack at dawn"))), "45A01F645FC35B383552544B9BF5");
  // Deciphering is the same operation: the ciphertext gives back the message.
  EXPECT_EQ(fromRC4("Secret", "45A01F645FC35B383552544B9BF5"), "Attack at dawn");
}

TEST(FromRC4, PublishedKeystreams) {
  const std::string stream = keystream(bytesOf("0102030405"), 4112);
  EXPECT_EQ(stream.substr(0, 64),
            "B2396305F03DC027CCC3524A0A1118A86982944F18FC82D589C403A47A0D0919");
  EXPECT_EQ(stream.substr(2 * 4096), "FF25B58995996707E51FBDF08B34D875");
  // Key bytes above 0x7F count as 128..255.
  EXPECT_EQ(keystream(bytesOf("833222772A"), 16), "80AD97BDC973DF8A2E879E92A497EFDA");
  EXPECT_EQ(keystream(bytesOf("0102030405060708090A0B0C0D0E0F10"), 16),
            "9AC7CC9A609D1EF7B2932899CDE41B97");
}

TEST(FromRC4, LowerCaseDigitsDecodeTheSame) {
  EXPECT_EQ(fromRC4("Secret", "45a01f645fc35b383552544b9bf5"), "Attack at dawn");
}

TEST(FromRC4, EmptyTextGivesEmptyResult) { EXPECT_EQ(fromRC4("Key", ""), ""); }

TEST(FromRC4, NulBytesAreKept) {
  const std::string message("a\0b", 3);
  EXPECT_EQ(fromRC4("Key", hexOf(fromRC4("Key", hexOf(message)))), message);
}

TEST(FromRC4, Failures) {
  expectRaise("Key", "BBF", "IndexDefect", "index 3 not in 0 .. 2");
  expectRaise("Key", "B", "IndexDefect", "index 1 not in 0 .. 0");
  expectRaise("Key", "BB0G", "ValueError", "invalid hex integer: 0G");
  // The pair is checked before the odd length is noticed further on.
  expectRaise("Key", "zzBBF", "ValueError", "invalid hex integer: zz");
  expectRaise("", "BB", "IndexDefect", "index out of bounds, the container is empty");
  expectRaise("", "", "IndexDefect", "index out of bounds, the container is empty");
}

TEST(FromHex, AcceptedPairs) {
  EXPECT_EQ(fromHex("00"), 0);
  EXPECT_EQ(fromHex("FF"), 255);
  EXPECT_EQ(fromHex("ff"), 255);
  EXPECT_EQ(fromHex("aB"), 0xAB);
  EXPECT_EQ(fromHex("#5"), 5);
  EXPECT_EQ(fromHex("_5"), 5);
  EXPECT_EQ(fromHex("5_"), 5);
}

TEST(FromHex, RejectedPairs) {
  for (const std::string pair :
       {"0x", "0X", "__", "##", "0G", "G0", "#_", " 5", "5 ", "x5", "-1"}) {
    try {
      fromHex(pair);
      ADD_FAILURE() << "accepted " << pair;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.name, "ValueError");
      EXPECT_EQ(e.msg, "invalid hex integer: " + pair);
      EXPECT_STREQ(e.site.procname, "fromHex");
      EXPECT_EQ(e.site.line, 1046);
      EXPECT_STREQ(e.site.filename, "strutils");
    }
  }
  try {
    fromHex("");
    ADD_FAILURE() << "accepted the empty text";
  } catch (const Exception& e) {
    EXPECT_EQ(e.msg, "invalid hex integer: ");
  }
}

TEST(ParseHex, PrefixesUnderscoresAndLimits) {
  std::int64_t value = -7;
  EXPECT_EQ(parseHex("0x1F", value, 0, 0), 4u);
  EXPECT_EQ(value, 0x1F);
  EXPECT_EQ(parseHex("#a_b!", value, 0, 0), 4u);
  EXPECT_EQ(value, 0xAB);
  EXPECT_EQ(parseHex("zz12", value, 2, 0), 2u);
  EXPECT_EQ(value, 0x12);
  EXPECT_EQ(parseHex("1234", value, 0, 3), 3u);
  EXPECT_EQ(value, 0x123);
  // No digit: nothing consumed, value left alone.
  value = -7;
  EXPECT_EQ(parseHex("0x", value, 0, 0), 0u);
  EXPECT_EQ(parseHex("0x12", value, 0, 2), 0u);
  EXPECT_EQ(parseHex("#", value, 0, 0), 0u);
  EXPECT_EQ(parseHex("___", value, 0, 0), 0u);
  EXPECT_EQ(parseHex("g", value, 0, 0), 0u);
  EXPECT_EQ(parseHex("12", value, 2, 0), 0u);
  EXPECT_EQ(value, -7);
}

TEST(ParseHex, LongInputsWrap) {
  std::int64_t value = 0;
  EXPECT_EQ(parseHex("FFFFFFFFFFFFFFFF", value, 0, 0), 16u);
  EXPECT_EQ(value, -1);
  EXPECT_EQ(parseHex("123456789ABCDEF0F", value, 0, 0), 17u);
  EXPECT_EQ(value, static_cast<std::int64_t>(0x23456789ABCDEF0Fu));
}

}  // namespace
}  // namespace tavik
