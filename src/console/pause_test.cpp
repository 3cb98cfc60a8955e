#include <chrono>
#include <vector>

#include "console/pause.h"
#include "process/bound.h"
#include "support.h"

using namespace tavik;

static std::vector<std::uint32_t> sleeps;  // what the bound Sleep was asked, in turn

static void recordSleep(std::uint32_t milliseconds) { sleeps.push_back(milliseconds); }

TEST(Pause, SleepsOnlyInTheSigned32BitRange) {
  test::Replace sleep(bound::Sleep, recordSleep);
  sleeps.clear();
  for (const std::int64_t milliseconds : {2147483648, -2147483649}) {
    const Exception raised = test::raisedBy([milliseconds] { nossleep(milliseconds); });
    EXPECT_STREQ(raised.name, "RangeDefect");
    EXPECT_EQ(raised.msg, "value out of range: " + std::to_string(milliseconds) +
                              " notin -2147483648 .. 2147483647");
  }
  for (const std::int64_t milliseconds : {1000, 2147483647, 0, -2147483647 - 1})
    nossleep(milliseconds);
  // As the system's unsigned milliseconds, and none for the values out of range.
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{1000, 2147483647, 0, 2147483648}));
}

TEST(Pause, TheBoundSleepTakesTheTimeAsked) {
  bindPause();
  const auto start = std::chrono::steady_clock::now();
  bound::Sleep(1100);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1100));
}
