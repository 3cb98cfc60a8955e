#include "console/input.h"

#include <iostream>
#include <sstream>
#include <vector>

#include "process/bound.h"
#include "process/os.h"
#include "support.h"

using namespace tavik;
using namespace std::string_literals;

static std::FILE* streamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::rewind(file);
  return file;
}

// Reads the input to its end: each line ends at a line feed, less one CR directly before it, and
// what follows the last line feed is one more line unless it is empty (as std::getline splits).
static void expectLinesOf(const std::string& input) {
  SCOPED_TRACE("an input of " + std::to_string(input.size()) + " bytes");
  std::FILE* stream = streamOf(input);
  std::istringstream lines(input);
  Line line = lineOf("stale");  // each line is read into the text of the line before
  for (std::string expected; std::getline(lines, expected);) {
    if (!lines.eof() && expected.ends_with('\r'))
      expected.pop_back();  // the line's own line feed followed it
    const bool filled = readLine(stream, line);
    EXPECT_TRUE(filled);
    EXPECT_EQ(view(line), expected);
  }
  const bool filled = readLine(stream, line);
  EXPECT_FALSE(filled);
  EXPECT_EQ(view(line), "");
  EXPECT_EQ(std::fclose(stream), 0);
}

// Chunks hold 79 bytes of a line, then 127 more each. The longest line moves to a block of its own.
TEST(StreamRoad, SplitsLinesAroundEveryChunkBoundary) {
  for (const std::size_t length : {0u, 77u, 78u, 79u, 204u, 205u, 206u, 207u, 332u, 333u, 3u << 19})
    for (const std::string& last : {""s, "k"s, "\r"s, "\0"s, "\x1A"s})
      for (const std::string ending : {"\n", "\r\n", ""})
        expectLinesOf(std::string(length, 'r').append(last).append(ending));
  // The first chunk holds as many bytes as the line before, less one: 131 + 515 * 127 is 64 KiB.
  expectLinesOf(std::string(132, 'r') + "\n" + std::string(3u << 20, 'r'));
}

// A console whose reads are a script, and which fails with error 0x80070005 after the last.
static std::vector<std::u16string> script;
static std::intptr_t console = 0;  // the handle the reads must be given
static char16_t systemText[] = u"Refus\xE9.\n";

static int readConsole(void* handle, char16_t* to, std::uint32_t units, std::int32_t* count,
                       void*) {
  if (reinterpret_cast<std::intptr_t>(handle) != console || units != 2048 || script.empty())
    return 0;
  *count = static_cast<std::int32_t>(script.front().copy(to, units));
  script.erase(script.begin());
  return 1;
}

static std::uint32_t accessDenied() { return 0x80070005; }

static std::uint32_t formatMessage(std::uint32_t flags, const void*, std::uint32_t code,
                                   std::uint32_t language, char16_t** text, std::uint32_t, void*) {
  if (flags != 0x1300 || code != 0x80070005 || language != 0)
    return 0;
  *text = systemText;
  return 1;
}

static void* localFree(void* text) {
  if (text == systemText)
    std::cerr << "(text given back) ";
  return nullptr;
}

// Writes the line read ("(end)" at the end of input) or what was raised, and " (closed)" when the
// stream reads as ended. In a child: a closed stream is known by an address a later one may get.
[[noreturn]] static void readInAChild(const std::vector<std::u16string>& given) {
  std::FILE* stream = streamOf("open\n");
  console = os::osHandle(stream);
  script = given;
  Line line = lineOf("stale");
  try {
    const bool read = readConsoleLine(stream, line);
    std::cerr << (read ? "" : "(end)") << view(line);
  } catch (const Exception& e) {
    std::cerr << e.name << ' ' << e.msg;
  }
  const bool open = readLine(stream, line);
  std::cerr << (open ? "" : " (closed)");
  std::exit(0);  // a failed write fails the test all the same
}

TEST(ConsoleRoad, ReadsALineThroughReadConsoleW) {
  test::Replace read(bound::ReadConsoleW, readConsole);
  test::Replace error(bound::GetLastError, accessDenied);
  test::Replace format(bound::FormatMessageW, formatMessage);
  test::Replace release(bound::LocalFree, localFree);
  const std::u16string full(2048, u'k');  // a read that fills the buffer
  const std::u16string most(2047, u'k');
  const std::string fffd = "\xEF\xBF\xBD";      // U+FFFD REPLACEMENT CHARACTER
  const std::string grin = "\xF0\x9F\x98\x80";  // U+1F600 GRINNING FACE
  const struct {
    const char* name;
    std::vector<std::u16string> reads;
    std::string outcome;
  } rows[] = {
      {"an empty line", {u"\r\n"}, ""},
      {"a CR alone stays", {u"yes\r"}, "yes\r"},
      {"no unit: read again", {u"", u"Rock\r\n"}, "Rock"},
      {"Ctrl+Z", {u"ab\u001Acd\r\n"}, "ab (closed)"},
      {"Ctrl+Z after a 0 unit", {u"x\0y\u001A\r\n"s}, "x (closed)"},
      {"Ctrl+Z first", {u"\u001Aab\r\n"}, "(end) (closed)"},
      {"surrogates", {u"\xDFFF\xD83D\xD83D\xDE00\xDBFF\r\n"}, fffd + fffd + grin + fffd},
      {"sizes", {u"\x7F\x80\x7FF\x800\xFFFF\r\n"}, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {"full reads joined", {full, full, u"kk\r\n"}, std::string(4098, 'k')},
      {"a full read ending the line", {full.substr(2) + u"\r\n"}, std::string(2046, 'k')},
      {"2047 units", {most}, std::string(2047, 'k')},
      {"CR LF across reads", {most + u"\r", u"\n"}, std::string(2047, 'k')},
      {"a pair across reads", {most + u"\xD83D", u"\xDE00\r\n"}, std::string(2047, 'k') + grin},
      {"a failed read", {}, "(text given back) IOError error: -2147024891 `Refus\xC3\xA9.\n`"},
  };
  for (const auto& row : rows)
    EXPECT_EXIT(readInAChild(row.reads), testing::ExitedWithCode(0),
                testing::Matcher<const std::string&>(row.outcome))
        << row.name;
}
