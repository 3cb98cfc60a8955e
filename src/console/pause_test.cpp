#include "console/pause.h"

#include <vector>

#include <gtest/gtest.h>

#include "process/bound.h"
#include "process/failure.h"

namespace tavik {
namespace {

std::vector<std::uint32_t> sleeps;
void recordSleep(std::uint32_t milliseconds) { sleeps.push_back(milliseconds); }

class Pause : public testing::Test {
 protected:
  void SetUp() override {
    sleeps.clear();
    bound::Sleep = recordSleep;
  }
  void TearDown() override { bound::Sleep = saved; }
  decltype(bound::Sleep) saved = bound::Sleep;
};

TEST_F(Pause, SleepsThroughTheBoundFunction) {
  nossleep(1000);
  nossleep(2147483647);
  nossleep(0);
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{1000, 2147483647, 0}));
}

TEST_F(Pause, ValueOutsideTheSigned32BitRangeRaisesBeforeAnyPause) {
  const struct {
    std::int64_t milliseconds;
    const char* msg;
  } cases[] = {
      {2147483648, "value out of range: 2147483648 notin -2147483648 .. 2147483647"},
      {-2147483649, "value out of range: -2147483649 notin -2147483648 .. 2147483647"},
  };
  for (const auto& c : cases) {
    try {
      nossleep(c.milliseconds);
      ADD_FAILURE() << c.milliseconds << " raised nothing";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.name, "RangeDefect");
      EXPECT_EQ(e.msg, c.msg);
    }
  }
  EXPECT_TRUE(sleeps.empty());
}

}  // namespace
}  // namespace tavik
