#include "process/binding.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

TEST(LoadFailure, NamesTheLibraryAndExplainsABadFormat) {
  EXPECT_EQ(loadFailureText("Bcrypt.dll", 126), "could not load: Bcrypt.dll\n");
  EXPECT_EQ(loadFailureText("kernel32", 193),
            "could not load: kernel32\n(bad format; library may be wrong architecture)\n");
  EXPECT_EQ(loadFailureText(nullptr, 0), "could not load: \n");
}

TEST(LoadFailure, EndsTheProcess) {
  EXPECT_EXIT(loadLibrary("NoSuchLibrary.dll"), ::testing::ExitedWithCode(1),
              "^could not load: NoSuchLibrary.dll\n$");
}

TEST(ImportFailure, EndsTheProcess) {
  EXPECT_EXIT(getProcAddr(loadLibrary("kernel32"), "NoSuchFunction"),
              ::testing::ExitedWithCode(1), "^could not import: NoSuchFunction\n$");
}

}  // namespace
}  // namespace tavik
