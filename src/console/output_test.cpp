#include "console/output.h"
#include "support.h"

using namespace std::string_literals;

TEST(Output, WritesEveryByteNulBytesIncluded) {
  for (const std::string& text : {"[#] "s, ""s, "x\0y"s, "\0xy"s, "xy\0"s, "\0\0x\0\0y\0"s}) {
    std::FILE* file = std::tmpfile();
    tavik::write(file, text);
    std::rewind(file);
    std::string written(16, '-');
    written.resize(std::fread(written.data(), 1, written.size(), file));
    EXPECT_EQ(written, text);
    EXPECT_EQ(std::fclose(file), 0);
  }
}
