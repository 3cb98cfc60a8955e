#include "random/random.h"

#include <bit>
#include <limits>

#include "process/bound.h"
#include "process/failure.h"

namespace tavik {

namespace {

// BCryptGenRandom's flag for drawing from the system's preferred generator
// without an algorithm handle.
constexpr std::uint32_t useSystemPreferredRng = 2;
constexpr int seedAttempts = 8;
// The published jump polynomial: 2^64 steps.
constexpr std::uint64_t jumpPolynomial[2] = {0xBEAC0467EBA5FACB, 0xD86B048B86AA9922};

std::uint64_t readLittleEndian(const unsigned char* bytes) {
  std::uint64_t word = 0;
  for (int k = 7; k >= 0; --k)
    word = (word << 8) | bytes[k];
  return word;
}

}  // namespace

RandomState state = DefaultRandSeed;
RandomState baseState{0, 0};

void initRandom() { state = DefaultRandSeed; }

std::uint64_t next(RandomState& r) {
  const std::uint64_t output = r.s0 + r.s1;
  const std::uint64_t t = r.s0 ^ r.s1;
  r.s0 = std::rotl(r.s0, 55) ^ t ^ (t << 14);
  r.s1 = std::rotl(t, 36);
  return output;
}

void skipRandomNumbers(RandomState& r) {
  std::uint64_t acc0 = 0;
  std::uint64_t acc1 = 0;
  for (const std::uint64_t word : jumpPolynomial) {
    for (int b = 0; b < 64; ++b) {
      if (((word >> b) & 1) != 0) {
        acc0 ^= r.s0;
        acc1 ^= r.s1;
      }
      next(r);
    }
  }
  r.s0 = acc0;
  r.s1 = acc1;
}

bool urandom(std::span<unsigned char> buffer) {
  if (buffer.empty())
    return true;
  // The system call takes a 32-bit length; a longer buffer could not be filled
  // in one call, so it is refused rather than left partly unfilled.
  if (buffer.size() > std::numeric_limits<std::uint32_t>::max())
    return false;
  return bound::BCryptGenRandom(nullptr, buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                useSystemPreferredRng) == 0;
}

RandomState getRandomState() {
  for (int attempt = 0; attempt < seedAttempts; ++attempt) {
    unsigned char bytes[16] = {};
    if (!urandom(bytes))
      continue;
    const RandomState candidate{readLittleEndian(bytes), readLittleEndian(bytes + 8)};
    // The all-zero state would make the generator output zero for ever.
    if (candidate.s0 != 0 || candidate.s1 != 0)
      return candidate;
  }
  quit("Failed to initializes baseState in random module as sysrand.urandom doesn't work.", 1);
}

void randomize() {
  if (baseState.s0 == 0 && baseState.s1 == 0)
    baseState = getRandomState();
  const RandomState seed = baseState;
  skipRandomNumbers(baseState);
  state = seed;
}

std::size_t sampleIndex(std::size_t n) {
  if (n == 0)
    failedAssertImpl("random(325, 10) `x.a <= x.b` ");
  if (n == 1)
    return 0;
  // The threshold is taken modulo n - 1: for n = 3 it rejects only the top
  // output, leaving 2^64 - 1 equally likely values, a multiple of 3.
  const std::uint64_t max = n - 1;
  const std::uint64_t all = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t threshold = all - all % max;
  std::uint64_t x = next(state);
  while (x > threshold)
    x = next(state);
  return static_cast<std::size_t>(x % n);
}

}  // namespace tavik
