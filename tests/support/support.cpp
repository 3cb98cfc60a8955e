#include "support.h"

namespace tavik::test {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

std::string contentsOf(std::FILE* stream) {
  std::fflush(stream);
  const long position = std::ftell(stream);
  std::rewind(stream);
  std::string bytes;
  for (int c; (c = std::fgetc(stream)) != EOF;) bytes += static_cast<char>(c);
  std::fseek(stream, position, SEEK_SET);
  return bytes;
}

}  // namespace tavik::test
