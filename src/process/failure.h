// Exceptions and the ways the process ends abnormally.
//
// A raise throws an Exception. Nothing in the game catches one: the entry point
// (src/startup.cpp) reports it on standard error and exits with code 1. Everything
// else that ends the process (quit, out of memory, signals) exits directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tavik {

// The procedure, source file and line an exception was raised at.
struct RaiseSite {
  const char* procname;
  std::int64_t line;
  const char* filename;
};

struct Exception {
  const char* name;  // the kind, such as "EOFError" or "IndexDefect"
  std::string msg;   // may be empty
  RaiseSite site;
};

[[noreturn]] void raiseException(const char* name, std::string msg, RaiseSite site);

// Failed run-time checks, all raised at sysFatal in fatal(53).
[[noreturn]] void sysFatal(const char* name, std::string msg);
// Index i outside 0 .. h of a container whose last valid index is h (h < 0: empty).
[[noreturn]] void raiseIndexError2(std::int64_t i, std::int64_t h);
// Value v outside a .. b.
[[noreturn]] void raiseRangeErrorI(std::int64_t v, std::int64_t a, std::int64_t b);
[[noreturn]] void failedAssertImpl(std::string text);

// Input and output failures, raised at raiseEIO in io(153) and raiseEOF in io(156).
[[noreturn]] void raiseEIO(std::string msg);
[[noreturn]] void raiseEOF();  // "EOF reached"

// The report of an exception that nothing caught: the raise site, padded to 25
// columns, then "Error: unhandled exception: <msg> [<name>]". Composed in a
// fixed buffer of which at most 1999 bytes are used; a piece that does not fit
// is left out whole.
std::string formatReport(const Exception& e);
// Writes formatReport(e) to standard error in one write.
void reportUnhandledError(const Exception& e);

// Writes text up to its first NUL (nothing for null) and flushes; failures ignored.
void rawWrite(std::FILE* stream, const char* text);

// Writes exactly `length` bytes to standard error and flushes it.
void showErrorMessage(const char* data, std::size_t length);

// Writes msg (up to its first NUL; nothing when null) and a line feed to
// standard error, then exits with `code`.
[[noreturn]] void quit(const char* msg, int code);

// "out of memory", exit code 1. Installed as the allocation failure handler.
[[noreturn]] void raiseOutOfMem();

}  // namespace tavik
