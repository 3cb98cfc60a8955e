// A line of input: bytes with a length, NUL bytes among them, in a block that
// grows in place. A line may be of any length, and a long one is neither
// copied as it grows nor held twice.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavik {

struct Line {
  Line() = default;
  Line(Line&& other) noexcept;
  Line& operator=(Line&& other) noexcept;
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  ~Line();

  char* bytes = nullptr;
  std::size_t size = 0;      // bytes of the line
  std::size_t capacity = 0;  // bytes of the block
};

// The line's bytes, valid until the line changes.
std::string_view view(const Line& line);

// Makes room for at least `capacity` bytes, keeping the line: the block grows
// to twice its size or more. Ends the process with "out of memory" when there
// is no memory.
void reserve(Line& line, std::size_t capacity);

// Appends the bytes.
void append(Line& line, std::string_view bytes);

// A line holding the bytes.
Line lineOf(std::string_view bytes);

}  // namespace tavik
