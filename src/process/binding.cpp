#include "process/binding.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "process/failure.h"
#include "process/os.h"

namespace tavik {

namespace {

constexpr unsigned long errorBadExeFormat = 193;
// Decorated names keep at most this many characters of the plain name.
constexpr std::size_t decoratedNameLimit = 244;
constexpr int largestArgumentBytes = 200;

}  // namespace

Library loadLibrary(const char* name) {
  Library library = os::loadLibrary(name ? name : "");
  if (!library)
    loadLibraryError(name);
  return library;
}

std::string loadFailureText(const char* name, unsigned long lastError) {
  std::string text = "could not load: ";
  if (name)
    text += name;
  if (lastError == errorBadExeFormat)
    text += "\n(bad format; library may be wrong architecture)";
  text += '\n';
  return text;
}

void loadLibraryError(const char* name) {
  const std::string text = loadFailureText(name, os::lastError());
  rawWrite(stderr, text.c_str());
  std::exit(1);
}

Address getProcAddr(Library library, const char* name) {
  if (Address found = os::findSymbol(library, name))
    return found;
  // Functions of the stdcall convention may be exported only as
  // "_<name>@<bytes of arguments>".
  std::string decorated = "_";
  decorated.append(name, std::min(std::strlen(name), decoratedNameLimit)).append("@");
  const std::size_t stem = decorated.size();
  for (int bytes = 0; bytes <= largestArgumentBytes; bytes += 4) {
    decorated.resize(stem);
    decorated.append(std::to_string(bytes));
    if (Address found = os::findSymbol(library, decorated.c_str()))
      return found;
  }
  procAddrError(name);
}

void procAddrError(const char* name) {
  std::string text = "could not import: ";
  text.append(name).append("\n");
  rawWrite(stderr, text.c_str());
  std::exit(1);
}

}  // namespace tavik
