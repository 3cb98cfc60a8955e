# A Linux build for another processor, cross-compiled with Debian's toolchain
# for it (g++-aarch64-linux-gnu, g++-arm-linux-gnueabihf, g++-s390x-linux-gnu,
# g++-i686-linux-gnu...), named by its triplet, as the presets arm64, armhf,
# s390x and i386 do:
#   cmake -S . -B build-s390x -DTAVIK_TRIPLET=s390x-linux-gnu \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/linux-cross.cmake
set(TAVIK_TRIPLET "${TAVIK_TRIPLET}" CACHE STRING
  "The target's triplet, as Debian names its cross toolchain (aarch64-linux-gnu)")
if(NOT TAVIK_TRIPLET MATCHES "^[a-z0-9_]+-linux-gnu")
  message(FATAL_ERROR
    "linux-cross.cmake needs TAVIK_TRIPLET, a Linux triplet such as aarch64-linux-gnu")
endif()
# The checks' test projects read this file again, and need the triplet too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIK_TRIPLET)

string(REGEX MATCH "^[^-]+" tavik_cpu "${TAVIK_TRIPLET}")
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${tavik_cpu})

set(CMAKE_C_COMPILER ${TAVIK_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TAVIK_TRIPLET}-g++)

# Libraries and headers of the target only; programs of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVIK_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-user's name for a processor: qemu-arm runs every 32-bit ARM, qemu-ppc64le
# a powerpc64le, qemu-i386 every i?86.
function(tavik_qemu_name cpu result)
  if(cpu MATCHES "^i[3-6]86$")
    set(cpu i386)
  elseif(cpu MATCHES "^arm")
    set(cpu arm)
  elseif(cpu MATCHES "^powerpc")
    string(REPLACE powerpc ppc cpu ${cpu})
  elseif(cpu STREQUAL amd64)
    set(cpu x86_64)
  endif()
  set(${result} ${cpu} PARENT_SCOPE)
endfunction()
tavik_qemu_name(${tavik_cpu} tavik_target)
tavik_qemu_name(${CMAKE_HOST_SYSTEM_PROCESSOR} tavik_host)

# Target programs, tests among them, run on the machine itself where it can
# (i686 programs on x86-64, with libc6:i386 and libstdc++6:i386), and under
# qemu-user elsewhere. Either way with the target's loader and libraries as
# Debian installs them beside the machine's own (libc6:arm64,
# libstdc++6:arm64...). qemu's own prefix for them
# (QEMU_LD_PREFIX=/usr/aarch64-linux-gnu) leaves a forked child spinning, and
# the death tests with it.
if(NOT (tavik_target STREQUAL tavik_host
    OR (tavik_target STREQUAL i386 AND tavik_host STREQUAL x86_64)))
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${tavik_target})
endif()
unset(tavik_cpu)
unset(tavik_target)
unset(tavik_host)
