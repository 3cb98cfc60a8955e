#include "console/line.h"

#include "process/os.h"
#include "support.h"

using namespace tavik;

// From here on a block is a mapping of its own (POSIX), or taken from the system (Windows).
constexpr std::size_t mappedFrom = std::size_t{2} << 20;

// The last heap block into the first mapping, and a mapping into a larger one.
TEST(Line, AFullBlockKeepsEveryByteAsItGrows) {
  for (const std::size_t size : {mappedFrom - os::blockUnit, mappedFrom}) {
    const std::string bytes(size, 'r');
    Line line = lineOf(bytes);
    append(line, "k");
    EXPECT_TRUE(view(line) == bytes + "k") << size;
  }
}

// Its first and last bytes can no longer be written: the write ends the process.
TEST(Line, GivesALargeBlockBackToTheSystem) {
  const struct {
    const char* name;
    void (*release)(Line& line);
  } rows[] = {
      {"assigned to", [](Line& line) { line = lineOf("rock"); }},
      {"destroyed", [](Line& line) { const Line destroyed = std::move(line); }},
  };
  for (const auto& row : rows) {
    Line line = lineOf(std::string(mappedFrom, 'r'));
    char* const first = line.bytes;
    char* const last = line.bytes + line.capacity - 1;
    row.release(line);
    EXPECT_DEATH(*first = 'r', "") << row.name;
    EXPECT_DEATH(*last = 'r', "") << row.name;
  }
}

TEST(Line, EndsInOutOfMemoryBeyondAnyAddressSpace) {
  Line line;
  EXPECT_EXIT(reserve(line, SIZE_MAX), testing::ExitedWithCode(1),
              testing::Matcher<const std::string&>("out of memory\n"));
}

// As resizeBlock promises when there is no memory: on POSIX, when no mapping can be had.
TEST(Line, ABlockThatCannotGrowStaysAsItWas) {
  const std::string bytes(os::blockUnit, 'r');
  Line line = lineOf(bytes);
  const std::size_t beyondAnyAddressSpace = SIZE_MAX - os::blockUnit + 1;
  const void* const grown = os::resizeBlock(line.bytes, line.capacity, beyondAnyAddressSpace);
  EXPECT_EQ(grown, nullptr);
  EXPECT_TRUE(view(line) == bytes);
}
