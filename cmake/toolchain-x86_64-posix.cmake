# x86_64 MinGW-w64 with the posix thread model, which GoogleTest needs: the
# Win32 unit tests and the end-to-end programs that run under Wine. Machines
# whose kernel cannot run 32-bit code (no ia32 user mode) still run 64-bit
# Wine, so the tests exercise the same sources as 64-bit Windows programs;
# the shipped 32-bit programs come from toolchain-i686-win32.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_tc x86_64-w64-mingw32)
set(CMAKE_C_COMPILER /usr/bin/${_tc}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${_tc}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${_tc}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_tc})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
