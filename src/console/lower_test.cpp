#include "console/lower.h"
#include "support.h"

using namespace tavik;
using namespace std::string_literals;

TEST(Lower, EveryCodePointAsAPlainScanOfTheTablesSaysThenTexts) {
  constexpr std::int64_t bias = 500;          // added to every stored delta
  std::vector<std::int64_t> delta(0x110001);  // the singlets', then the ranges', which win
  for (auto* s = toLowerSinglets; s < std::end(toLowerSinglets); s += 2)
    delta[std::size_t(*s)] = s[1] - bias;
  for (auto* r = toLowerRanges; r < std::end(toLowerRanges); r += 3)
    for (auto c = r[0]; c <= r[1]; ++c)
      delta[std::size_t(c)] = r[2] - bias;
  for (std::int32_t c = 0; c <= 0x110000; ++c)
    ASSERT_EQ(nuctoLower(c), c + delta[std::size_t(c)]) << c;
  EXPECT_TRUE(binarySearch(0x40, toLowerRanges, 1, 3) == -1 &&
              binarySearch(0x41, toLowerRanges, 0, 3) == -1);

  const std::pair<std::string, std::string> rows[] = {
      {"ROCK", "rock"},
      {"PaPeR", "paper"},
      {"SC\xC4\xB0SSORS", "scissors"},
      {"ROC\xE2\x84\xAA", "rock"},
      {"\xC3\x80\xC3\x89\xC3\x8E", "\xC3\xA0\xC3\xA9\xC3\xAE"},
      {"\xE1\xBA\x9E", "\xC3\x9F"},
      {"", ""},
      {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x83"},
      {"\x80", "\xC2\x80"},
      {"\xFF", "\xC3\xBF"},
      {"R\0CK"s, "r\0ck"s},
      {"ab\xC3", "ab\xEF\xBF\xBD"},
      {"\xE2\x82", "\xEF\xBF\xBD\xC2\x82"},
      {"\xF0\xC3\xA9", "\xEF\xBF\xBD\xC3\xA9"},
      {"\xC3\x41", "\xC3\xA1"},
      {"\xC1\x92OCK", "rock"},
      {"\xC0\x80"s, "\0"s},
      {"\xFC\x80\x80\x80\x80", "\xEF\xBF\xBD\xC2\x80\xC2\x80\xC2\x80\xC2\x80"},
      {"\xF8\x80\x80\x81\x81\xFC\x80\x80\x80\x81\x81", "aa"},  // overlong A in five and six bytes
      {"\xC8\xBA"
       "AB\xC3\x80\xC8\xBA",
       "\xE2\xB1\xA5"
       "ab\xC3\xA0\xE2\xB1\xA5"}};  // U+023A grows to U+2C65
  for (const auto& [text, lower] : rows)
    EXPECT_EQ(nuctoLowerStr(text), lower) << text;
  // Unchanged: no letters, an encoded surrogate; the least, then the greatest code point of each
  // length.
  for (const std::string text :
       {"rock 0-9!?\xC3\x9F\xE2\x85\xA0\xE2\x92\xB6\xED\xA0\x80",
        "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80",
        "\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF\xFB\xBF\xBF\xBF\xBF\xFD\xBF\xBF\xBF\xBF\xBF"})
    EXPECT_EQ(nuctoLowerStr(text), text);
  for (const std::string lead :
       {"", "\xC1\x92"})  // ASCII eight bytes at a time, also behind a shorter form
    for (std::size_t shift = 0; shift < 8; ++shift)
      EXPECT_EQ(nuctoLowerStr(lead + std::string(shift, 'Q') + "@AZ[`az{@AZ[`az{"),
                (lead.empty() ? "" : "r") + std::string(shift, 'q') + "@az[`az{@az[`az{");
}
