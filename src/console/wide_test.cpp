#include "console/wide.h"

#include <string>

#include <gtest/gtest.h>

namespace tavik {
namespace {

TEST(WideToUtf8, EncodesEachCodePoint) {
  EXPECT_EQ(wideToUtf8(u""), "");
  EXPECT_EQ(wideToUtf8(u"Rock"), "Rock");
  EXPECT_EQ(wideToUtf8(u"\x7F\x80"), "\x7F\xC2\x80");
  EXPECT_EQ(wideToUtf8(u"\xE9\x7FF\x800"), "\xC3\xA9\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(wideToUtf8(u"\x20AC\xFFFF"), "\xE2\x82\xAC\xEF\xBF\xBF");
  EXPECT_EQ(wideToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(wideToUtf8(u"\xD800\xDC00\xDBFF\xDFFF"), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

TEST(WideToUtf8, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(wideToUtf8(u"\xD83D" u"a"), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(wideToUtf8(u"\xDE00"), "\xEF\xBF\xBD");
  EXPECT_EQ(wideToUtf8(u"ab\xD83D"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(wideToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  // Only the lone high surrogate is replaced; the pair after it stays whole.
  EXPECT_EQ(wideToUtf8(u"\xD83D\xD83D\xDE00"), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(WideToUtf8, StopsAtTheFirstZeroUnit) {
  const char16_t units[] = {u'a', u'b', 0, u'c', 0};
  EXPECT_EQ(wideToUtf8(units), "ab");
  const char16_t highThenZero[] = {0xD83D, 0, 0xDE00, 0};
  EXPECT_EQ(wideToUtf8(highThenZero), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tavik
