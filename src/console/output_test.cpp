#include "console/output.h"
#include "support.h"

using namespace std::string_literals;

TEST(Output, WritesEveryByteNulBytesIncluded) {
  std::FILE* file = std::tmpfile();
  for (const std::string& text : {"[#] "s, ""s, "x\0y"s, "\0xy"s, "xy\0"s, "\0\0x\0\0y\0"s})
    tavik::write(file, text);
  std::string written(32, '-');
  written.resize(std::fread(written.data(), 1, written.size(), (std::rewind(file), file)));
  EXPECT_EQ(written, "[#] x\0y\0xyxy\0\0\0x\0\0y\0"s);
  std::fclose(file);
}
