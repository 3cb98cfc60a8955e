#include <cstdio>

#include "process/os.h"
#include "support.h"

TEST(Binding, AFileThatIsNoLibraryIsOfABadFormat) {  // which the load failure explains
  std::FILE* file = std::fopen("not-a-library.dll", "wb");
  ASSERT_NE(file, nullptr);
  EXPECT_GE(std::fputs("not a library", file), 0);
  EXPECT_EQ(std::fclose(file), 0);
  const tavik::Library library = tavik::os::loadLibrary("not-a-library.dll");
  const unsigned long error = tavik::os::lastError();
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(error, 193u);
  EXPECT_EQ(std::remove("not-a-library.dll"), 0);
}
