#include "console/input.h"
#include "process/bound.h"
#include "process/os.h"
#include "support.h"

using namespace tavik;
using namespace std::string_literals;

// Both forms of readLine against the rule: split at LF, less one CR before it; a last piece unless
// empty.
static std::string expectSplit(const std::string& in) {
  std::FILE *fresh = test::streamOf(in), *reused = test::streamOf(in);
  std::string line = "stale";
  for (std::size_t at = 0, lf; at < in.size(); at = lf + (lf < in.size())) {
    lf = in.find('\n', at);
    const std::string expected =
        in.substr(at, lf - at - (lf < in.size() && lf > at && in[lf - 1] == '\r'));
    EXPECT_TRUE(readLine(fresh) == expected && readLine(reused, line) && line == expected)
        << in.size();
  }
  EXPECT_EQ(test::outcomeOf([&] { return readLine(fresh); }) +
                (readLine(reused, line) ? "|" : "|false") + line,
            "EOFError EOF reached|false");
  return std::fclose(fresh), std::fclose(reused), in;
}

TEST(StreamRoad, SplitsByTheRuleAroundEveryChunkBoundary) {  // chunks of 79 data bytes, then of 127
  std::string all;
  for (const std::size_t length : {0u, 1u, 78u, 79u, 80u, 205u, 206u, 207u, 208u, 333u, 334u})
    for (const char last : {'k', '\r', '\0', '\x1A'})
      for (const std::string ending : {"\n", "\r\n", ""})
        all += expectSplit((length ? std::string(length - 1, 'r') + last : "") + ending);
  expectSplit(all);
}

static std::vector<std::u16string>::const_iterator nextRead,
    endOfScript;                                        // the scripted reads, then failures
static constexpr std::uint32_t errorCode = 0x80070005;  // -2147024891 as a signed number
static std::intptr_t console;
static char16_t systemTextBuffer[] = u"Refus\xE9.\n", *systemText = systemTextBuffer;

static int readConsole(void* handle, char16_t* to, std::uint32_t units, std::int32_t* count,
                       void* control) {
  if (reinterpret_cast<std::intptr_t>(handle) != console || units != 2048 || control)
    return 0;  // a failure
  return nextRead == endOfScript
             ? 0
             : (*count = static_cast<std::int32_t>((nextRead++)->copy(to, units)), 1);
}

static std::uint32_t formatMessage(std::uint32_t flags, const void* source, std::uint32_t code,
                                   std::uint32_t language, char16_t** text, std::uint32_t size,
                                   void* arguments) {
  if (flags != 0x1300 || source || code != errorCode || language || size || arguments)
    return 0;                                       // no text
  return *text = systemText, systemText ? 1u : 0u;  // none once LocalFree has taken it back
}

static void* localFree(void* text) { return text == systemText ? systemText = nullptr : text; }

// The line read, "(end)" or what was raised; " (closed)" when the next read finds the stream
// closed.
static std::string outcome(std::FILE* stream, const std::vector<std::u16string>& script) {
  console = os::osHandle(stream), nextRead = script.begin(), endOfScript = script.end();
  std::string line = "stale", next = "stale";
  line = test::outcomeOf([&] { return readConsoleLine(stream, line) ? line : "(end)" + line; });
  if (readLine(stream, next))
    std::fclose(stream);
  return line + (next == "open" ? "" : " (closed)" + next) + "|\n";
}

TEST(ConsoleRoad, ReadsThroughReadConsoleW) {
  test::Replace read(bound::ReadConsoleW, readConsole);
  test::Replace error(
      bound::GetLastError, +[] { return errorCode; });
  test::Replace format(bound::FormatMessageW, formatMessage);
  test::Replace release(bound::LocalFree, localFree);
  const std::u16string full(2048, u'k');
  const std::pair<std::vector<std::u16string>, std::string> rows[] = {
      {{u"Rock\r\n"}, "Rock"},
      {{u"\r\n"}, ""},
      {{u"x"}, "x"},
      {{u"yes\r"}, "yes\r"},
      {{u"ab\0cd\r\n"s}, "ab"},
      {{u"", u"Rock\r\n"}, "Rock"},
      {{u"ab\x1A"
        u"cd\r\n"},
       "ab (closed)"},
      {{u"x\0y\x1A\r\n"s}, "x (closed)"},
      {{u"\x1A"
        u"ab\r\n"},
       "(end) (closed)"},
      {{}, "IOError error: -2147024891 `Refus\xC3\xA9.\n`"},
      {{u"\xDE00\xD83D\xD83D\xDE00\xD800\r\n"},
       "\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD"},
      {{u"\x7F\x80\x7FF\x800\xFFFF\r\n"}, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {{full, full, u"kk\r\n"}, std::string(4098, 'k')},
      {{full.substr(2) + u"\r\n"}, std::string(2046, 'k')},
      {{full.substr(1) + u"\xD83D", u"\xDE00\r\n"}, std::string(2047, 'k') + "\xF0\x9F\x98\x80"},
      {{full.substr(1) + u"\r", u"\n"}, std::string(2047, 'k')},
      {{full.substr(1)}, std::string(2047, 'k')},
      {{}, "IOError error: -2147024891 ``"}};
  std::string expected;
  for (const auto& row : rows)
    expected += row.second + "|\n";  // no CR LF, which Windows text mode changes
  EXPECT_EXIT(
      {  // closed streams stay on the program's list: a child process reads, on streams made first
        std::vector<std::FILE*> pool;
        while (pool.size() < std::size(rows))
          pool.push_back(test::streamOf("open\n"));
        for (std::size_t i = 0; i < pool.size(); ++i)
          std::fputs(outcome(pool[i], rows[i].first).c_str(), stderr);
        std::exit(0);
      },
      testing::ExitedWithCode(0), testing::Matcher<const std::string&>(expected));
}
