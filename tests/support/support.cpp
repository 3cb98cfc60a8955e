#include "support.h"

namespace tavik::test {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

}  // namespace tavik::test
