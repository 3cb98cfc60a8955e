#include "process/binding.h"
#include "process/signals.h"
#include "random/random.h"
#include "support.h"

using namespace tavik;
using Exactly = testing::Matcher<const std::string&>;

TEST(Report, TraceLinePaddedTo25ColumnsThenErrorLineInAtMost1999Bytes) {
  const std::string fatal = "fatal(53)" + std::string(16, ' ') + "sysFatal\n", x(1938, 'x');
  const RaiseSite wide{"p", 0, "a_file_name_of_25_columns"};  // with x: a report of 1999 bytes
  const struct {
    Exception e;
    std::string trace, rest;
  } rows[] = {
      {test::raisedBy([] { raiseIndexError2(3, 2); }), fatal,
       "index 3 not in 0 .. 2 [IndexDefect]\n"},
      {test::raisedBy([] { raiseIndexError2(1, 0); }), fatal,
       "index 1 not in 0 .. 0 [IndexDefect]\n"},
      {test::raisedBy([] { raiseIndexError2(0, -1); }), fatal,
       "index out of bounds, the container is empty [IndexDefect]\n"},
      {test::raisedBy([] { raiseRangeErrorI(-2147483649, -2147483648, 2147483647); }), fatal,
       "value out of range: -2147483649 notin -2147483648 .. 2147483647 [RangeDefect]\n"},
      {test::raisedBy([] { sampleIndex(0); }), fatal,
       "random(325, 10) `x.a <= x.b`  [AssertionDefect]\n"},
      {{"E", x, wide}, "a_file_name_of_25_columns p\n", x + " [E]\n"},
      {{"E", x + "xxxxxx", wide}, "a_file_name_of_25_columns p\n", " [E]\n"}};  // left out whole
  for (const auto& row : rows)
    EXPECT_EQ(formatReport(row.e), row.trace + "Error: unhandled exception: " + row.rest);
}

TEST(Exit, WritesItsLineAndExitsWithItsCode) {
  EXPECT_EXIT(quit("bye", 3), testing::ExitedWithCode(3), Exactly("bye\n"));
  EXPECT_EXIT(quit(nullptr, 2), testing::ExitedWithCode(2), Exactly("\n"));
  EXPECT_EXIT(signalHandler(0), testing::ExitedWithCode(1), Exactly("unknown signal\n"));
  EXPECT_EXIT(loadLibrary("none"), testing::ExitedWithCode(1), Exactly("could not load: none\n"));
  EXPECT_EQ(loadFailureText("", 193),
            "could not load: \n(bad format; library may be wrong architecture)\n");
}
