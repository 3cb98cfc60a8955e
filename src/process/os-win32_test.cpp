#include <cstdio>

#include "process/os.h"
#include "support.h"

TEST(Binding, AFileThatIsNoLibraryIsOfABadFormat) {  // which the load failure explains
  std::FILE* file = std::fopen("not-a-library.dll", "wb");
  std::fputs("not a library", file);
  std::fclose(file);
  EXPECT_EQ(tavik::os::loadLibrary("not-a-library.dll"), nullptr);
  EXPECT_EQ(tavik::os::lastError(), 193u);
  std::remove("not-a-library.dll");
}
