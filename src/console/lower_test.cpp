#include "console/lower.h"

#include <vector>

#include "support.h"

using namespace tavik;

static const std::string fffd = "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER

// c (below U+110000) in UTF-8, surrogates included.
static std::string utf8(std::int64_t c) {
  std::string bytes;
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | (c >> 12));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (c >> 18));
    bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  if (c >= 0x80)
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  return bytes;
}

static std::string lowerStr(const std::string& text, const std::string& past) {
  Line line = lineOf(text + past);
  line.size = text.size();
  return std::string(view(nuctoLowerStr(std::move(line))));
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
  Line line;
  for (std::int32_t c = 0; c <= 0x110000; ++c) {
    const std::int64_t lower = c + delta[static_cast<std::size_t>(c)];
    ASSERT_EQ(nuctoLower(c), lower) << c;
    if (c == 0x110000)
      break;
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
    std::string past = "Q";  // after the line in its block: a capital, which must stay unread
  } rows[] = {
      {"@AZ[`az{@AZ[`az{@AZ[", "@az[`az{@az[`az{@az["},   // ASCII eight bytes at a time, then one,
      {"\xC1\x92@AZ[`az{@AZ[`az{", "r@az[`az{@az[`az{"},  // also behind a form that shrank
      {"\xC1\x92" + std::string(127, 'Q'), "r" + std::string(127, 'q')},  // 64, 8 and 1 at a time
      {std::string(63, 'Q') + "\xC3\x89", std::string(63, 'q') + "\xC3\xA9"},  // U+00C9
      // U+03A3, U+0391, U+03A3 written in place by their two bytes, also behind a form that shrank
      {"\xC1\x92\xCE\xA3\xCE\x91\xCE\xA3", "r\xCF\x83\xCE\xB1\xCF\x83"},
      {"SC\xC4\xB0SSORS", "scissors"},  // U+0130 LATIN CAPITAL LETTER I WITH DOT ABOVE
      {"\xC8\xBAXY\xC8\xBA", "\xE2\xB1\xA5xy\xE2\xB1\xA5"},  // U+023A to U+2C65, a byte longer
      {"\xC1\x92\xC3", "r" + fffd, "\x89"},  // shorter, then longer; U+00C9 ends past the line
      {"\x80", "\xC2\x80"},                  // a stray continuation byte stands for itself
      {"\xC0\xC1", "\x01"},             // an overlong form in its shortest form; a lead byte takes
      {"\xC2\x41", "\xC2\x81"},         // the six low bits of whatever bytes follow it
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
  for (const auto& row : rows)
    EXPECT_EQ(lowerStr(row.text, row.past), row.lower) << testing::PrintToString(row.text);
}
