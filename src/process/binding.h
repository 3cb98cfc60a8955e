// Binding of operating-system functions by name at start-up.
//
// Every system function the program calls, apart from the binding itself and
// the C library, is looked up once by name and called through the stored
// address. The slots, and the procedures that fill them, are in bound.h.
#pragma once

#include <string>

#include "process/os.h"

namespace tavik {

// The named library, or ends the process through loadLibraryError.
Library loadLibrary(const char* name);

// "could not load: <name>", plus the bad-format line when the system's last
// error is 193; then exit code 1.
[[noreturn]] void loadLibraryError(const char* name);
std::string loadFailureText(const char* name, unsigned long lastError);

// The named function of a library: first by its plain name, then by the
// decorated names "_<name>@0", "_<name>@4", ... "_<name>@200". Ends the process
// through procAddrError when none is found.
Address getProcAddr(Library library, const char* name);

// "could not import: <name>", then exit code 1.
[[noreturn]] void procAddrError(const char* name);

// Stores the named function of `library` in `slot`.
template <class Function>
void bindProc(Function*& slot, Library library, const char* name) {
  slot = reinterpret_cast<Function*>(getProcAddr(library, name));
}

}  // namespace tavik
