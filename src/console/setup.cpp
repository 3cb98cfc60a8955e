#include "console/setup.h"

#include <cstdint>
#include <cstdio>

#include "process/bound.h"
#include "process/os.h"

namespace tavik {

namespace {

constexpr std::uint32_t utf8CodePage = 65001;

}  // namespace

void initConsole() {
  os::setBinaryMode(stdin);
  os::setBinaryMode(stdout);
  os::setBinaryMode(stderr);
  // Without a console both calls fail, which changes nothing.
  bound::SetConsoleOutputCP(utf8CodePage);
  bound::SetConsoleCP(utf8CodePage);
}

}  // namespace tavik
