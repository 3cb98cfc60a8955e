#include <cerrno>

#include "console/input.h"
#include "support.h"

using namespace tavik;

// A stream's reads: the bytes up to each '|', which stands for a read that a signal interrupts,
// then the end of input, as often as it is read.
struct Script {
  std::string_view reads;
  int endsRead = 0;
};

static ssize_t readScript(void* cookie, char* buffer, std::size_t size) {
  Script& script = *static_cast<Script*>(cookie);
  if (script.reads.starts_with('|')) {
    script.reads.remove_prefix(1);
    errno = EINTR;
    return -1;
  }
  const std::size_t read = script.reads.substr(0, script.reads.find('|')).copy(buffer, size);
  script.reads.remove_prefix(read);
  if (read == 0)
    ++script.endsRead;
  return static_cast<ssize_t>(read);
}

// An interrupted read is read again, after the bytes it stored; an EINTR left in errno at the end
// of input is not.
TEST(StreamRoad, ReadsAgainAfterAnInterruptedRead) {
  const struct {
    const char* name;
    std::string reads;
    std::string line;
  } rows[] = {
      {"before the first byte", "|rock\n", "rock"},
      {"within the line", "ro|ck\n", "rock"},
      {"beyond the first chunk", "ro|" + std::string(99, 'r') + "\n", "ro" + std::string(99, 'r')},
      {"before the end of input", "ro|", "ro"},
  };
  for (const auto& row : rows) {
    Script script{row.reads};
    std::FILE* input = fopencookie(&script, "r", {readScript, nullptr, nullptr, nullptr});
    Line line;
    readLine(input, line);
    EXPECT_EQ(view(line), row.line) << row.name;
    errno = EINTR;
    readLine(input, line);  // at the end of input
    EXPECT_EQ(script.endsRead, 1) << row.name;
    EXPECT_EQ(std::fclose(input), 0);
  }
}
