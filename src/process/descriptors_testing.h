// For tests: the C runtime's file descriptors, whose calls are named
// differently on each system (descriptors-posix_testing.cpp,
// descriptors-win32_testing.cpp).
#pragma once

#include <cstdio>
#include <string>

namespace tavik::descriptors {

// A second descriptor for the file open on `fd`.
int duplicate(int fd);
// Makes `fd` refer to the file open on `source`.
void redirect(int fd, int source);
void close(int fd);
bool isOpen(int fd);
// The whole file open on `fd`, read without moving its position.
std::string contents(int fd);

// A stream open for writing on which every write that reaches the system
// fails: the full device on POSIX, a pipe without reader on Windows.
std::FILE* openUnwritable();

}  // namespace tavik::descriptors
