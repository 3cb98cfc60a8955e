#pragma once

namespace tavik {

// Binary mode on the three standard streams, UTF-8 (65001) as the console's
// output and input code page. Failures are ignored.
void initConsole();

}  // namespace tavik
