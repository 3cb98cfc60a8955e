#include "random/random.h"

#include "process/bound.h"
#include "support.h"

using namespace tavik;

static std::pair<std::uint64_t, std::uint64_t> words(RandomState r) { return {r.s0, r.s1}; }

// The states after follow the published step; for three elements only 2^64 - 1 is drawn again.
TEST(Generator, SampleIndexDrawsAgainAboveTheThreshold) {
  const struct {
    const char* name;
    RandomState from;
    std::size_t n;
    std::size_t index;
    RandomState after;
  } rows[] = {
      {"two rejected", {0x7FFE00, ~0x7FFE00ull}, 3, 2, {0xFF8000000FFFC01F, 0xFFFC000FFFFFFFFF}},
      {"greatest kept", {~0ull - 1, 0}, 3, 2, {0xFF7FFFFFFFFF8001, 0xFFFFFFEFFFFFFFFF}},
      {"two elements", {~0ull, 0}, 2, 1, {0xFFFFFFFFFFFFC000, ~0ull}},
      {"one element", {~0ull, 0}, 1, 0, {~0ull, 0}},
  };
  for (const auto& row : rows) {
    state = row.from;
    const std::size_t index = sampleIndex(row.n);
    EXPECT_EQ(index, row.index) << row.name;
    EXPECT_EQ(words(state), words(row.after)) << row.name;
  }
}

// The default state (its words little-endian), the first time with a failure of positive status.
static int requests = 0;
static std::int32_t failOnceThenGiveTheDefaultState(void*, unsigned char* buffer,
                                                    std::uint32_t size, std::uint32_t) {
  ++requests;  // what the real source is asked shows end to end, on Windows
  const std::string bytes = "\x05\x08\x53\xB8\x8C\xC9\xB4\x69\xCA\x67\x8D\x68\x04\x30\xDD\xD1";
  bytes.copy(reinterpret_cast<char*>(buffer), size);
  return requests == 1 ? 1 : 0;
}

TEST(Seed, RandomizeAsksOnceThenTakesTheJump) {
  test::Replace source(bound::BCryptGenRandom, failOnceThenGiveTheDefaultState);
  baseState = {0, 0};
  requests = 0;
  randomize();
  EXPECT_EQ(words(state), std::pair(0x69B4C98CB8530805u, 0xD1DD3004688D67CAu));
  randomize();
  EXPECT_EQ(words(state), std::pair(0xF238BBD17AA55BFCu, 0x29706D0DC189032Bu));
  EXPECT_TRUE(urandom({}));  // asks nothing
  EXPECT_EQ(requests, 2);
}
