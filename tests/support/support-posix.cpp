#include <unistd.h>

#include "support.h"

namespace tavik::test {

std::FILE* unwritableStream() { return std::fopen("/dev/full", "w"); }

Redirect::Redirect(std::FILE* standard, std::FILE* to)
    : standard_(standard), saved_(dup(fileno(standard))) {
  std::fflush(standard);
  dup2(fileno(to), fileno(standard));
  std::clearerr(standard);
}

Redirect::~Redirect() {
  std::fflush(standard_);
  dup2(saved_, fileno(standard_));
  ::close(saved_);
  std::clearerr(standard_);
}

}  // namespace tavik::test
