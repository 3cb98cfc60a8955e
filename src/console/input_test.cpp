#include "console/input.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process/bound.h"
#include "process/descriptors_testing.h"
#include "process/failure.h"
#include "process/os.h"
#include "process/raised_testing.h"

namespace tavik {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

// All lines of the input: through one reused text (so the first chunk grows
// with the previous line), or through a fresh text for each line.
Lines linesOf(const std::string& input, bool reuse) {
  std::FILE* stream = streamOf(input);
  Lines lines;
  std::string line;
  for (;;) {
    if (!reuse) line = std::string();
    if (!readLine(stream, line)) break;
    lines.push_back(line);
    if (lines.size() > input.size()) {
      ADD_FAILURE() << "more lines than bytes: the end of input was missed";
      break;
    }
  }
  std::fclose(stream);
  return lines;
}

// The lines as they must come back: split at each line feed, one CR directly
// before it dropped, a last piece without a line feed kept unless empty.
Lines referenceSplit(const std::string& input) {
  Lines lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = input.find('\n', start)) != std::string::npos; start = lf + 1) {
    std::string line = input.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (start < input.size()) lines.push_back(input.substr(start));
  return lines;
}

std::string body(std::size_t length, char last) {
  std::string text;
  for (std::size_t i = 0; i + 1 < length; ++i) text += static_cast<char>('a' + i % 26);
  return text + last;
}

TEST(StreamRoad, EdgeCases) {
  const struct {
    std::string input;
    Lines lines;
  } cases[] = {
      {"rock\n", {"rock"}},
      {"rock\r\n", {"rock"}},
      {"rock", {"rock"}},
      {"\npaper\n", {"", "paper"}},
      {"a\rb\n", {"a\rb"}},
      {"rock\r", {"rock\r"}},
      {"ro\0ck\n"s, {"ro\0ck"s}},
      {"ab\0\n"s, {"ab\0"s}},
      {"\0"s, {"\0"s}},
      {"\r\n\r\r\n", {"", "\r"}},
      {"a\x1A" "b\n\x1A", {"a\x1A" "b", "\x1A"}},
      {std::string(300, 's') + "\n", {std::string(300, 's')}},
      {std::string(79, 'r') + "\n", {std::string(79, 'r')}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(linesOf(c.input, false), c.lines) << testing::PrintToString(c.input);
    EXPECT_EQ(linesOf(c.input, true), c.lines) << testing::PrintToString(c.input);
  }
}

// First chunk: 79 data bytes; each further one 127 more (ends at 206, 333, ...).
TEST(StreamRoad, LinesAtChunkBoundariesComeBackExactly) {
  std::string all;
  Lines expected;
  for (std::size_t length : {1u, 77u, 78u, 79u, 80u, 81u, 204u, 205u, 206u, 207u, 332u, 333u, 334u}) {
    for (char last : {'\0', '\r', 'x'}) {
      const std::string line = body(length, last);
      EXPECT_EQ(linesOf(line, false), Lines{line}) << length << " bytes, no line feed";
      const Lines withLf = {last == '\r' ? line.substr(0, length - 1) : line};
      EXPECT_EQ(linesOf(line + "\n", false), withLf) << length << " bytes and a line feed";
      EXPECT_EQ(linesOf(line + "\r\n", false), Lines{line}) << length << " bytes, CR LF";
      all += line + "\n";
      expected.push_back(withLf[0]);
    }
  }
  EXPECT_EQ(linesOf(all, false), expected);
  EXPECT_EQ(linesOf(all, true), expected);
}

TEST(StreamRoad, RandomInputsMatchTheReferenceSplit) {
  std::mt19937 generator(20240611);
  const char alphabet[] = {'a', 'b', '\0', '\r', '\n', '\x1A'};
  for (int round = 0; round < 300; ++round) {
    std::string input;
    const std::size_t length = generator() % 700;
    const std::size_t spread = 1 + generator() % 40;  // few or many line feeds
    for (std::size_t i = 0; i < length; ++i) {
      const std::size_t pick = generator() % (spread + 5);
      input += pick < spread ? alphabet[generator() % 2] : alphabet[pick - spread + 1];
    }
    const Lines expected = referenceSplit(input);
    ASSERT_EQ(linesOf(input, false), expected) << testing::PrintToString(input);
    ASSERT_EQ(linesOf(input, true), expected) << testing::PrintToString(input);
  }
}

TEST(StreamRoad, LongLineComesBackWholeInLinearTime) {
  std::string big(8 << 20, 'z');
  for (std::size_t i = 0; i < big.size(); i += 1000) big[i] = (i / 1000) % 2 ? '\0' : '\r';
  const auto start = std::chrono::steady_clock::now();
  const Lines lines = linesOf(big + "\r\ntail", false);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0] == big);
  EXPECT_EQ(lines[1], "tail");
  EXPECT_LT(seconds.count(), 5.0);
}

// A long line from a file is stored once: when it passes a MiB, room is made
// for the rest of the file instead of doubling and copying again and again.
TEST(StreamRoad, LongLineFromAFileIsNotCopiedOnAndOn) {
  const std::string big(6 << 20, 'x');
  std::FILE* stream = streamOf(big + "\nnext\n");
  std::string line;
  ASSERT_TRUE(readLine(stream, line));
  EXPECT_TRUE(line == big);
  EXPECT_LE(line.capacity(), big.size() + 256);  // doubling leaves 6.5 MiB or more
  EXPECT_EQ(readLine(stream), "next");
  std::fclose(stream);
}

TEST(StreamRoad, EndOfInput) {
  std::FILE* stream = streamOf("last");
  EXPECT_EQ(readLine(stream), "last");
  Exception e = raisedBy([&] { readLine(stream); });
  EXPECT_STREQ(e.name, "EOFError");
  EXPECT_EQ(e.msg, "EOF reached");
  std::string line = "stale text";
  EXPECT_FALSE(readLine(stream, line));
  EXPECT_EQ(line, "");
  std::fclose(stream);
}

// Standard input and output pointed at files for one test.
struct StandardStreamsTo {
  StandardStreamsTo(std::FILE* input, std::FILE* output) {
    std::fflush(stdout);
    descriptors::redirect(fileno(stdin), fileno(input));
    descriptors::redirect(fileno(stdout), fileno(output));
  }
  ~StandardStreamsTo() {
    std::fflush(stdout);
    std::clearerr(stdin);
    descriptors::redirect(fileno(stdin), savedIn);
    descriptors::redirect(fileno(stdout), savedOut);
    descriptors::close(savedIn);
    descriptors::close(savedOut);
  }
  int savedIn = descriptors::duplicate(fileno(stdin));
  int savedOut = descriptors::duplicate(fileno(stdout));
};

TEST(ReadLineFromStdin, WritesAndFlushesThePromptThenReads) {
  std::FILE* input = streamOf("Rock\r\n");
  std::FILE* output = std::tmpfile();
  std::string shown;
  {
    StandardStreamsTo redirect(input, output);
    EXPECT_EQ(readLineFromStdin("[>] "), "Rock");
    shown = descriptors::contents(fileno(output));  // flushed already
    Exception e = raisedBy([] { readLineFromStdin("[yes/no] > "); });
    EXPECT_STREQ(e.name, "EOFError");
    EXPECT_EQ(e.msg, "EOF reached");
  }
  EXPECT_EQ(shown, "[>] ");
  std::fclose(input);
  std::fclose(output);
}

// The console road with a scripted ReadConsoleW.
namespace script {
std::vector<std::u16string> reads;
std::size_t next = 0;
void* handle = nullptr;
std::uint32_t errorCode = 0;
bool formatFails = false;
std::vector<char16_t> systemText;
std::vector<void*> freed;

int readConsole(void* console, char16_t* buffer, std::uint32_t unitsToRead, std::int32_t* unitsRead,
                void* inputControl) {
  handle = console;
  EXPECT_EQ(unitsToRead, 2048u);
  EXPECT_EQ(inputControl, nullptr);
  if (next == reads.size()) return 0;  // fails like a handle that is no console
  const std::u16string& units = reads[next++];
  units.copy(buffer, units.size());
  *unitsRead = static_cast<std::int32_t>(units.size());
  return 1;
}
std::uint32_t lastError() { return errorCode; }
std::uint32_t formatMessage(std::uint32_t flags, const void* source, std::uint32_t messageId,
                            std::uint32_t languageId, char16_t** buffer, std::uint32_t size,
                            void* arguments) {
  EXPECT_EQ(flags, 0x1300u);
  EXPECT_EQ(source, nullptr);
  EXPECT_EQ(messageId, errorCode);
  EXPECT_EQ(languageId, 0u);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(arguments, nullptr);
  if (formatFails) return 0;
  *buffer = systemText.data();
  return static_cast<std::uint32_t>(systemText.size() - 1);
}
void* localFree(void* memory) {
  freed.push_back(memory);
  return nullptr;
}
}  // namespace script

class ConsoleRoad : public testing::Test {
 protected:
  void SetUp() override {
    script::reads.clear();
    script::next = 0;
    script::freed.clear();
    script::formatFails = false;
    bound::ReadConsoleW = script::readConsole;
    bound::GetLastError = script::lastError;
    bound::FormatMessageW = script::formatMessage;
    bound::LocalFree = script::localFree;
  }
  void TearDown() override {
    bound::ReadConsoleW = savedRead;
    bound::GetLastError = savedLastError;
    bound::FormatMessageW = savedFormat;
    bound::LocalFree = savedFree;
    std::fclose(file);
  }
  // The line the scripted reads give, or nothing at end of input. Every read
  // of the script must have been used.
  std::optional<std::string> lineOf(std::vector<std::u16string> reads) {
    script::reads = std::move(reads);
    script::next = 0;
    std::string line = "stale text";
    void* const handle = reinterpret_cast<void*>(os::osHandle(file));
    const bool read = readConsoleLine(file, line);
    EXPECT_EQ(script::next, script::reads.size());
    EXPECT_EQ(script::handle, handle);
    if (!read) {
      EXPECT_EQ(line, "");
    }
    return read ? std::optional(line) : std::nullopt;
  }

  std::FILE* file = std::tmpfile();  // stands for the console; never closed by these cases
  decltype(bound::ReadConsoleW) savedRead = bound::ReadConsoleW;
  decltype(bound::GetLastError) savedLastError = bound::GetLastError;
  decltype(bound::FormatMessageW) savedFormat = bound::FormatMessageW;
  decltype(bound::LocalFree) savedFree = bound::LocalFree;
};

TEST_F(ConsoleRoad, Lines) {
  EXPECT_EQ(lineOf({u"Rock\r\n"}), "Rock");
  EXPECT_EQ(lineOf({u"\r\n"}), "");
  EXPECT_EQ(lineOf({u"\xD83D\xDE00\r\n"}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(lineOf({u"\xE9t\xE9\r\n"}), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(lineOf({std::u16string(u"ab\0cd\r\n", 7)}), "ab");
  EXPECT_EQ(lineOf({u"a\rb\r\n"}), "a\rb");
}

TEST_F(ConsoleRoad, LineSplitAcrossReads) {
  EXPECT_EQ(lineOf({u"\xD83D", u"\xDE00\r\n"}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(lineOf({u"yes\r", u"\n"}), "yes");
  EXPECT_EQ(lineOf({u"x", u"\r", u"\n"}), "x");
  EXPECT_EQ(lineOf({u"", u"", u"Rock\r\n"}), "Rock");  // interrupted reads
  EXPECT_EQ(lineOf({u"\r", u"\n"}), "");

  std::u16string long5000;
  for (int i = 0; i < 5000; ++i) long5000 += static_cast<char16_t>(u'a' + i % 26);
  const std::u16string withEnd = long5000 + u"\r\n";
  const std::string expected(long5000.begin(), long5000.end());
  EXPECT_EQ(lineOf({withEnd.substr(0, 2048), withEnd.substr(2048, 2048), withEnd.substr(4096)}),
            expected);
}

TEST_F(ConsoleRoad, CtrlZEndsTheInputAndClosesTheStream) {
  auto check = [this](std::vector<std::u16string> reads, std::optional<std::string> line) {
    EXPECT_EXIT(
        {
          const int fd = fileno(file);
          const bool first = lineOf(reads) == line;
          const bool closed = !descriptors::isOpen(fd);
          std::string later = "stale text";
          const bool ended = !readLine(file, later) && later.empty();
          bool endOfInput = false;
          try {
            readLine(file);
          } catch (const Exception& e) {
            endOfInput = e.msg == "EOF reached";
          }
          close(file);  // must not close it a second time
          std::fprintf(stderr, "line %d closed %d ended %d EOFError %d", first, closed, ended,
                       endOfInput);
          std::exit(first && closed && ended && endOfInput && !testing::Test::HasFailure() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "line 1 closed 1 ended 1 EOFError 1");
  };
  check({u"\x1A\r\n"}, std::nullopt);
  check({u"ab\x1A" u"cd\r\n"}, "ab");
  check({u"\x1A" u"ab\r\n"}, std::nullopt);
  std::u16string longLine(3000, u'k');
  longLine[2] = 0x1A;
  check({longLine.substr(0, 2048), longLine.substr(2048) + u"\r\n"}, "kk");
}

TEST_F(ConsoleRoad, ReadFailureRaisesIOErrorWithTheSystemText) {
  const std::u16string text = u"The handle is invalid.\r\n";
  script::systemText.assign(text.begin(), text.end());
  script::systemText.push_back(0);
  script::errorCode = 6;
  std::string line;
  Exception e = raisedBy([&] { readConsoleLine(file, line); });
  EXPECT_STREQ(e.name, "IOError");
  EXPECT_EQ(e.msg, "error: 6 `The handle is invalid.\r\n`");
  EXPECT_EQ(script::freed, std::vector<void*>{script::systemText.data()});

  script::freed.clear();
  script::formatFails = true;
  script::errorCode = 1;
  e = raisedBy([&] { readConsoleLine(file, line); });
  EXPECT_EQ(e.msg, "error: 1 ``");
  script::errorCode = 0x80070005;
  e = raisedBy([&] { readConsoleLine(file, line); });
  EXPECT_EQ(e.msg, "error: -2147024891 ``");
  EXPECT_TRUE(script::freed.empty());
}

}  // namespace
}  // namespace tavik
