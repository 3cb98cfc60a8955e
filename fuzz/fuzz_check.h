// Checks for the fuzz targets. A property that does not hold prints what was
// expected and what came out, then aborts, so that libFuzzer reports a finding
// and keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tavik::fuzz {

inline void printBytes(const char* label, const std::string& bytes) {
  std::fprintf(stderr, "  %s (%zu bytes):", label, bytes.size());
  for (const char byte : bytes) std::fprintf(stderr, " %02X", static_cast<unsigned char>(byte));
  std::fprintf(stderr, "\n");
}

[[noreturn]] inline void propertyFailed(const char* property) {
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

inline void require(bool holds, const char* property) {
  if (!holds) propertyFailed(property);
}

inline void requireEqual(const std::string& got, const std::string& expected,
                         const char* property) {
  if (got == expected) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  printBytes("got", got);
  printBytes("expected", expected);
  std::abort();
}

}  // namespace tavik::fuzz
