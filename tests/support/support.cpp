#include "support.h"

#include <unistd.h>  // dup, dup2: MinGW-w64 has them too

namespace tavik::test {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

Redirect::Redirect(std::FILE* stream, std::FILE* to)
    : standard(stream), saved(dup(fileno(stream))) {
  std::fflush(stream);
  dup2(fileno(to), fileno(stream));
}

Redirect::~Redirect() {
  std::fflush(standard);
  dup2(saved, fileno(standard));
  close(saved);
  std::clearerr(standard);
}

}  // namespace tavik::test
