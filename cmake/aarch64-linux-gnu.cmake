# The 64-bit ARM build: Linux programs cross-compiled with Debian's toolchain
# (g++-aarch64-linux-gnu), run and tested under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Libraries and headers of the target only; programs of the host.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Target programs, tests among them, run under qemu-user, with the target's
# loader and libraries as Debian installs them beside the machine's own
# (libc6:arm64, libstdc++6:arm64). qemu's own prefix for them
# (QEMU_LD_PREFIX=/usr/aarch64-linux-gnu) leaves a forked child spinning, and
# the death tests with it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
