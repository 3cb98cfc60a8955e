#include "console/output.h"
#include "support.h"

using namespace std::string_literals;

TEST(Output, WritesEveryByteNulBytesIncluded) {
  for (const std::string& text : {"[#] "s, ""s, "x\0y"s, "\0xy"s, "xy\0"s, "\0\0x\0\0y\0"s}) {
    testing::internal::CaptureStdout();
    tavik::write(stdout, text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), text);
  }
}
