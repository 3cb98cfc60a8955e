#pragma once

#include <string>

namespace tavik {

// UTF-8 for the UTF-16 units up to the first 0 unit. An unpaired surrogate
// becomes U+FFFD.
std::string wideToUtf8(const char16_t* units);

}  // namespace tavik
