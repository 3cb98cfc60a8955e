# The Windows build: 64-bit Windows programs cross-compiled with Debian's
# MinGW-w64 toolchain (g++-mingw-w64-x86-64-posix), run and tested under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries and headers of the target only; programs of the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C runtime is msvcrt.dll, and its own stdio is the one called. libstdc++
# switches MinGW's replacement printf family on in every header it includes, so
# stdio.h comes first, read with the replacement off.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=0 -include stdio.h")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=0 -include stdio.h")

# Everything but the system is linked in (libstdc++, libgcc, winpthread): the
# programs import from KERNEL32.dll and msvcrt.dll only.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# Target programs, tests among them, run under Wine: headless (no debug
# output, no offer to install the .NET or HTML add-ons), in a Wine prefix of
# the build's own, which the first start creates.
set(CMAKE_CROSSCOMPILING_EMULATOR
  env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
  wine)
