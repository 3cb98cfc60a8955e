// Writing: message lines and prompts to standard output.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

namespace tavik {

// Writes each text byte for byte (NUL bytes included), then one line feed, and
// flushes standard output. Write failures are ignored.
void echoBinSafe(std::initializer_list<std::string> texts);

// Writes the text byte for byte, NUL bytes included. A failure raises IOError
// "cannot write string to file" when `raise` is set and is ignored otherwise.
// With `raise` set, a stream whose error flag is set after the write has failed
// too: a buffered write can succeed after an earlier flush failed.
void writeWindows(std::FILE* stream, const std::string& text, bool raise);

// writeWindows with `raise` set.
void write(std::FILE* stream, const std::string& text);

// fflush, result ignored.
void flushFile(std::FILE* stream);

}  // namespace tavik
