#include "message/rc4.h"
#include "support.h"

using namespace tavik;

// The deciphering itself shows in the won round, end to end.
TEST(FromRC4, DeciphersNoDigitsIntoNothing) { EXPECT_EQ(fromRC4("Key", ""), ""); }

TEST(FromHex, ParseHexReadsAtMostMaxLenFromStart) {
  std::int64_t value = -1;
  const std::size_t none = parseHex("zz0X_1", value, 2, 3);  // "0X_": no digit
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(value, -1);
  const std::size_t all = parseHex("zz#a_f", value, 2, 0);
  EXPECT_EQ(all, 4u);
  EXPECT_EQ(value, 0xAF);
}
