#include "process/signals.h"

#include <csignal>

#include "process/os.h"

namespace tavik {

namespace {

struct SignalText {
  int sig;
  std::string_view text;
};

// In the order the handler is registered.
constexpr SignalText signalTexts[] = {
    {SIGINT, "SIGINT: Interrupted by Ctrl-C.\n"},
    {SIGSEGV, "SIGSEGV: Illegal storage access. (Attempt to read from nil?)\n"},
    {SIGABRT, "SIGABRT: Abnormal termination.\n"},
    {SIGFPE, "SIGFPE: Arithmetic error.\n"},
    {SIGILL, "SIGILL: Illegal operation.\n"},
};

}  // namespace

std::string_view signalText(int sig) {
  for (const SignalText& entry : signalTexts) {
    if (entry.sig == sig)
      return entry.text;
  }
  return "unknown signal\n";
}

// The handler can interrupt anything, a read holding the stream's lock
// included, so it neither uses stdio nor runs exit handlers. Standard output is
// flushed after every line, so nothing written before is lost.
void signalHandler(int sig) {
  const std::string_view text = signalText(sig);
  os::writeAndExit(text.data(), text.size(), 1);
}

void registerSignalHandler() {
  for (const SignalText& entry : signalTexts)
    (void)std::signal(entry.sig, signalHandler);  // fails only for a signal that is no signal
  os::ignoreBrokenPipe();
}

}  // namespace tavik
