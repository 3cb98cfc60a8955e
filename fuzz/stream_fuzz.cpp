// The stream road splits any bytes as the rule says: at each LF, less one CR directly before it; a last piece
// without LF as it is, unless empty. One text is reused, so first chunks take the lengths of earlier lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size), line;
  std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "r");
  for (std::size_t at = 0, lf; at < bytes.size(); at = lf + (lf < bytes.size())) {
    lf = bytes.find('\n', at);
    const bool cr = lf < bytes.size() && lf > at && bytes[lf - 1] == '\r';
    if (!tavik::readLine(stream, line) || line != bytes.substr(at, lf - at - cr)) std::abort();
  }
  if (tavik::readLine(stream, line) || !line.empty()) std::abort();  // then the end of input
  std::fclose(stream);
  return 0;
}
