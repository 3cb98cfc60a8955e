#pragma once

namespace tavik {

// Binds the six console functions from "kernel32".
void bindConsoleFunctions();

// Binary mode on the three standard streams, UTF-8 (65001) as the console's
// output and input code page. Failures are ignored.
void initConsole();

}  // namespace tavik
