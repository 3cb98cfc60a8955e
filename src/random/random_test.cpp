#include "random/random.h"
#include "process/bound.h"
#include "support.h"

using namespace tavik;

TEST(Generator, PublishedStepAndSamplesAgainstIt) {
  RandomState r = DefaultRandSeed;
  EXPECT_EQ(next(r), 0x3B91F99120E06FCFu);
  EXPECT_EQ(std::tie(r.s0, r.s1), std::tuple(0xC4BF17DB8D71864Bu, 0x0DE6FCFB869F988Du));
  const struct {
    RandomState from;
    std::size_t n, index;
    int steps;
  } rows[] = {// only n = 3 rejects ~0
              {{~0ull, 0}, 3, 2, 2},
              {{~0ull - 1, 0}, 3, 2, 1},
              {{~0ull, 0}, 2, 1, 1},
              {{~0ull, 0}, 4, 3, 1},
              {{~0ull, 0}, 1, 0, 0}};
  for (const auto& c : rows) {
    RandomState drawn = state = c.from;
    for (int k = 0; k < c.steps; ++k)
      next(drawn);
    EXPECT_EQ((std::tuple{sampleIndex(c.n), state.s0, state.s1}),
              std::tuple(c.index, drawn.s0, drawn.s1));
  }
}

static int calls;  // calls 1, 2 fail (status -1, 1) yet leave bytes; call 3 gives DefaultRandSeed
static std::int32_t scripted(void* handle, unsigned char* out, std::uint32_t size,
                             std::uint32_t flags) {
  EXPECT_TRUE(!handle && size == 16 && flags == 2 && ++calls <= 3);  // 16 bytes, preferred source
  (calls < 3 ? std::string(16, '\1')
             : "\x05\x08\x53\xB8\x8C\xC9\xB4\x69\xCA\x67\x8D\x68\x04\x30\xDD\xD1")
      .copy(reinterpret_cast<char*>(out), std::min<std::size_t>(size, 16));
  return calls == 1 ? -1 : calls == 2;
}

TEST(Seed, RandomizeAsksOnceThenTakesTheJump) {
  test::Replace source(bound::BCryptGenRandom, scripted);
  calls = 0, baseState = {0, 0};
  randomize();
  randomize();  // without a third request
  EXPECT_EQ(std::tie(state.s0, state.s1), std::tuple(0xF238BBD17AA55BFCu, 0x29706D0DC189032Bu));
  EXPECT_TRUE(urandom({}));  // asks nothing
}
