#include <fcntl.h>
#include <io.h>

#include "process/descriptors_testing.h"

namespace tavik::descriptors {

int duplicate(int fd) { return _dup(fd); }

void redirect(int fd, int source) { _dup2(source, fd); }

void close(int fd) { _close(fd); }

bool isOpen(int fd) { return _get_osfhandle(fd) != -1; }

std::string contents(int fd) {
  const long long position = _lseeki64(fd, 0, SEEK_CUR);
  _lseeki64(fd, 0, SEEK_SET);
  std::string bytes;
  char chunk[4096];
  for (int got; (got = _read(fd, chunk, sizeof chunk)) > 0;) {
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  _lseeki64(fd, position, SEEK_SET);
  return bytes;
}

std::FILE* openUnwritable() {
  int ends[2];
  if (_pipe(ends, 4096, _O_BINARY) != 0) return nullptr;
  _close(ends[0]);
  return _fdopen(ends[1], "wb");
}

}  // namespace tavik::descriptors
