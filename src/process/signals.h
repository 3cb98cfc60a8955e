#pragma once

#include <string_view>

namespace tavik {

// Installs signalHandler for SIGINT, SIGSEGV, SIGABRT, SIGFPE and SIGILL.
void registerSignalHandler();

// Writes the signal's text to standard error and exits with code 1.
[[noreturn]] void signalHandler(int sig);

// The text for a signal, line feed included.
std::string_view signalText(int sig);

}  // namespace tavik
