#include "console/lower.h"

#include <vector>

#include "support.h"

using namespace tavik;
using namespace std::string_literals;

// Each stored number is the delta plus 500; a range maps each of its code points by its delta.
TEST(Lower, EveryCodePointMapsAsAPlainScanOfTheTablesSays) {
  std::vector<std::int64_t> delta(0x110001);
  for (std::size_t s = 0; s < std::size(toLowerSinglets); s += 2)
    delta[static_cast<std::size_t>(toLowerSinglets[s])] = toLowerSinglets[s + 1] - 500;
  for (std::size_t r = 0; r < std::size(toLowerRanges); r += 3)
    for (std::int64_t c = toLowerRanges[r]; c <= toLowerRanges[r + 1]; ++c)
      delta[static_cast<std::size_t>(c)] = toLowerRanges[r + 2] - 500;
  for (std::int32_t c = 0; c <= 0x110000; ++c)
    ASSERT_EQ(nuctoLower(c), c + delta[static_cast<std::size_t>(c)]) << c;
}

TEST(Lower, BinarySearchGivesMinusOneBelowTheFirstKey) {
  EXPECT_EQ(binarySearch(0x40, toLowerRanges, 1, 3), -1);  // in a table of one record
  EXPECT_EQ(binarySearch(0x41, toLowerRanges, 1, 3), 0);
  EXPECT_EQ(binarySearch(0x41, toLowerRanges, 0, 3), -1);  // in a table of none
}

TEST(LowerStr, LowerCasesEachCodePointOfLenientUtf8) {
  const std::string fffd = "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
  const std::string least =  // and the greatest, of two, three, four, five and six bytes
      "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80";
  const std::string greatest =
      "\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF\xFB\xBF\xBF\xBF\xBF\xFD\xBF\xBF\xBF\xBF\xBF";
  const struct {
    std::string text;
    std::string lower;
  } rows[] = {
      {"@AZ[", "@az["},                                   // ASCII a byte at a time
      {"@AZ[`az{@AZ[`az{", "@az[`az{@az[`az{"},           // and eight bytes at a time,
      {"\xC1\x92@AZ[`az{@AZ[`az{", "r@az[`az{@az[`az{"},  // also behind a form that shrank
      {"SC\xC4\xB0SSORS", "scissors"},  // U+0130 LATIN CAPITAL LETTER I WITH DOT ABOVE
      {"\xC3\x80", "\xC3\xA0"},         // U+00C0 LATIN CAPITAL LETTER A WITH GRAVE
      {"\xC8\xBAXY\xC8\xBA", "\xE2\xB1\xA5xy\xE2\xB1\xA5"},  // U+023A to U+2C65, a byte longer
      {"\xC1\x92\xC3", "r" + fffd},  // shorter, then longer than what was read
      {"R\0CK"s, "r\0ck"s},
      {"\x80", "\xC2\x80"},             // a stray continuation byte stands for itself
      {"\xC0\x80"s, "\0"s},             // an overlong form comes out in its shortest form
      {"\xC0\xC1", "\x01"},             // the bytes behind a lead byte give their six low bits,
      {"\xC2\x41", "\xC2\x81"},         // whatever they are
      {"\xDF", fffd},                   // a lead byte short of its sequence is U+FFFD,
      {"\xE2\x82", fffd + "\xC2\x82"},  // and what follows it is read on its own
      {least, least},
      {greatest, greatest},
  };
  for (const auto& row : rows)
    EXPECT_EQ(nuctoLowerStr(row.text), row.lower) << testing::PrintToString(row.text);
}

// Alone, a lead byte of five or six bytes is U+FFFD; before five bytes 0xBF it takes as many as it
// needs, and the others stand for themselves (U+00BF), as 0xFE and 0xFF do.
TEST(LowerStr, LeadBytesOfFiveAndSixBytes) {
  const std::string fffd = "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
  const struct {
    char lead;
    std::string alone;
    std::string beforeFive;
  } rows[] = {
      {'\xF8', fffd, "\xF8\xBF\xBF\xBF\xBF\xC2\xBF"},
      {'\xF9', fffd, "\xF9\xBF\xBF\xBF\xBF\xC2\xBF"},
      {'\xFA', fffd, "\xFA\xBF\xBF\xBF\xBF\xC2\xBF"},
      {'\xFB', fffd, "\xFB\xBF\xBF\xBF\xBF\xC2\xBF"},
      {'\xFC', fffd, "\xFC\xBF\xBF\xBF\xBF\xBF"},
      {'\xFD', fffd, "\xFD\xBF\xBF\xBF\xBF\xBF"},
      {'\xFE', "\xC3\xBE", "\xC3\xBE\xC2\xBF\xC2\xBF\xC2\xBF\xC2\xBF\xC2\xBF"},
      {'\xFF', "\xC3\xBF", "\xC3\xBF\xC2\xBF\xC2\xBF\xC2\xBF\xC2\xBF\xC2\xBF"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.lead));
    EXPECT_EQ(nuctoLowerStr(std::string(1, row.lead)), row.alone);
    EXPECT_EQ(nuctoLowerStr(row.lead + std::string(5, '\xBF')), row.beforeFive);
  }
}
