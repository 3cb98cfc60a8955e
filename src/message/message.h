// The concealed message: an 80-letter key and the RC4 encipherment of the
// message as 76 upper-case hexadecimal digits.
#pragma once

namespace tavik {

extern const char concealedKey[81];
extern const char concealedText[77];

}  // namespace tavik
