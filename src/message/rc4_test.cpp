#include "message/rc4.h"
#include "support.h"

using namespace tavik;

static void rejected(const std::string& text) {  // what fromHex raises for a text it rejects
  raiseException("ValueError", "invalid hex integer: " + text, {"fromHex", 1046, "strutils"});
}
static std::string reportOf(auto action) { return formatReport(test::raisedBy(action)); }

TEST(FromRC4, PublishedVectorsPairsAndFailures) {
  const struct {
    const char *key, *hex, *text;
  } vectors[] = {
      {"Key", "BBF316E8D940AF0AD3", "Plaintext"},
      {"Wiki", "1021bf0420", "pedia"},
      {"Key", "", ""},
      {"Secret", "45A01F645FC35B383552544B9BF5", "Attack at dawn"}};  // the swaps show from byte 11
  for (const auto& row : vectors)
    EXPECT_EQ(fromRC4(row.key, row.hex), row.text) << row.hex;
  EXPECT_EQ(reportOf([] { fromRC4("Key", "ABC"); }), reportOf([] { raiseIndexError2(3, 2); }));
  EXPECT_EQ(reportOf([] { fromRC4("", "AB"); }), reportOf([] { raiseIndexError2(0, -1); }));
  EXPECT_EQ(reportOf([] { fromRC4("Key", "AB0G"); }), reportOf([] { rejected("0G"); }));
  for (const char* text : {"#A", "_A", "A_", "0A"})
    EXPECT_EQ(fromHex(text), 10) << text;
  for (const std::string text : {"0x", "__", "##", "G1", " 1"})
    EXPECT_EQ(reportOf([&] { fromHex(text); }), reportOf([&] { rejected(text); }));
  std::int64_t value =
      0;  // "0X1_f": prefix and underscore counted; then "#_": no digit, value left alone
  EXPECT_EQ((std::tuple{parseHex("zz0X1_f2", value, 2, 5), parseHex("#_1", value, 0, 2), value}),
            std::tuple(5u, 0u, 0x1F));
}
