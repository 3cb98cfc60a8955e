#include <unistd.h>

#include "support.h"

namespace tavik::test {

Redirect::Redirect(std::FILE* stream, std::FILE* to) : standard(stream), saved(dup(fileno(stream))) {
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
