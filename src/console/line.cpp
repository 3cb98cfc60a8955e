#include "console/line.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "process/failure.h"
#include "process/os.h"

namespace tavik {

Line::Line(Line&& other) noexcept
    : bytes(std::exchange(other.bytes, nullptr)),
      size(std::exchange(other.size, 0)),
      capacity(std::exchange(other.capacity, 0)) {}

Line& Line::operator=(Line&& other) noexcept {
  if (this != &other) {
    os::freeBlock(bytes, capacity);
    bytes = std::exchange(other.bytes, nullptr);
    size = std::exchange(other.size, 0);
    capacity = std::exchange(other.capacity, 0);
  }
  return *this;
}

Line::~Line() { os::freeBlock(bytes, capacity); }

std::string_view view(const Line& line) { return {line.bytes, line.size}; }

void reserve(Line& line, std::size_t capacity) {
  if (capacity <= line.capacity)
    return;
  // Doubling keeps the number of resizes logarithmic in the line's length.
  std::size_t wanted = std::max(capacity, 2 * line.capacity);
  wanted += os::blockUnit - 1;
  if (wanted < capacity)
    raiseOutOfMem();  // beyond any address space
  wanted -= wanted % os::blockUnit;
  void* block = os::resizeBlock(line.bytes, line.capacity, wanted);
  if (!block)
    raiseOutOfMem();
  line.bytes = static_cast<char*>(block);
  line.capacity = wanted;
}

void append(Line& line, std::string_view bytes) {
  reserve(line, line.size + bytes.size());
  if (!bytes.empty())
    std::memcpy(line.bytes + line.size, bytes.data(), bytes.size());
  line.size += bytes.size();
}

Line lineOf(std::string_view bytes) {
  Line line;
  append(line, bytes);
  return line;
}

}  // namespace tavik
