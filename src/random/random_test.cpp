#include "random/random.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "process/bound.h"
#include "process/failure.h"

namespace tavik {
namespace {

void expectState(const RandomState& r, std::uint64_t s0, std::uint64_t s1) {
  EXPECT_EQ(r.s0, s0);
  EXPECT_EQ(r.s1, s1);
}

// A scripted system random source: each call takes the next answer of the
// script; calls beyond the script fail.
struct Answer {
  std::int32_t status;
  unsigned char bytes[16];
};
std::vector<Answer> script;
int calls = 0;
void* lastAlgorithm = nullptr;
std::uint32_t lastLength = 0;
std::uint32_t lastFlags = 0;

std::int32_t scriptedSource(void* algorithm, unsigned char* buffer, std::uint32_t length,
                            std::uint32_t flags) {
  lastAlgorithm = algorithm;
  lastLength = length;
  lastFlags = flags;
  const auto call = static_cast<std::size_t>(calls++);
  if (call >= script.size()) return -1;
  const Answer& answer = script[call];
  if (answer.status == 0) {
    for (std::uint32_t k = 0; k < length; ++k) buffer[k] = answer.bytes[k % 16];
  }
  return answer.status;
}

constexpr Answer failure{static_cast<std::int32_t>(0xC0000001), {}};
constexpr Answer zeros{0, {}};
constexpr Answer counting{0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};

class SystemSource : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = bound::BCryptGenRandom;
    bound::BCryptGenRandom = scriptedSource;
    calls = 0;
  }
  void TearDown() override { bound::BCryptGenRandom = saved; }

  static void use(std::initializer_list<Answer> answers) { script = answers; }

  decltype(bound::BCryptGenRandom) saved = nullptr;
};

TEST(Generator, StepsFromTheDefaultSeed) {
  RandomState r = DefaultRandSeed;
  EXPECT_EQ(next(r), 0x3B91F99120E06FCFu);
  expectState(r, 0xC4BF17DB8D71864B, 0x0DE6FCFB869F988D);
  EXPECT_EQ(next(r), 0xD2A614D714111ED8u);
  EXPECT_EQ(next(r), 0x5555A2BCF737D805u);
}

TEST(Generator, StepFromASingleBit) {
  RandomState r{1, 0};
  EXPECT_EQ(next(r), 1u);
  expectState(r, 0x0080000000004001, 0x0000001000000000);
}

TEST(Generator, Jump) {
  RandomState r = DefaultRandSeed;
  skipRandomNumbers(r);
  expectState(r, 0xF238BBD17AA55BFC, 0x29706D0DC189032B);
}

TEST(Generator, InitialiserRestoresTheDefaultSeed) {
  state = {5, 6};
  initRandom();
  expectState(state, DefaultRandSeed.s0, DefaultRandSeed.s1);
}

TEST(Sample, ThreeDrawsFromTheDefaultSeed) {
  const std::string taunts[3] = {"first", "second", "third"};
  state = DefaultRandSeed;
  EXPECT_EQ(sample(taunts), "third");
  EXPECT_EQ(sample(taunts), "first");
  EXPECT_EQ(sample(taunts), "third");
}

TEST(Sample, OneElementLeavesTheStateAlone) {
  const std::string only[1] = {"only"};
  state = DefaultRandSeed;
  EXPECT_EQ(sample(only), "only");
  expectState(state, DefaultRandSeed.s0, DefaultRandSeed.s1);
}

TEST(Sample, EmptyListIsAnAssertionDefect) {
  state = DefaultRandSeed;
  try {
    sampleIndex(0);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.name, "AssertionDefect");
    EXPECT_EQ(e.msg, "random(325, 10) `x.a <= x.b` ");
  }
  expectState(state, DefaultRandSeed.s0, DefaultRandSeed.s1);
}

TEST(Sample, TopOutputIsRejectedForThree) {
  // This state's next output is 0xFFFFFFFFFFFFFFFF (index 0 if it were used);
  // the output after it is 0xFFFFFFFFFFFFBFFF, index 2.
  state = {0xFFFFFFFFFFFFFFFF, 0};
  EXPECT_EQ(sampleIndex(3), 2u);
  expectState(state, 0x007FFFFFF000001F, 0x0003FFF000000000);
}

TEST(Sample, OneBelowTheTopIsAccepted) {
  state = {0xFFFFFFFFFFFFFFFE, 0};
  EXPECT_EQ(sampleIndex(3), 2u);
  expectState(state, 0xFF7FFFFFFFFF8001, 0xFFFFFFEFFFFFFFFF);
}

TEST(Sample, NothingIsRejectedForTwoAndFour) {
  for (const std::size_t n : {2u, 4u}) {
    state = {0xFFFFFFFFFFFFFFFF, 0};
    EXPECT_EQ(sampleIndex(n), n - 1) << n;
    expectState(state, 0xFFFFFFFFFFFFC000, 0xFFFFFFFFFFFFFFFF);
  }
}

TEST_F(SystemSource, UrandomAsksOnceForTheWholeBuffer) {
  use({counting});
  unsigned char buffer[20] = {};
  EXPECT_TRUE(urandom(buffer));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lastAlgorithm, nullptr);
  EXPECT_EQ(lastLength, 20u);
  EXPECT_EQ(lastFlags, 2u);
  EXPECT_EQ(buffer[0], 1);
  EXPECT_EQ(buffer[19], 4);
}

TEST_F(SystemSource, UrandomReportsAnyNonZeroStatus) {
  const Answer positive{1, {}};
  for (const Answer& answer : {failure, positive}) {
    use({answer});
    calls = 0;
    unsigned char buffer[16] = {};
    EXPECT_FALSE(urandom(buffer)) << answer.status;
  }
}

TEST_F(SystemSource, UrandomOfNothingDoesNotAsk) {
  use({failure});
  EXPECT_TRUE(urandom({}));
  EXPECT_EQ(calls, 0);
}

TEST_F(SystemSource, SeedIsReadLittleEndian) {
  use({counting});
  const RandomState r = getRandomState();
  expectState(r, 0x0807060504030201, 0x100F0E0D0C0B0A09);
}

TEST_F(SystemSource, OneNonZeroWordIsEnough) {
  const Answer highWordOnly{0, {0, 0, 0, 0, 0, 0, 0, 0, 1}};
  use({highWordOnly});
  expectState(getRandomState(), 0, 1);
  EXPECT_EQ(calls, 1);
}

TEST_F(SystemSource, ZeroBytesUseUpAnAttempt) {
  use({zeros, counting});
  baseState = {0, 0};
  randomize();
  EXPECT_EQ(calls, 2);
  expectState(state, 0x0807060504030201, 0x100F0E0D0C0B0A09);
}

TEST_F(SystemSource, EighthAttemptStillCounts) {
  use({failure, zeros, failure, failure, zeros, failure, failure, counting});
  const RandomState r = getRandomState();
  EXPECT_EQ(calls, 8);
  expectState(r, 0x0807060504030201, 0x100F0E0D0C0B0A09);
}

TEST_F(SystemSource, EightFailuresEndTheProcess) {
  // A ninth attempt would succeed.
  use({failure, zeros, failure, failure, failure, zeros, failure, failure, counting});
  EXPECT_EXIT(getRandomState(), ::testing::ExitedWithCode(1),
              "^Failed to initializes baseState in random module as sysrand\\.urandom "
              "doesn't work\\.\n$");
}

TEST_F(SystemSource, RandomizeSeedsOnceAndThenJumps) {
  use({counting, counting});
  baseState = {0, 0};
  state = DefaultRandSeed;
  randomize();
  EXPECT_EQ(calls, 1);
  expectState(state, 0x0807060504030201, 0x100F0E0D0C0B0A09);
  expectState(baseState, 0x35D8A7E5B0141A63, 0x3BEF0D899BA6F5CC);

  randomize();
  EXPECT_EQ(calls, 1);
  expectState(state, 0x35D8A7E5B0141A63, 0x3BEF0D899BA6F5CC);
  expectState(baseState, 0xC0B3E5C8F0636C5D, 0xB81DBDAAC99D0F22);
}

}  // namespace
}  // namespace tavik
