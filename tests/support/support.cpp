#include "support.h"

namespace tavik::test {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::rewind(file);
  return file;
}

}  // namespace tavik::test
