#include <io.h>

#include "support.h"

namespace tavik::test {

Redirect::Redirect(std::FILE* stream, std::FILE* to) : standard(stream), saved(_dup(_fileno(stream))) {
  std::fflush(stream);
  _dup2(_fileno(to), _fileno(stream));
}

Redirect::~Redirect() {
  std::fflush(standard);
  _dup2(saved, _fileno(standard));
  _close(saved);
  std::clearerr(standard);
}

}  // namespace tavik::test
