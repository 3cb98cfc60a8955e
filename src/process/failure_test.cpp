#include "message/rc4.h"
#include "process/binding.h"
#include "process/signals.h"
#include "random/random.h"
#include "support.h"

using namespace tavik;
using test::raisedBy;
using Exactly = testing::Matcher<const std::string&>;

// Raised where the program raises them; a piece that would pass 1999 bytes is left out whole.
TEST(Report, TraceLineThenErrorLineInAtMost1999Bytes) {
  const std::string fatal = "fatal(53)" + std::string(16, ' ') + "sysFatal\n";
  const RaiseSite wide{"p", 0, "a_file_name_of_25_columns"};
  const std::string fits(1938, 'x');  // the report is then 1999 bytes long
  const struct {
    Exception raised;
    std::string trace;
    std::string error;  // after "Error: unhandled exception: "
  } rows[] = {
      {raisedBy([] { fromRC4("Key", "A"); }), fatal, "index 1 not in 0 .. 0 [IndexDefect]"},
      {raisedBy([] { fromRC4("", "AB"); }), fatal,
       "index out of bounds, the container is empty [IndexDefect]"},
      {raisedBy([] { fromRC4("Key", "AB0G"); }), "strutils(1046)           fromHex\n",
       "invalid hex integer: 0G [ValueError]"},
      {raisedBy([] { sampleIndex(0); }), fatal, "random(325, 10) `x.a <= x.b`  [AssertionDefect]"},
      {{"E", fits, wide}, "a_file_name_of_25_columns p\n", fits + " [E]"},
      {{"E", fits + "xxxxxx", wide}, "a_file_name_of_25_columns p\n", " [E]"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(formatReport(row.raised),
              row.trace + "Error: unhandled exception: " + row.error + "\n");
}

TEST(Exit, WritesItsLineAndExitsWithItsCode) {
  EXPECT_EXIT(quit(nullptr, 2), testing::ExitedWithCode(2), Exactly("\n"));
  EXPECT_EXIT(signalHandler(0), testing::ExitedWithCode(1), Exactly("unknown signal\n"));
  EXPECT_EQ(loadFailureText("", 193),
            "could not load: \n(bad format; library may be wrong architecture)\n");
}
