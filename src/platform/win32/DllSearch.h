// Keeps the program from loading libraries planted beside it. A setup
// program is usually started from a download folder that may hold anything,
// with a system DLL's name (version.dll, riched20.dll, msimg32.dll ...);
// Windows looks for a DLL in the program's folder before the system's.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Takes the program's folder and the current directory out of the search for
// libraries loaded from now on: where the system can (SetDefaultDllDirectories,
// Windows 8, or 7 and Vista with update 2533623) only the system directory
// is searched; elsewhere SetDllDirectoryA("") drops the current directory
// (XP SP1 and later), and Windows 95 to 2000 have neither. Both are looked up
// at run time, so the program still starts on systems without them. Call it
// first thing in WinMain.
void RestrictDllSearch();

// Loads a library by its full path in the system directory, never from the
// program's folder whatever the system's search order is. Null when it
// cannot be loaded.
HMODULE LoadSystemLibrary(const char *Name);

} // namespace platform::win32
