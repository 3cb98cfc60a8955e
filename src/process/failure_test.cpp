#include "process/failure.h"
#include "process/raised_testing.h"

#include <gtest/gtest.h>

#include <string>

namespace tavik {
namespace {

// The message and kind of what `raise` throws.
const std::string fatalLine = "fatal(53)                sysFatal\n";

TEST(Raise, RunTimeChecksCarryTheirKindMessageAndSite) {
  struct Case {
    Exception raised;
    const char* name;
    const char* msg;
  };
  const Case cases[] = {
      {raisedBy([] { raiseIndexError2(3, 2); }), "IndexDefect", "index 3 not in 0 .. 2"},
      {raisedBy([] { raiseIndexError2(0, -1); }), "IndexDefect",
       "index out of bounds, the container is empty"},
      {raisedBy([] { raiseRangeErrorI(-2147483649, -2147483648, 2147483647); }), "RangeDefect",
       "value out of range: -2147483649 notin -2147483648 .. 2147483647"},
      {raisedBy([] { raiseRangeErrorU(7, 0, 5); }), "RangeDefect", "value out of range"},
      {raisedBy([] { raiseRangeErrorNoArgs(); }), "RangeDefect", "value out of range"},
      {raisedBy([] { raiseOverflow(); }), "OverflowDefect", "over- or underflow"},
      {raisedBy([] { raiseDivByZero(); }), "DivByZeroDefect", "division by zero"},
      {raisedBy([] { failedAssertImpl("x > 0"); }), "AssertionDefect", "x > 0"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.raised.name, c.name);
    EXPECT_EQ(c.raised.msg, c.msg);
    EXPECT_EQ(formatReport(c.raised).substr(0, fatalLine.size()), fatalLine) << c.msg;
  }
}

TEST(Report, EndOfInputAndWriteFailureReadAsTwoLines) {
  EXPECT_EQ(formatReport(raisedBy([] { raiseEOF(); })),
            "io(156)                  raiseEOF\n"
            "Error: unhandled exception: EOF reached [EOFError]\n");
  EXPECT_EQ(formatReport(raisedBy([] { raiseEIO("cannot write string to file"); })),
            "io(153)                  raiseEIO\n"
            "Error: unhandled exception: cannot write string to file [IOError]\n");
}

TEST(Report, AssertionWithTrailingBlankAndEmptyMessage) {
  EXPECT_EQ(formatReport(raisedBy([] { failedAssertImpl("random(325, 10) `x.a <= x.b` "); })),
            fatalLine + "Error: unhandled exception: random(325, 10) `x.a <= x.b`  [AssertionDefect]\n");
  EXPECT_EQ(formatReport(raisedBy([] { failedAssertImpl(""); })),
            fatalLine + "Error: unhandled exception:  [AssertionDefect]\n");
}

TEST(Report, TraceIsPaddedToTwentyFiveColumnsButKeepsOneBlank) {
  auto firstLine = [](const RaiseSite& site) {
    const std::string report = formatReport({"ValueError", "m", site});
    return report.substr(0, report.find('\n') + 1);
  };
  EXPECT_EQ(firstLine({"proc", 0, "file"}), "file                     proc\n");
  EXPECT_EQ(firstLine({"fromHex", 1046, "strutils"}), "strutils(1046)           fromHex\n");
  EXPECT_EQ(firstLine({"proc", 1046, "a_long_file_name"}), "a_long_file_name(1046)   proc\n");
  EXPECT_EQ(firstLine({"proc", 1046, "a_rather_long_name"}), "a_rather_long_name(1046) proc\n");
  EXPECT_EQ(firstLine({"proc", 1046, "an_even_longer_file_name"}),
            "an_even_longer_file_name(1046) proc\n");
}

// The report uses at most 1999 bytes; a piece that does not fit is left out
// whole and the pieces after it are still tried.
TEST(Report, PiecesThatDoNotFitAreLeftOutWhole) {
  const std::size_t head = fatalLine.size() + std::string("Error: unhandled exception: ").size();
  // Message, " [", the name and "]\n" fill exactly 1999 bytes.
  const std::string fits(1999 - head - 2 - 11 - 2, 'm');
  const std::string full = formatReport({"IndexDefect", fits, {"sysFatal", 53, "fatal"}});
  EXPECT_EQ(full.size(), 1999u);
  EXPECT_EQ(full.substr(full.size() - 16), "m [IndexDefect]\n");

  // One byte more and the closing "]\n" no longer fits.
  const std::string report = formatReport({"IndexDefect", fits + "m", {"sysFatal", 53, "fatal"}});
  EXPECT_EQ(report.size(), 1998u);
  EXPECT_EQ(report.substr(report.size() - 14), "m [IndexDefect");

  // A message longer than the room left is dropped entirely.
  const std::string huge(1999, 'x');
  EXPECT_EQ(formatReport({"IOError", huge, {"raiseEIO", 153, "io"}}),
            "io(153)                  raiseEIO\nError: unhandled exception:  [IOError]\n");
}

TEST(Exit, QuitWritesTheMessageAndALineFeed) {
  EXPECT_EXIT(quit("going away", 3), ::testing::ExitedWithCode(3), "^going away\n$");
  EXPECT_EXIT(quit(nullptr, 1), ::testing::ExitedWithCode(1), "^\n$");
}

TEST(Exit, OutOfMemory) {
  EXPECT_EXIT(raiseOutOfMem(), ::testing::ExitedWithCode(1), "^out of memory\n$");
}

}  // namespace
}  // namespace tavik
