#include "process/binding.h"
#include "process/os-posix.h"
#include "support.h"

TEST(Binding, PlainNameFirstThenDecoratedNamesFrom0To200InStepsOf4) {
  static int found, other;  // the candidate that must be bound, and those that must not
  const std::string longName(300, 'n'), kept = "_" + longName.substr(0, 244) + "@0";
  const tavik::os::PosixSymbol symbols[] = {
      {"_Plain@0", &other}, {"Plain", &found},      {"_Sleep@8", &other},  {"_Sleep@2", &other},
      {"_Sleep@4", &found}, {kept.c_str(), &found}, {"_Wait@200", &found}, {"_Late@204", &other}};
  const tavik::os::PosixLibrary library{"fake", symbols};
  for (const char* name : {"Plain", "Sleep", "Wait", longName.c_str()})
    EXPECT_EQ(tavik::getProcAddr(&library, name), &found) << name;
  EXPECT_EXIT(tavik::getProcAddr(&library, "Late"), testing::ExitedWithCode(1),
              testing::Matcher<const std::string&>("could not import: Late\n"));
}
