#include "console/pause.h"

#include <limits>

#include "process/bound.h"
#include "process/failure.h"

namespace tavik {

void nossleep(std::int64_t milliseconds) {
  constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
  if (milliseconds < lowest || milliseconds > highest) {
    raiseRangeErrorI(milliseconds, lowest, highest);
  }
  // Sleep takes the 32-bit value as the system's unsigned milliseconds.
  bound::Sleep(static_cast<std::uint32_t>(static_cast<std::int32_t>(milliseconds)));
}

}  // namespace tavik
