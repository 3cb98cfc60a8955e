// The process-wide pseudo-random generator (xoroshiro128+) and its seeding
// from the system's random source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavik {

struct RandomState {
  std::uint64_t s0;
  std::uint64_t s1;
};

inline constexpr RandomState DefaultRandSeed{0x69B4C98CB8530805, 0xD1DD3004688D67CA};

extern RandomState state;      // the live generator that sample draws from
extern RandomState baseState;  // randomize's seed store; all zero until seeded

// The module initialiser: state := DefaultRandSeed.
void initRandom();

// Seeds state from the system's random source (the first call asks the system;
// later calls take the next 2^64-step jump of that seed).
void randomize();

// One generator step: returns the output and advances r.
std::uint64_t next(RandomState& r);
// Advances r by 2^64 steps.
void skipRandomNumbers(RandomState& r);

// Fills the buffer from the system source; true on success.
bool urandom(std::span<unsigned char> buffer);
// A non-zero state from urandom in at most 8 attempts, or ends the process.
RandomState getRandomState();

// A uniformly drawn index into a list of n elements, drawn from state.
// AssertionDefect for n = 0; n = 1 does not advance state.
std::size_t sampleIndex(std::size_t n);

template <class T, std::size_t N>
const T& sample(const T (&list)[N]) {
  return list[sampleIndex(N)];
}

}  // namespace tavik
