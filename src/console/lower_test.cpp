#include "console/lower.h"

#include <vector>

#include "support.h"

using namespace tavik;

static const std::string fffd = "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER

// c (up to U+110000) in UTF-8, surrogates included: a lead byte, then six bits a byte.
static std::string utf8(std::int64_t c) {
  const int continuations = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  const std::int64_t leadMarks[] = {0, 0xC0, 0xE0, 0xF0};
  std::string bytes{static_cast<char>(leadMarks[continuations] | (c >> (6 * continuations)))};
  for (int k = continuations - 1; k >= 0; --k)
    bytes += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  return bytes;
}

// Each stored number is the delta plus 500; a range maps each of its code points by its delta.
// Lower-casing text takes other roads than nuctoLower, such as a direct table for two bytes.
TEST(Lower, EveryCodePointMapsAsAPlainScanOfTheTablesSays) {
  std::vector<std::int64_t> delta(0x110001);
  for (std::size_t s = 0; s < std::size(toLowerSinglets); s += 2)
    delta[static_cast<std::size_t>(toLowerSinglets[s])] = toLowerSinglets[s + 1] - 500;
  for (std::size_t r = 0; r < std::size(toLowerRanges); r += 3)
    for (std::int64_t c = toLowerRanges[r]; c <= toLowerRanges[r + 1]; ++c)
      delta[static_cast<std::size_t>(c)] = toLowerRanges[r + 2] - 500;
  Line line;  // each code point lower-cased in the block of the one before
  for (std::int32_t c = 0; c <= 0x110000; ++c) {
    const std::int64_t lower = c + delta[static_cast<std::size_t>(c)];
    ASSERT_EQ(nuctoLower(c), lower) << c;
    line.size = 0;
    append(line, utf8(c));
    line = nuctoLowerStr(std::move(line));
    ASSERT_EQ(view(line), utf8(lower)) << c;
  }
}

TEST(Lower, BinarySearchGivesMinusOneBelowTheFirstKey) {
  EXPECT_EQ(binarySearch(0x41, toLowerRanges, 0, 3), -1);  // in a table of none
}

TEST(LowerStr, LowerCasesEachCodePointOfLenientUtf8) {
  const struct {
    std::string text;
    std::string lower;
  } rows[] = {
      // ASCII eight bytes at a time behind a form that shrank, and 64, 8 and 1 at a time
      {"\xC1\x92@AZ[`az{@AZ[`az{", "r@az[`az{@az[`az{"},
      {"\xC1\x92" + std::string(127, 'Q'), "r" + std::string(127, 'q')},
      {std::string(63, 'Q') + "\xC3\x89", std::string(63, 'q') + "\xC3\xA9"},  // U+00C9
      // U+03A3, U+0391, U+03A3 written in place by their two bytes, also behind a form that shrank
      {"\xC1\x92\xCE\xA3\xCE\x91\xCE\xA3", "r\xCF\x83\xCE\xB1\xCF\x83"},
      {"\xC8\xBAXY\xC8\xBA", "\xE2\xB1\xA5xy\xE2\xB1\xA5"},  // U+023A to U+2C65, a byte longer
      {"\xC1\x92\xC3", "r" + fffd},  // shorter, then longer: its sequence would end past the line
      {"\x80", "\xC2\x80"},          // a stray continuation byte stands for itself
      {"\xC0\xC1", "\x01"},          // an overlong form in its shortest form; a lead byte takes
      {"\xC2\x41", "\xC2\x81"},      // the six low bits of whatever bytes follow it
      {"\xE2\x82", fffd + "\xC2\x82"},  // short of its sequence: U+FFFD, then the rest on its own
      // The greatest code points of two, three and four bytes,
      {"\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF", "\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF"},
      // and the least and the greatest of five and six, each followed by a stray 0xBF and by its
      // lead byte alone, short of its sequence. 0xFE and 0xFF take no bytes.
      {"\xF8\x88\x80\x80\x80\xBF\xF8", "\xF8\x88\x80\x80\x80\xC2\xBF" + fffd},
      {"\xFB\xBF\xBF\xBF\xBF\xBF\xFB", "\xFB\xBF\xBF\xBF\xBF\xC2\xBF" + fffd},
      {"\xFC\x84\x80\x80\x80\x80\xBF\xFC", "\xFC\x84\x80\x80\x80\x80\xC2\xBF" + fffd},
      {"\xFD\xBF\xBF\xBF\xBF\xBF\xBF\xFD", "\xFD\xBF\xBF\xBF\xBF\xBF\xC2\xBF" + fffd},
      {"\xFE\xBF\xFE", "\xC3\xBE\xC2\xBF\xC3\xBE"},
      {"\xFF\xBF\xFF", "\xC3\xBF\xC2\xBF\xC3\xBF"},
  };
  for (const auto& row : rows) {
    Line line = lineOf(row.text + "Q");  // a capital after it in its block, which must stay unread
    line.size = row.text.size();
    EXPECT_EQ(view(nuctoLowerStr(std::move(line))), row.lower) << testing::PrintToString(row.text);
  }
}
