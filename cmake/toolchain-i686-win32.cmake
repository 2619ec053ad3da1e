# i686 MinGW-w64 with the win32 thread model: the shipped programs. Its
# runtime imports nothing that Windows 95/NT 4.0 lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_tc i686-w64-mingw32)
set(CMAKE_C_COMPILER /usr/bin/${_tc}-gcc-win32)
set(CMAKE_CXX_COMPILER /usr/bin/${_tc}-g++-win32)
set(CMAKE_RC_COMPILER /usr/bin/${_tc}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_tc})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
