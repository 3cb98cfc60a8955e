// The console road of line input: UTF-16 units typed at a stand-in console
// (ReadConsoleW), delivered in reads of varying sizes, compared with a plain
// reference conversion to UTF-8. A stand-in read may also fail, which must
// raise IOError with the code and the system's text.
//
// Input layout, seven bytes of settings, then the read sizes, then the units:
//   0    bits 0-2: how many read-size bytes follow the settings;
//        bits 3-5: how often the units are repeated, less one (long lines)
//   1    the read (counted from 1) that fails, when 1 to 16; others never
//   2-5  the error code of that failure, little-endian
//   6    the system's text for it (0 mod 4: none, FormatMessageW fails)
//   then the read sizes, used in turn: 0 a read without units, 1 to 239 that
//        many units, 240 and up as many as the read asks for
//   then the units, two bytes each, little-endian
// Every line of a console ends in CR LF; input that does not gets one.
//
// Ctrl+Z closes the stream the road is given, so each input gets a throwaway
// stream of its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/input.h"
#include "fuzz_check.h"
#include "process/bound.h"
#include "process/failure.h"
#include "process/os.h"

namespace {

using tavik::fuzz::require;
using tavik::fuzz::requireEqual;

constexpr std::size_t settingsBytes = 7;
constexpr std::uint32_t maxUnitsPerRead = 2048;
constexpr char16_t ctrlZ = 0x1A;
constexpr char16_t junkUnit = u'J';  // fills what a read did not deliver
constexpr std::uint32_t formatMessageFlags = 0x1300;

const std::u16string systemTexts[] = {u"", u"The handle is invalid.\r\n",
                                      u"Zugriff verweigert \U0001F600\r\n",
                                      u"lone \xD800 surrogate\r\n"};

// What the stand-in console holds for one input.
struct Console {
  std::u16string units;   // everything typed; each line ends in CR LF
  std::size_t at = 0;     // the next unit to deliver
  std::size_t limit = 0;  // the end of the line being read: no read goes past it
  void* handle = nullptr;
  std::vector<std::uint8_t> sizes;
  std::size_t reads = 0;
  bool previousReadEmpty = false;
  std::size_t failingRead = 0;  // 0: no read fails
  bool failed = false;
  std::uint32_t errorCode = 0;
  std::size_t systemText = 0;
  int systemTextsHandedOut = 0;
};

Console console;

int standInReadConsoleW(void* handle, char16_t* buffer, std::uint32_t unitsToRead,
                        std::int32_t* unitsRead, void* inputControl) {
  require(handle == console.handle, "ReadConsoleW gets the stream's handle");
  require(unitsToRead >= 1 && unitsToRead <= maxUnitsPerRead, "a read asks for 1 to 2048 units");
  require(unitsRead != nullptr && inputControl == nullptr,
          "ReadConsoleW gets a count and no control");
  require(!console.failed, "nothing reads after a failed read");
  require(console.at < console.limit, "a line is read no further than its CR LF");
  ++console.reads;
  if (console.reads == console.failingRead) {
    console.failed = true;
    return 0;
  }
  std::size_t size = unitsToRead;
  if (!console.sizes.empty()) {
    const std::uint8_t choice = console.sizes[(console.reads - 1) % console.sizes.size()];
    if (choice < 240) size = choice;
  }
  if (size == 0 && console.previousReadEmpty) size = 1;  // the console does move on
  size = std::min({size, std::size_t{unitsToRead}, console.limit - console.at});
  // Junk after the units delivered shows a line that takes more than the count;
  // the last unit asked for is written too, so a buffer too small for the read shows.
  console.units.copy(buffer, size, console.at);
  for (std::size_t k = size; k < unitsToRead && k < size + 8; ++k) buffer[k] = junkUnit;
  if (size < unitsToRead) buffer[unitsToRead - 1] = junkUnit;
  console.at += size;
  console.previousReadEmpty = size == 0;
  *unitsRead = static_cast<std::int32_t>(size);
  return 1;
}

std::uint32_t standInGetLastError() { return console.errorCode; }

std::uint32_t standInFormatMessageW(std::uint32_t flags, const void* source,
                                    std::uint32_t messageId, std::uint32_t languageId,
                                    char16_t** buffer, std::uint32_t size, void* arguments) {
  require(flags == formatMessageFlags && source == nullptr && languageId == 0 && size == 0 &&
              arguments == nullptr,
          "FormatMessageW allocates the system's text, no inserts");
  require(messageId == console.errorCode, "FormatMessageW is asked for the read's error code");
  if (console.systemText == 0) return 0;
  const std::u16string& text = systemTexts[console.systemText];
  auto* copy = new char16_t[text.size() + 1];
  text.copy(copy, text.size());
  copy[text.size()] = 0;
  *buffer = copy;
  ++console.systemTextsHandedOut;
  return static_cast<std::uint32_t>(text.size());
}

void* standInLocalFree(void* memory) {
  require(console.systemTextsHandedOut > 0, "LocalFree releases what FormatMessageW handed out");
  --console.systemTextsHandedOut;
  delete[] static_cast<char16_t*>(memory);
  return nullptr;
}

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-8 of the units up to the first 0 unit; an unpaired surrogate is U+FFFD.
std::string referenceUtf8(const std::u16string& units) {
  std::string out;
  for (std::size_t k = 0; k < units.size() && units[k] != 0; ++k) {
    const char16_t unit = units[k];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    const bool paired =
        high && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF;
    if (paired) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800u) << 10) + (units[k + 1] - 0xDC00u));
      ++k;
    } else if (high || low) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

// Positions just after each CR LF: where each line ends.
std::vector<std::size_t> lineEnds(const std::u16string& units) {
  std::vector<std::size_t> ends;
  for (std::size_t k = 1; k < units.size(); ++k) {
    if (units[k - 1] == u'\r' && units[k] == u'\n') ends.push_back(k + 1);
  }
  return ends;
}

// The throwaway stream's content: a stream still open reads it as a line.
char probeContent[] = "x";

}  // namespace

// The reference conversion itself on known units, once.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  requireEqual(referenceUtf8(u"\U0001F600\x00E9"), "\xF0\x9F\x98\x80\xC3\xA9", "reference");
  requireEqual(referenceUtf8(std::u16string{0xD800, u'x', 0xDC00, 0, u'y'}),
               "\xEF\xBF\xBDx\xEF\xBF\xBD", "reference");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < settingsBytes) return 0;
  tavik::bound::ReadConsoleW = standInReadConsoleW;
  tavik::bound::GetLastError = standInGetLastError;
  tavik::bound::FormatMessageW = standInFormatMessageW;
  tavik::bound::LocalFree = standInLocalFree;

  console = Console{};
  const std::size_t sizeBytes = data[0] & 0x07u;
  const std::size_t repeats = 1 + ((data[0] >> 3) & 0x07u);
  if (data[1] >= 1 && data[1] <= 16) console.failingRead = data[1];
  console.errorCode =
      static_cast<std::uint32_t>(data[2]) | static_cast<std::uint32_t>(data[3]) << 8 |
      static_cast<std::uint32_t>(data[4]) << 16 | static_cast<std::uint32_t>(data[5]) << 24;
  console.systemText = data[6] % std::size(systemTexts);
  std::size_t at = settingsBytes;
  for (; at < size && console.sizes.size() < sizeBytes; ++at) console.sizes.push_back(data[at]);
  std::u16string typed;
  for (; at + 1 < size; at += 2) typed += static_cast<char16_t>(data[at] | data[at + 1] << 8);
  for (std::size_t r = 0; r < repeats; ++r) console.units += typed;
  if (console.units.size() < 2 || console.units.substr(console.units.size() - 2) != u"\r\n") {
    console.units += u"\r\n";
  }

  std::FILE* stream = fmemopen(probeContent, 1, "r");
  require(stream != nullptr, "fmemopen opens a throwaway stream");
  // The program remembers the streams it closed by address and never closes one
  // again: a new stream at such an address reads as ended and stays ours to close.
  std::string probe;
  const bool knownClosed = !tavik::readLine(stream, probe);
  if (!knownClosed) std::rewind(stream);
  console.handle = reinterpret_cast<void*>(tavik::os::osHandle(stream));

  bool closed = false;
  std::size_t lineStart = 0;
  for (const std::size_t end : lineEnds(console.units)) {
    console.limit = end;
    std::string line = "junk";
    bool read = false;
    try {
      read = tavik::readConsoleLine(stream, line);
    } catch (const tavik::Exception& e) {
      require(console.failed, "only a failed read raises");
      requireEqual(e.name, "IOError", "a failed read raises IOError");
      std::u16string text = systemTexts[console.systemText];
      requireEqual(e.msg,
                   "error: " + std::to_string(static_cast<std::int32_t>(console.errorCode)) + " `" +
                       referenceUtf8(text) + "`",
                   "IOError holds the code and the system's text");
      require(console.systemTextsHandedOut == 0, "the system's text is released");
      break;
    }
    require(!console.failed, "a failed read raises");
    require(console.at == end, "a line is read up to its CR LF");

    std::u16string units = console.units.substr(lineStart, end - 2 - lineStart);
    const std::size_t cut = units.find(ctrlZ);
    if (cut == 0) {
      require(!read, "Ctrl+Z first on a line is the end of input");
      require(line.empty(), "the end of input leaves the line empty");
    } else {
      require(read, "a line is read");
      requireEqual(line, referenceUtf8(units.substr(0, cut)), "the line equals the reference");
    }
    if (cut != std::u16string::npos) {
      // The stream reads as ended from now on; it is not touched again.
      probe = "junk";
      require(!tavik::readLine(stream, probe) && probe.empty(), "Ctrl+Z ends the stream");
      closed = true;
      break;
    }
    lineStart = end;
  }

  if (!closed || knownClosed) std::fclose(stream);
  return 0;
}
