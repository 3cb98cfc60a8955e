#include <io.h>
#include <fcntl.h>

#include "support.h"

namespace tavik::test {

// A pipe whose reading end is closed: every write fails.
std::FILE* unwritableStream() {
  int ends[2];
  _pipe(ends, 4096, _O_BINARY);
  _close(ends[0]);
  return _fdopen(ends[1], "wb");
}

Redirect::Redirect(std::FILE* standard, std::FILE* to)
    : standard_(standard), saved_(_dup(_fileno(standard))) {
  std::fflush(standard);
  _dup2(_fileno(to), _fileno(standard));
  std::clearerr(standard);
}

Redirect::~Redirect() {
  std::fflush(standard_);
  _dup2(saved_, _fileno(standard_));
  _close(saved_);
  std::clearerr(standard_);
}

}  // namespace tavik::test
