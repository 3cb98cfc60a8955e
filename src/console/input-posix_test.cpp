#include <cerrno>

#include "console/input.h"
#include "support.h"

static ssize_t readInterruptedOnce(void* cookie, char* buffer, std::size_t size) {
  int& reads = *static_cast<int*>(cookie);
  ++reads;
  if (reads == 1) {
    errno = EINTR;
    return -1;
  }
  const std::string data = reads == 2 ? "rock\n" : "";
  return static_cast<ssize_t>(data.copy(buffer, size));
}

// An interrupted read is read again; an EINTR left in errno at the end of input is not.
TEST(StreamRoad, ReadsAgainAfterAnInterruptedRead) {
  int reads = 0;
  std::FILE* input = fopencookie(&reads, "r", {readInterruptedOnce, nullptr, nullptr, nullptr});
  const tavik::Line line = tavik::readLine(input);
  EXPECT_EQ(view(line), "rock");
  errno = EINTR;
  const tavik::Exception end = tavik::test::raisedBy([input] { tavik::readLine(input); });
  EXPECT_STREQ(end.name, "EOFError");
  EXPECT_EQ(end.msg, "EOF reached");
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(std::fclose(input), 0);
}
