#include "process/os.h"
#include "support.h"

TEST(Binding, AFileThatIsNoLibraryIsOfABadFormat) {  // win.ini, which the load failure explains
  const tavik::Library library = tavik::os::loadLibrary("C:\\Windows\\win.ini");
  const unsigned long error = tavik::os::lastError();
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(error, 193u);
}
