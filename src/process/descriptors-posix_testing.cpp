#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "process/descriptors_testing.h"

namespace tavik::descriptors {

int duplicate(int fd) { return dup(fd); }

void redirect(int fd, int source) { dup2(source, fd); }

void close(int fd) { ::close(fd); }

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

std::string contents(int fd) {
  std::string bytes;
  char chunk[4096];
  for (ssize_t got; (got = pread(fd, chunk, sizeof chunk, static_cast<off_t>(bytes.size()))) > 0;) {
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::FILE* openUnwritable() { return std::fopen("/dev/full", "w"); }

}  // namespace tavik::descriptors
