# Hardening of the program's code, on by default; TAVIK_HARDEN=OFF builds without it.
# Included before the first target, it applies to the C++ code of every target:
# the game, tavik_core and the tests alike. docs/hardening.md says what each
# flag guards against, what it costs and why Windows gets less.
#
# On Linux: position-independent executables, the stack protector, stack clash
# protection, and in optimised builds fortified C library calls
# (_FORTIFY_SOURCE). Full RELRO is among the game's own link options. Each flag
# is first tried on the compiler (and the linker) that the build uses, with the
# build's own flags, and left out where it fails or warns.
#
# On Windows (MinGW-w64): address space layout randomisation with high-entropy
# addresses, and data execution prevention, which the linker turns on by
# default, asked for by name. No stack protector: MinGW-w64's needs a DLL of
# its own, or, linked statically, ADVAPI32.dll for its guard value.
option(TAVIK_HARDEN "Harden the program: stack protector, fortified calls, PIE, ASLR" ON)
if(NOT TAVIK_HARDEN)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)

# Whether FLAGS compile optimised code: the last -O wins, and none is -O0.
#   tavik_optimised(FLAGS VARIABLE)
function(tavik_optimised flags variable)
  string(REGEX MATCHALL "(^| )-O[^ ]*" levels " ${flags}")
  list(POP_BACK levels last)
  if(last AND NOT last MATCHES "-O0$")
    set(${variable} TRUE PARENT_SCOPE)
  else()
    set(${variable} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Adds the flags; a function, so that its variables stay its own.
function(tavik_harden)
  # The flags go to C++ code only. They are tried on the C++ compiler, and the C
  # compiler may be another one; the only C code is a test library preloaded
  # into other programs.
  set(cxx "$<COMPILE_LANGUAGE:CXX>")

  if(WIN32)
    foreach(flag -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
      string(MAKE_C_IDENTIFIER "TAVIK_LINKER_HAS${flag}" has)
      check_linker_flag(CXX ${flag} ${has})
      if(${has})
        add_link_options(${flag})
      endif()
    endforeach()
    return()
  endif()

  # Position-independent code in the programs and in the static library linked
  # into them, so that the loader places them at a random address. Debian's
  # compilers do it by default; saying so keeps it with compilers that do not.
  # (CMake's POSITION_INDEPENDENT_CODE would compile the static library as for
  # a shared one, where every global function may be interposed.)
  check_cxx_compiler_flag(-fPIE TAVIK_CXX_HAS_FPIE)
  check_linker_flag(CXX -pie TAVIK_LINKER_HAS_PIE)
  if(TAVIK_CXX_HAS_FPIE AND TAVIK_LINKER_HAS_PIE)
    set(type "$<TARGET_PROPERTY:TYPE>")
    set(shared "$<IN_LIST:${type},SHARED_LIBRARY$<SEMICOLON>MODULE_LIBRARY>")
    add_compile_options("$<$<AND:${cxx},$<NOT:${shared}>>:-fPIE>")
    add_link_options("$<$<STREQUAL:${type},EXECUTABLE>:-pie>")
  endif()

  # A canary between the locals and the return address of every function with
  # an array or a local whose address is taken, checked on return; and a probe
  # on every page of a stack frame larger than a page, so that the stack cannot
  # leap over its guard page into other memory. Both are harmless in a Debug
  # build and under the sanitizers, and stay there.
  foreach(flag -fstack-protector-strong -fstack-clash-protection)
    string(MAKE_C_IDENTIFIER "TAVIK_CXX_HAS${flag}" has)
    check_cxx_compiler_flag(${flag} ${has})
    if(${has})
      add_compile_options("$<${cxx}:${flag}>")
    endif()
  endforeach()

  # _FORTIFY_SOURCE makes the C library's copying, reading and formatting calls
  # check the size of a buffer that the compiler can see. The C library does it
  # in optimised code only (and warns otherwise), and it fights
  # AddressSanitizer, which checks the same calls its own way. A None build (a
  # distribution's) is optimised when its CMAKE_CXX_FLAGS carry an -O.
  # A multi-configuration build picks its optimised configurations out by a
  # generator expression; a single-configuration build is known now.
  if(CMAKE_CONFIGURATION_TYPES)
    set(optimised_configs "")
    foreach(config IN LISTS CMAKE_CONFIGURATION_TYPES)
      string(TOUPPER "${config}" upper)
      tavik_optimised("${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${upper}}" optimised)
      if(optimised)
        list(APPEND optimised_configs "${config}")
      endif()
    endforeach()
    list(JOIN optimised_configs "," names)
    set(fortified "$<AND:${cxx},$<CONFIG:${names}>>")
  else()
    string(TOUPPER "${CMAKE_BUILD_TYPE}" upper)
    tavik_optimised("${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${upper}}" optimised_configs)
    set(fortified "${cxx}")
  endif()
  if(NOT optimised_configs OR TAVIK_SANITIZE)
    return()
  endif()

  # Level 3 also checks buffers whose size is only known at run time (one from
  # malloc, a pointer with its size beside it): it needs the compiler's
  # __builtin_dynamic_object_size and glibc 2.34. The C library's headers tell
  # which level they put in force: an older glibc quietly gives level 2 when
  # asked for 3, another C library none. Tried optimised and with warnings as
  # errors, so that no level the headers warn about is taken.
  set(CMAKE_REQUIRED_FLAGS "-O2 -Werror")
  set(CMAKE_REQUIRED_QUIET ON)
  foreach(level 3 2)
    check_cxx_source_compiles("
      #undef _FORTIFY_SOURCE
      #define _FORTIFY_SOURCE ${level}
      #include <cstring>
      #if !defined(__USE_FORTIFY_LEVEL) || __USE_FORTIFY_LEVEL != ${level}
      #error the C library does not fortify at this level
      #endif
      int main() { return 0; }
    " TAVIK_FORTIFY_LEVEL_${level})
    if(TAVIK_FORTIFY_LEVEL_${level})
      # -U first: the build's own flags may define it already (dpkg-buildflags
      # puts -D_FORTIFY_SOURCE=2 in CPPFLAGS), and a second -D would warn. The
      # compile options come after CMAKE_CXX_FLAGS on the command line.
      add_compile_options(
        "$<${fortified}:-U_FORTIFY_SOURCE>" "$<${fortified}:-D_FORTIFY_SOURCE=${level}>")
      message(STATUS "Fortified C library calls: level ${level}")
      return()
    endif()
  endforeach()
endfunction()

tavik_harden()
