#include "process/binding.h"
#include "process/os-posix.h"
#include "support.h"

TEST(Binding, PlainNameFirstThenDecoratedNamesFrom0To200InStepsOf4) {
  static int found;  // what each name must be bound to
  static int other;  // candidates that must not be
  const std::string longName(300, 'n');
  const std::string decorated = "_" + longName.substr(0, 244) + "@0";
  const tavik::os::PosixSymbol symbols[] = {
      {"_Plain@0", &other},         // a decorated name, tried after the plain one
      {"Plain", &found},            // the plain name
      {"_Sleep@2", &other},         // no step of 4
      {"_Sleep@4", &found},         // the first found
      {"_Sleep@8", &other},         // a later one
      {decorated.c_str(), &found},  // a long name cut to 244 characters
      {"_Wait@200", &found},        // the last tried
      {"_Late@204", &other},        // not tried
  };
  const tavik::os::PosixLibrary library{"fake", symbols};
  for (const char* name : {"Plain", "Sleep", "Wait", longName.c_str()})
    EXPECT_EQ(tavik::getProcAddr(&library, name), &found) << name;
  EXPECT_EXIT(tavik::getProcAddr(&library, "Late"), testing::ExitedWithCode(1),
              testing::Matcher<const std::string&>("could not import: Late\n"));
}
