#pragma once

#include <cstdint>

namespace tavik {

// Blocks the thread for `milliseconds` through the bound Sleep. A value outside
// the signed 32-bit range raises RangeDefect before any pause.
void nossleep(std::int64_t milliseconds);

}  // namespace tavik
