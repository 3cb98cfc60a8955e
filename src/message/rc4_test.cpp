#include "message/rc4.h"
#include "support.h"

using namespace tavik;

TEST(FromRC4, DeciphersPublishedVectorsAndRaisesForMalformedInput) {
  const struct {
    const char* key;
    const char* hex;
    std::string outcome;  // the text, or what was raised
  } rows[] = {
      {"Wiki", "1021bf0420", "pedia"},
      {"Secret", "45A01F645FC35B383552544B9BF5", "Attack at dawn"},  // the swaps show from byte 11
      {"Key", "", ""},
      {"Key", "ABC", "IndexDefect index 3 not in 0 .. 2"},
      {"", "AB", "IndexDefect index out of bounds, the container is empty"},
      {"Key", "AB0G", "ValueError invalid hex integer: 0G"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(test::outcomeOf([&row] { return fromRC4(row.key, row.hex); }), row.outcome)
        << row.hex;
}

TEST(FromHex, RaisesValueErrorAtFromHexInStrutils) {
  EXPECT_EQ(formatReport(test::raisedBy([] { fromHex("0G"); })),
            "strutils(1046)           fromHex\n"
            "Error: unhandled exception: invalid hex integer: 0G [ValueError]\n");
}

// parseHex reads at most maxLen characters from start (0: to the end), the prefix and the
// underscores counted; without a digit it returns 0 and leaves the value alone.
TEST(FromHex, ParseHexReadsAtMostMaxLenFromStart) {
  std::int64_t value = -1;
  const std::size_t bare = parseHex("zz0X_1", value, 2, 2);  // "0X": nothing after the prefix
  EXPECT_EQ(bare, 0u);
  const std::size_t none = parseHex("zz0X_1", value, 2, 3);  // "0X_": no digit
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(value, -1);
  const std::size_t all = parseHex("#a_", value, 0, 0);
  EXPECT_EQ(all, 3u);
  EXPECT_EQ(value, 0xA);
}
