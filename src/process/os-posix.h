// On POSIX a "library" is a table of the program's own functions under the
// names the Windows system gives them, so start-up binds through the same code
// on both systems.
#pragma once

#include <span>

#include "process/os.h"

namespace tavik::os {

struct PosixSymbol {
  const char* name;
  Address address;
};

struct PosixLibrary {
  const char* name;
  std::span<const PosixSymbol> symbols;
};

}  // namespace tavik::os
