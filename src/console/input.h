// Reading lines: from a console (UTF-16 through ReadConsoleW) or from a stream.
#pragma once

#include <cstdio>
#include <string>

#include "console/line.h"

namespace tavik {

// Writes the prompt to standard output (IOError on failure), flushes it, and
// returns the next line of standard input without its terminator.
Line readLineFromStdin(const std::string& prompt);

// The next line of the stream without its terminator; EOFError "EOF reached" at
// end of input, IOError on a read failure.
Line readLine(std::FILE* stream);

// Reads the next line into `line`: true when a line was read, false (and an
// empty line) at end of input. IOError on a read failure.
bool readLine(std::FILE* stream, Line& line);

// The two roads behind readLine, chosen by os::isConsole.
//
// The stream road returns every line exactly; the only byte ever dropped is one
// CR directly before the line's own line feed.
bool readStreamLine(std::FILE* stream, Line& line);
// The console road: reads UTF-16 through the bound ReadConsoleW (joining reads
// that fill the whole buffer short of the line's CR LF), drops the CR LF, cuts
// the line at a Ctrl+Z (0x1A) and closes the stream when it holds one, and
// converts the rest to UTF-8.
bool readConsoleLine(std::FILE* stream, Line& line);

// Closes the stream (nothing for null, nothing a second time). A closed stream
// reads as ended from then on; only its pointer is remembered, so a stream
// opened later at the same address would read as ended too. The program closes
// only standard input.
void close(std::FILE* stream);

// Raises IOError "errno: <n> `<strerror>`" when the stream's error flag is set,
// after clearing the flag.
void checkErr(std::FILE* stream);

}  // namespace tavik
