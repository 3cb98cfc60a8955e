#include "console/output.h"

#include <string>

#include <gtest/gtest.h>

#include "console/input.h"
#include "process/descriptors_testing.h"
#include "process/failure.h"
#include "process/raised_testing.h"

namespace tavik {
namespace {

using namespace std::string_literals;

std::string contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int byte; (byte = std::fgetc(file)) != EOF;) text += static_cast<char>(byte);
  return text;
}

// Points standard output's descriptor at `target` until destroyed.
struct StdoutTo {
  explicit StdoutTo(std::FILE* target) {
    std::fflush(stdout);
    descriptors::redirect(fileno(stdout), fileno(target));
  }
  ~StdoutTo() {
    std::fflush(stdout);
    std::clearerr(stdout);
    descriptors::redirect(fileno(stdout), saved);
    descriptors::close(saved);
  }
  int saved = descriptors::duplicate(fileno(stdout));
};

std::string echoed(std::initializer_list<std::string> texts) {
  std::FILE* file = std::tmpfile();
  {
    StdoutTo redirect(file);
    echoBinSafe(texts);
  }
  std::string text = contents(file);
  std::fclose(file);
  return text;
}

TEST(EchoBinSafe, WritesTheTextsAndOneLineFeed) {
  EXPECT_EQ(echoed({""}), "\x0A");
  EXPECT_EQ(echoed({"a\0b"s}), "a\0b\x0A"s);
  EXPECT_EQ(echoed({"[#] I win!"}), "[#] I win!\x0A");
  EXPECT_EQ(echoed({"[#] I chose: ", "paper"}), "[#] I chose: paper\x0A");
  EXPECT_EQ(echoed({"\0"s, "\0\0x"s}), "\0\0\0x\x0A"s);
}

TEST(Write, IsByteExactWithNulBytes) {
  std::string nulEvery7(10000, 'q');
  for (std::size_t i = 0; i < nulEvery7.size(); i += 7) nulEvery7[i] = '\0';
  const std::string texts[] = {""s,     "\0"s,    "\0\0a"s, "a\0\0b\0"s, "rock\r\n"s,
                               "\xF0\x9F\x98\x80"s, "end\0"s, nulEvery7};
  std::FILE* file = std::tmpfile();
  std::string expected;
  for (const std::string& text : texts) {
    write(file, text);
    expected += text;
  }
  EXPECT_EQ(contents(file), expected);
  std::fclose(file);
}

TEST(Write, FailureRaisesIOError) {
  std::FILE* full = descriptors::openUnwritable();
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  for (const std::string& text : {"abc"s, "\0abc"s, "ab\0"s}) {
    Exception e = raisedBy([&] { write(full, text); });
    EXPECT_STREQ(e.name, "IOError");
    EXPECT_EQ(e.msg, "cannot write string to file");
    std::clearerr(full);
  }
  writeWindows(full, "ab\0c"s, false);  // quiet without the raise flag
  std::fclose(full);

  // Buffered: the text lands in the buffer and only the flush fails. The next
  // write goes into the emptied buffer again and still has to fail.
  full = descriptors::openUnwritable();
  ASSERT_NE(full, nullptr);
  write(full, "[#] Ready?\n");
  flushFile(full);
  Exception e = raisedBy([&] { write(full, "[>] "); });
  EXPECT_STREQ(e.name, "IOError");
  EXPECT_EQ(e.msg, "cannot write string to file");
  std::fclose(full);
}

TEST(EchoBinSafe, StaysQuietOnAFailingStdoutAndTheNextPromptRaises) {
  std::FILE* full = descriptors::openUnwritable();
  ASSERT_NE(full, nullptr);
  {
    StdoutTo redirect(full);
    echoBinSafe({"[#] Ready?"});
    echoBinSafe({"a\0b"s, "c"});
    Exception e = raisedBy([] { readLineFromStdin("[>] "); });
    EXPECT_STREQ(e.name, "IOError");
    EXPECT_EQ(e.msg, "cannot write string to file");
  }
  std::fclose(full);
}

TEST(RawWrite, WritesUpToTheFirstNulAndFlushes) {
  std::FILE* file = std::tmpfile();
  rawWrite(file, "could not\0 load");
  rawWrite(file, nullptr);
  rawWrite(file, "\n");
  // No fflush here: rawWrite must have flushed already.
  EXPECT_EQ(descriptors::contents(fileno(file)), "could not\n");
  std::fclose(file);
}

}  // namespace
}  // namespace tavik
