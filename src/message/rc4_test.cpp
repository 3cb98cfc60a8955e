#include "message/rc4.h"
#include "support.h"

using namespace tavik;

TEST(FromRC4, DeciphersPublishedVectors) {
  const struct {
    const char* key;
    const char* hex;
    const char* text;
  } rows[] = {
      {"Wiki", "1021bf0420", "pedia"},
      {"Secret", "45A01F645FC35B383552544B9BF5", "Attack at dawn"},  // the swaps show from byte 11
      {"Key", "", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(fromRC4(row.key, row.hex), row.text) << row.hex;
}

TEST(FromHex, ParseHexReadsAtMostMaxLenFromStart) {
  std::int64_t value = -1;
  const std::size_t none = parseHex("zz0X_1", value, 2, 3);  // "0X_": no digit
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(value, -1);
  const std::size_t all = parseHex("zz#a_1", value, 2, 0);
  EXPECT_EQ(all, 4u);
  EXPECT_EQ(value, 0xA1);
}
