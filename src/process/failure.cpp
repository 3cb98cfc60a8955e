#include "process/failure.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace tavik {

namespace {

constexpr RaiseSite sysFatalSite{"sysFatal", 53, "fatal"};
constexpr std::size_t reportLimit = 1999;
constexpr std::size_t traceWidth = 25;

// "<filename>(<line>)" padded to 25 columns (at least one blank), the
// procedure and a line feed.
std::string formatTrace(const RaiseSite& site) {
  std::string text = site.filename;
  if (site.line > 0) {
    text += '(';
    text += std::to_string(site.line);
    text += ')';
  }
  text.append(text.size() < traceWidth ? traceWidth - text.size() : 1, ' ');
  text += site.procname;
  text += '\n';
  return text;
}

}  // namespace

void raiseException(const char* name, std::string msg, RaiseSite site) {
  throw Exception{name, std::move(msg), site};
}

void sysFatal(const char* name, std::string msg) {
  raiseException(name, std::move(msg), sysFatalSite);
}

void raiseIndexError2(std::int64_t i, std::int64_t h) {
  if (h < 0)
    sysFatal("IndexDefect", "index out of bounds, the container is empty");
  sysFatal("IndexDefect", "index " + std::to_string(i) + " not in 0 .. " + std::to_string(h));
}

void raiseRangeErrorI(std::int64_t v, std::int64_t a, std::int64_t b) {
  sysFatal("RangeDefect", "value out of range: " + std::to_string(v) + " notin " +
                              std::to_string(a) + " .. " + std::to_string(b));
}

void failedAssertImpl(std::string text) { sysFatal("AssertionDefect", std::move(text)); }

void raiseEIO(std::string msg) {
  raiseException("IOError", std::move(msg), {"raiseEIO", 153, "io"});
}

void raiseEOF() { raiseException("EOFError", "EOF reached", {"raiseEOF", 156, "io"}); }

std::string formatReport(const Exception& e) {
  std::array<char, 2001> buffer;
  std::size_t length = 0;
  auto append = [&](std::string_view piece) {
    if (length + piece.size() > reportLimit)
      return;
    piece.copy(buffer.data() + length, piece.size());
    length += piece.size();
  };
  const std::string trace = formatTrace(e.site);
  append(trace);
  append("Error: unhandled exception: ");
  append(e.msg);
  append(" [");
  append(e.name);
  append("]\n");
  return std::string(buffer.data(), length);
}

void reportUnhandledError(const Exception& e) {
  const std::string report = formatReport(e);
  showErrorMessage(report.data(), report.size());
}

// A report that cannot be written has nowhere else to go: failures are ignored.
void rawWrite(std::FILE* stream, const char* text) {
  if (text)
    (void)std::fwrite(text, 1, std::strlen(text), stream);
  (void)std::fflush(stream);
}

void showErrorMessage(const char* data, std::size_t length) {
  (void)std::fwrite(data, 1, length, stderr);
  (void)std::fflush(stderr);
}

void quit(const char* msg, int code) {
  rawWrite(stderr, msg);
  rawWrite(stderr, "\n");
  std::exit(code);
}

void raiseOutOfMem() {
  rawWrite(stderr, "out of memory\n");
  std::exit(1);
}

}  // namespace tavik
