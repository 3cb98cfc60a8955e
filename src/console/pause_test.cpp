#include <chrono>

#include "console/pause.h"
#include "process/bound.h"
#include "support.h"

using namespace tavik;
using namespace std::string_literals;

static std::vector<std::uint32_t> sleeps;

TEST(Pause, SleepsOnlyInTheSigned32BitRange) {
  test::Replace sleep(
      bound::Sleep, +[](std::uint32_t ms) { sleeps.push_back(ms); });
  for (const std::int64_t ms : {2147483648, -2147483649})
    EXPECT_EQ(test::outcomeOf([&] { return nossleep(ms), ""s; }),
              "RangeDefect value out of range: " + std::to_string(ms) +
                  " notin -2147483648 .. 2147483647");
  for (const std::int64_t ms : {1000, 2147483647, 0, -2147483647 - 1})
    nossleep(ms);
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{1000, 2147483647, 0, 2147483648}));
}

TEST(Pause, TheBoundSleepTakesTheTimeAsked) {
  bindPause();
  const auto start = std::chrono::steady_clock::now();
  bound::Sleep(1100);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1100));
}
