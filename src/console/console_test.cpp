#include "console/input.h"
#include "console/lower.h"
#include "console/output.h"
#include "console/pause.h"
#include "process/bound.h"
#include "process/os.h"
#include "support.h"

using namespace tavik;
using namespace std::string_literals;

template <class Action> static std::string outcomeOf(Action action) {  // its result, or what it raised
  try { return action(); } catch (const Exception& e) { return e.name + " "s + e.msg; }
}

// Both forms of readLine against the rule: split at LF, less one CR before it; a last piece unless empty.
static std::string expectSplit(const std::string& in) {
  std::FILE *fresh = test::streamOf(in), *reused = test::streamOf(in);
  std::string line = "stale";
  for (std::size_t at = 0, lf; at < in.size(); at = lf + (lf < in.size())) {
    lf = in.find('\n', at);
    const std::string expected = in.substr(at, lf - at - (lf < in.size() && lf > at && in[lf - 1] == '\r'));
    EXPECT_TRUE(readLine(fresh) == expected && readLine(reused, line) && line == expected) << in.size();
  }
  EXPECT_EQ(outcomeOf([&] { return readLine(fresh); }) + (readLine(reused, line) ? "|" : "|false") + line,
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

static std::vector<std::u16string>::const_iterator nextRead, endOfScript;  // the scripted reads, then failures
static constexpr std::uint32_t errorCode = 0x80070005;  // -2147024891 as a signed number
static std::intptr_t console;
static char16_t systemTextBuffer[] = u"Refus\xE9.\n", *systemText = systemTextBuffer;

static int readConsole(void* handle, char16_t* to, std::uint32_t units, std::int32_t* count, void* control) {
  if (reinterpret_cast<std::intptr_t>(handle) != console || units != 2048 || control) return 0;  // a failure
  return nextRead == endOfScript ? 0 : (*count = static_cast<std::int32_t>((nextRead++)->copy(to, units)), 1);
}

static std::uint32_t formatMessage(std::uint32_t flags, const void* source, std::uint32_t code,
    std::uint32_t language, char16_t** text, std::uint32_t size, void* arguments) {
  if (flags != 0x1300 || source || code != errorCode || language || size || arguments) return 0;  // no text
  return *text = systemText, systemText ? 1u : 0u;  // none once LocalFree has taken it back
}

static void* localFree(void* text) { return text == systemText ? systemText = nullptr : text; }

// The line read, "(end)" or what was raised; " (closed)" when the next read finds the stream closed.
static std::string outcome(std::FILE* stream, const std::vector<std::u16string>& script) {
  console = os::osHandle(stream), nextRead = script.begin(), endOfScript = script.end();
  std::string line = "stale", next = "stale";
  line = outcomeOf([&] { return readConsoleLine(stream, line) ? line : "(end)" + line; });
  if (readLine(stream, next)) std::fclose(stream);
  return line + (next == "open" ? "" : " (closed)" + next) + "|\n";
}

TEST(ConsoleRoad, ReadsThroughReadConsoleW) {
  test::Replace read(bound::ReadConsoleW, readConsole);
  test::Replace error(bound::GetLastError, +[] { return errorCode; });
  test::Replace format(bound::FormatMessageW, formatMessage);
  test::Replace release(bound::LocalFree, localFree);
  const std::u16string full(2048, u'k');
  const std::pair<std::vector<std::u16string>, std::string> rows[] = {
      {{u"Rock\r\n"}, "Rock"}, {{u"\r\n"}, ""}, {{u"x"}, "x"}, {{u"yes\r"}, "yes\r"}, {{u"ab\0cd\r\n"s}, "ab"},
      {{u"", u"Rock\r\n"}, "Rock"}, {{u"ab\x1A" u"cd\r\n"}, "ab (closed)"}, {{u"x\0y\x1A\r\n"s}, "x (closed)"},
      {{u"\x1A" u"ab\r\n"}, "(end) (closed)"}, {{}, "IOError error: -2147024891 `Refus\xC3\xA9.\n`"},
      {{u"\xDE00\xD83D\xD83D\xDE00\xD800\r\n"}, "\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD"},
      {{u"\x7F\x80\x7FF\x800\xFFFF\r\n"}, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {{full, full, u"kk\r\n"}, std::string(4098, 'k')}, {{full.substr(2) + u"\r\n"}, std::string(2046, 'k')},
      {{full.substr(1) + u"\xD83D", u"\xDE00\r\n"}, std::string(2047, 'k') + "\xF0\x9F\x98\x80"},
      {{full.substr(1) + u"\r", u"\n"}, std::string(2047, 'k')}, {{u"\xD83D\xDE00\r\n"}, "\xF0\x9F\x98\x80"},
      {{}, "IOError error: -2147024891 ``"}};
  std::string expected;
  for (const auto& row : rows) expected += row.second + "|\n";  // no CR LF, which Windows text mode changes
  EXPECT_EXIT({  // closed streams stay on the program's list: a child process reads, on streams made first
    std::vector<std::FILE*> pool;
    while (pool.size() < std::size(rows)) pool.push_back(test::streamOf("open\n"));
    for (std::size_t i = 0; i < pool.size(); ++i) std::fputs(outcome(pool[i], rows[i].first).c_str(), stderr);
    std::exit(0); }, testing::ExitedWithCode(0), testing::Matcher<const std::string&>(expected));
}

TEST(Output, WritesEveryByteAndRaisesOnlyFromWrite) {  // a message line ignores a failing output
  const std::initializer_list<std::string> texts = {"[#] ", "", "x\0y"s, "\0xy"s, "xy\0"s, "\0\0x\0\0y\0"s};
  std::FILE *file = std::tmpfile(), *full = test::unwritableStream();
  for (std::FILE* to : {file, full}) {
    test::Redirect out(stdout, to);
    EXPECT_NO_THROW(echoBinSafe(texts); echoBinSafe(texts));
    EXPECT_EQ(outcomeOf([] { return write(stdout, "[>] "), ""s; }),
              to == file ? "" : "IOError cannot write string to file");
  }
  std::string all;
  for (const std::string& text : texts) all += text;
  EXPECT_EQ(test::contentsOf(file), all + "\n" + all + "\n[>] ");
  std::fclose(file), std::fclose(full);
}

static std::vector<std::uint32_t> sleeps;

TEST(Pause, SleepsOnlyInTheSigned32BitRange) {
  test::Replace sleep(bound::Sleep, +[](std::uint32_t ms) { sleeps.push_back(ms); });
  for (const std::int64_t ms : {2147483648, -2147483649})
    EXPECT_EQ(outcomeOf([&] { return nossleep(ms), ""s; }),
              "RangeDefect value out of range: " + std::to_string(ms) + " notin -2147483648 .. 2147483647");
  for (const std::int64_t ms : {1000, 2147483647, 0, -2147483647 - 1}) nossleep(ms);
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{1000, 2147483647, 0, 2147483648}));
}

TEST(Lower, EveryCodePointAsAPlainScanOfTheTablesSaysThenTexts) {
  constexpr std::int64_t bias = 500;  // added to every stored delta
  std::vector<std::int64_t> delta(0x110001);  // the singlets', then the ranges', which win
  for (auto* s = toLowerSinglets; s < std::end(toLowerSinglets); s += 2) delta[std::size_t(*s)] = s[1] - bias;
  for (auto* r = toLowerRanges; r < std::end(toLowerRanges); r += 3)
    for (auto c = r[0]; c <= r[1]; ++c) delta[std::size_t(c)] = r[2] - bias;
  for (std::int32_t c = 0; c <= 0x110000; ++c) ASSERT_EQ(nuctoLower(c), c + delta[std::size_t(c)]) << c;
  EXPECT_TRUE(binarySearch(0x40, toLowerRanges, 1, 3) == -1 && binarySearch(0x41, toLowerRanges, 0, 3) == -1);

  const std::pair<std::string, std::string> rows[] = {
      {"ROCK", "rock"}, {"PaPeR", "paper"}, {"SC\xC4\xB0SSORS", "scissors"}, {"ROC\xE2\x84\xAA", "rock"},
      {"\xC3\x80\xC3\x89\xC3\x8E", "\xC3\xA0\xC3\xA9\xC3\xAE"}, {"\xE1\xBA\x9E", "\xC3\x9F"}, {"", ""},
      {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x83"}, {"\x80", "\xC2\x80"}, {"\xFF", "\xC3\xBF"},
      {"R\0CK"s, "r\0ck"s}, {"ab\xC3", "ab\xEF\xBF\xBD"}, {"\xE2\x82", "\xEF\xBF\xBD\xC2\x82"},
      {"\xF0\xC3\xA9", "\xEF\xBF\xBD\xC3\xA9"}, {"\xC3\x41", "\xC3\xA1"}, {"\xC1\x92OCK", "rock"},
      {"\xC0\x80"s, "\0"s}, {"\xFC\x80\x80\x80\x80", "\xEF\xBF\xBD\xC2\x80\xC2\x80\xC2\x80\xC2\x80"},
      {"\xF8\x80\x80\x81\x81\xFC\x80\x80\x80\x81\x81", "aa"},  // overlong A in five and six bytes
      {"\xC8\xBA" "AB\xC3\x80\xC8\xBA", "\xE2\xB1\xA5" "ab\xC3\xA0\xE2\xB1\xA5"}};  // U+023A grows to U+2C65
  for (const auto& [text, lower] : rows) EXPECT_EQ(nuctoLowerStr(text), lower) << text;
  // Unchanged: no letters, an encoded surrogate; the least, then the greatest code point of each length.
  for (const std::string text : {"rock 0-9!?\xC3\x9F\xE2\x85\xA0\xE2\x92\xB6\xED\xA0\x80",
           "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80",
           "\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF\xFB\xBF\xBF\xBF\xBF\xFD\xBF\xBF\xBF\xBF\xBF"})
    EXPECT_EQ(nuctoLowerStr(text), text);
  for (const std::string lead : {"", "\xC1\x92"})  // ASCII eight bytes at a time, also behind a shorter form
    for (std::size_t shift = 0; shift < 8; ++shift)
      EXPECT_EQ(nuctoLowerStr(lead + std::string(shift, 'Q') + "@AZ[`az{@AZ[`az{"),
                (lead.empty() ? "" : "r") + std::string(shift, 'q') + "@az[`az{@az[`az{");
}
