#include "console/lower.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace tavik {
namespace {

constexpr std::int64_t rangeRecords = 45;
constexpr std::int64_t singletRecords = 610;

// The stored number of the singlet for c, found by a plain scan; 0 when absent.
std::int64_t storedSinglet(std::int64_t c) {
  for (std::int64_t p = 0; p < singletRecords * 2; p += 2) {
    if (toLowerSinglets[p] == c) return toLowerSinglets[p + 1];
  }
  return 0;
}

// The range record starting at `first`, found by a plain scan; empty when absent.
std::vector<std::int64_t> rangeFrom(std::int64_t first) {
  for (std::int64_t p = 0; p < rangeRecords * 3; p += 3) {
    if (toLowerRanges[p] == first)
      return {toLowerRanges[p], toLowerRanges[p + 1], toLowerRanges[p + 2]};
  }
  return {};
}

bool inTables(std::int64_t c) {
  for (std::int64_t p = 0; p < rangeRecords * 3; p += 3) {
    if (toLowerRanges[p] <= c && c <= toLowerRanges[p + 1]) return true;
  }
  return storedSinglet(c) != 0;
}

TEST(LowerTables, HoldTheUnicode121LettersSplitIntoRangesAndSinglets) {
  ASSERT_EQ(std::size(toLowerRanges), 135u);
  ASSERT_EQ(std::size(toLowerSinglets), 1220u);
  std::int64_t inRanges = 0;
  for (std::int64_t p = 0; p < rangeRecords * 3; p += 3) {
    EXPECT_LT(toLowerRanges[p], toLowerRanges[p + 1]) << "a range holds two or more: " << p;
    if (p > 0) {
      EXPECT_LT(toLowerRanges[p - 2], toLowerRanges[p]) << "sorted, disjoint: " << p;
    }
    inRanges += toLowerRanges[p + 1] - toLowerRanges[p] + 1;
  }
  EXPECT_EQ(inRanges, 738);
  EXPECT_EQ(inRanges + singletRecords, 1348);
  for (std::int64_t p = 2; p < singletRecords * 2; p += 2) {
    EXPECT_LT(toLowerSinglets[p - 2], toLowerSinglets[p]) << "sorted: " << p;
    // Two neighbours with one delta would have made a range.
    if (toLowerSinglets[p - 2] + 1 == toLowerSinglets[p]) {
      EXPECT_NE(toLowerSinglets[p - 1], toLowerSinglets[p + 1]) << "not maximal: " << p;
    }
  }
  for (std::int64_t p = 0; p < singletRecords * 2; p += 2) {
    const std::int64_t c = toLowerSinglets[p];
    for (std::int64_t r = 0; r < rangeRecords * 3; r += 3) {
      EXPECT_FALSE(toLowerRanges[r] <= c && c <= toLowerRanges[r + 1]) << "inside a range: " << c;
      const bool adjacent = c == toLowerRanges[r] - 1 || c == toLowerRanges[r + 1] + 1;
      EXPECT_FALSE(adjacent && toLowerSinglets[p + 1] == toLowerRanges[r + 2])
          << "extends a range: " << c;
    }
  }
}

TEST(LowerTables, TellingRecords) {
  EXPECT_EQ(storedSinglet(0x0130), 301);
  EXPECT_EQ(storedSinglet(0x212A), -7883);
  EXPECT_EQ(storedSinglet(0x2126), -7017);
  EXPECT_EQ(storedSinglet(0x1E9E), -7115);
  EXPECT_EQ(storedSinglet(0x0178), 379);
  EXPECT_EQ(storedSinglet(0x01C4), 502);
  EXPECT_EQ(storedSinglet(0x01C5), 501);
  EXPECT_EQ(storedSinglet(0x10C7), 7764);
  EXPECT_EQ(storedSinglet(0xA7C6), -34884);
  EXPECT_EQ(toLowerSinglets[(singletRecords - 1) * 2], 0xA7C6) << "the largest singlet";

  using Range = std::vector<std::int64_t>;
  EXPECT_EQ(Range(toLowerRanges, toLowerRanges + 3), (Range{0x41, 0x5A, 532}));
  EXPECT_EQ(Range(toLowerRanges + 132, toLowerRanges + 135), (Range{0x1E900, 0x1E921, 534}));
  EXPECT_EQ(rangeFrom(0x13A0), (Range{0x13A0, 0x13EF, 39364}));
  EXPECT_EQ(rangeFrom(0x1C90), (Range{0x1C90, 0x1CBA, -2508}));
  EXPECT_EQ(rangeFrom(0x2C7E), (Range{0x2C7E, 0x2C7F, -10315}));

  // Letter-like symbols with a lowercase mapping that are not letters.
  for (std::int64_t c = 0x2160; c <= 0x216F; ++c) EXPECT_FALSE(inTables(c)) << c;
  for (std::int64_t c = 0x24B6; c <= 0x24CF; ++c) EXPECT_FALSE(inTables(c)) << c;
  // Capitals of Unicode 13 and 14 are left alone.
  for (std::int64_t c : {0xA7C7, 0xA7C9, 0xA7F5, 0x2C2F, 0x10570}) EXPECT_FALSE(inTables(c)) << c;
}

TEST(LowerBinarySearch, FindsTheLastRecordNotAboveC) {
  // Records of two numbers; the keys 10, 20, 20, 30.
  const std::int64_t table[] = {10, 0, 20, 1, 20, 2, 30, 3};
  const std::vector<std::pair<std::int32_t, std::int64_t>> cases = {
      {-2147483647 - 1, -1}, {9, -1}, {10, 0}, {19, 0}, {20, 4}, {29, 4}, {30, 6}, {2147483647, 6}};
  for (const auto& [c, position] : cases) EXPECT_EQ(binarySearch(c, table, 4, 2), position) << c;

  EXPECT_EQ(binarySearch(10, table, 1, 2), 0);
  EXPECT_EQ(binarySearch(9, table, 1, 2), -1);
  EXPECT_EQ(binarySearch(20, table, 0, 2), -1);
  EXPECT_EQ(binarySearch(20, table, -3, 2), -1);
  const std::int64_t keys[] = {1, 3, 3, 3, 7};  // stride 1, ties go to the last
  EXPECT_EQ(binarySearch(3, keys, 5, 1), 3);
  EXPECT_EQ(binarySearch(2, keys, 5, 1), 0);
  EXPECT_EQ(binarySearch(8, keys, 5, 1), 4);

  // Against a plain scan, at and beside every key of both tables.
  const std::pair<const std::int64_t*, std::int64_t> tables[] = {{toLowerRanges, 3},
                                                                 {toLowerSinglets, 2}};
  for (const auto& [t, stride] : tables) {
    const std::int64_t records = (stride == 3 ? rangeRecords : singletRecords);
    for (std::int64_t r = 0; r < records; ++r) {
      for (std::int64_t c = t[r * stride] - 1; c <= t[r * stride] + 1; ++c) {
        std::int64_t last = -1;
        for (std::int64_t q = 0; q < records && t[q * stride] <= c; ++q) last = q * stride;
        EXPECT_EQ(binarySearch(static_cast<std::int32_t>(c), t, records, stride), last) << c;
      }
    }
  }

  EXPECT_EQ(binarySearch(0x7FFFFFFF, toLowerRanges, rangeRecords, 3), 132);
}

TEST(LowerCodePoint, MapsByRangesThenSinglets) {
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {0x40, 0x40},     {0x41, 0x61},       {0x5A, 0x7A},
      {0x5B, 0x5B},     {0x1E921, 0x1E943}, {0x1E922, 0x1E922},
      {0x2C7E, 0x23F},  {0x2C7F, 0x240},    {0x1C4, 0x1C6},
      {0x1C5, 0x1C6},   {0x1C6, 0x1C6},     {0x178, 0xFF},
      {0x2126, 0x3C9},  {0x10C7, 0x2D27},   {0xA7C6, 0x1D8E},
      {0xA7C7, 0xA7C7}, {-1, -1},           {0x7FFFFFFF, 0x7FFFFFFF}};
  for (const auto& [c, lower] : cases) EXPECT_EQ(nuctoLower(c), lower) << std::hex << c;
}

// Each case: input bytes, expected bytes.
void expectLowered(const std::vector<std::pair<std::string, std::string>>& cases) {
  for (const auto& [text, lower] : cases) {
    EXPECT_EQ(nuctoLowerStr(text), lower) << "input of " << text.size() << " bytes: " << text;
  }
}

TEST(LowerText, LettersOfTheGame) {
  expectLowered({{"ROCK", "rock"},
                 {"PaPeR", "paper"},
                 {"rock", "rock"},
                 {"YES", "yes"},
                 {"0123456789 !?.,-[]@`{}~", "0123456789 !?.,-[]@`{}~"},
                 {"", ""}});
}

TEST(LowerText, UnicodeLetters) {
  expectLowered({
      {"\xC3\x80\xC3\x89\xC3\x8E", "\xC3\xA0\xC3\xA9\xC3\xAE"},
      {"SC\xC4\xB0SSORS", "scissors"},
      {"ROC\xE2\x84\xAA", "rock"},
      {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x83"},  // no final sigma
      {"\xE1\xBA\x9E", "\xC3\x9F"},
      {"\xC3\x9F", "\xC3\x9F"},
      {"\xE2\x85\xA0", "\xE2\x85\xA0"},          // U+2160 ROMAN NUMERAL ONE
      {"\xE2\x92\xB6", "\xE2\x92\xB6"},          // U+24B6 CIRCLED LATIN CAPITAL LETTER A
      {"\xE1\x8E\xA0", "\xEA\xAD\xB0"},          // Cherokee
      {"\xE1\xB2\x90", "\xE1\x83\x90"},          // Georgian Mtavruli
      {"\xF0\x9E\xA4\x80", "\xF0\x9E\xA4\xA2"},  // Adlam
      {"\xC8\xBA", "\xE2\xB1\xA5"},              // two bytes become three
  });
}

TEST(LowerText, MalformedAndLongFormsComeOutDefined) {
  using namespace std::string_literals;
  expectLowered({
      {"\x80", "\xC2\x80"},
      {"\xFF", "\xC3\xBF"},
      {"\xFE", "\xC3\xBE"},
      {"ab\xC3", "ab\xEF\xBF\xBD"},
      {"\xE2\x82", "\xEF\xBF\xBD\xC2\x82"},
      {"\xF0\xC3\xA9", "\xEF\xBF\xBD\xC3\xA9"},
      {"\xFC\x80\x80\x80\x80", "\xEF\xBF\xBD\xC2\x80\xC2\x80\xC2\x80\xC2\x80"},
      {"\xC3\x41", "\xC3\xA1"},  // continuation bytes are not tested
      {"\xC1\x92OCK", "rock"},   // overlong R
      {"\xC0\x80"s, "\0"s},
      {"\xFC\x80\x80\x80\x81\x81", "a"},         // six-byte overlong A
      {"\xED\xA0\x80", "\xED\xA0\x80"},          // surrogate
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // U+110000
      {"\xF8\x88\x80\x80\x80", "\xF8\x88\x80\x80\x80"},
      {"\xFC\x84\x80\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80"},
      {"\xFD\xBF\xBF\xBF\xBF\xBF", "\xFD\xBF\xBF\xBF\xBF\xBF"},  // 0x7FFFFFFF
      // The largest value of each length keeps its length.
      {"\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF\xFB\xBF\xBF\xBF\xBF",
       "\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF\xFB\xBF\xBF\xBF\xBF"},
  });
}

TEST(LowerText, NulBytesStay) {
  using namespace std::string_literals;
  expectLowered({{"\0"s, "\0"s}, {"R\0CK\0"s, "r\0ck\0"s}, {"\0\xC3\x80\0"s, "\0\xC3\xA0\0"s}});
}

TEST(LowerText, AsciiTakesTheSameRouteAsTheTables) {
  // The two-byte overlong form of an ASCII byte is decoded and looked up.
  int changed = 0;
  for (int b = 0; b < 0x80; ++b) {
    const std::string single(1, static_cast<char>(b));
    const std::string overlong{static_cast<char>(0xC0 | (b >> 6)),
                               static_cast<char>(0x80 | (b & 0x3F))};
    const std::string lowered = nuctoLowerStr(single);
    EXPECT_EQ(lowered, nuctoLowerStr(overlong)) << b;
    ASSERT_EQ(lowered.size(), 1u) << b;
    EXPECT_EQ(static_cast<unsigned char>(lowered[0]), nuctoLower(b)) << b;
    if (lowered != single) ++changed;
  }
  EXPECT_EQ(changed, 26);
}

// ASCII goes eight bytes at a time: every byte at every place in the word,
// also while the output lags behind the input or continues in a new text.
TEST(LowerText, AsciiRunsAtEveryAlignment) {
  std::string ascii;
  std::string expected;
  for (int b = 0; b < 0x80; ++b) {
    ascii += static_cast<char>(b);
    expected += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
  }
  for (std::size_t shift = 0; shift < 8; ++shift) {
    const std::string pad(shift, 'Q');
    const std::string lowerPad(shift, 'q');
    EXPECT_EQ(nuctoLowerStr(pad + ascii), lowerPad + expected) << shift;
    // The overlong R comes out a byte shorter.
    EXPECT_EQ(nuctoLowerStr(pad + "\xC1\x92" + ascii), lowerPad + "r" + expected) << shift;
    // The stray byte comes out a byte longer.
    EXPECT_EQ(nuctoLowerStr(pad + ascii + "\x80" + ascii),
              lowerPad + expected + "\xC2\x80" + expected)
        << shift;
  }
}

TEST(LowerText, LongMixedLineInOnePass) {
  using namespace std::string_literals;
  const std::string piece = "PaPeR \xC3\x80\0\xE2\x84\xAA\xF0\x9E\xA4\x80\xFF\xC8\xBA-"s;
  const std::string lowerPiece = "paper \xC3\xA0\0k\xF0\x9E\xA4\xA2\xC3\xBF\xE2\xB1\xA5-"s;
  constexpr std::size_t repeats = 200000;  // about 4 MB
  std::string line;
  std::string expected;
  for (std::size_t k = 0; k < repeats; ++k) {
    line += piece;
    expected += lowerPiece;
  }
  line += "\xE2\x82";
  expected += "\xEF\xBF\xBD\xC2\x82";
  EXPECT_TRUE(nuctoLowerStr(line) == expected);

  const std::string strays(3000000, '\xFF');
  std::string pairs;
  for (std::size_t k = 0; k < strays.size(); ++k) pairs += "\xC3\xBF";
  EXPECT_TRUE(nuctoLowerStr(strays) == pairs);
}

}  // namespace
}  // namespace tavik
