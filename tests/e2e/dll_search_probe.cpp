// Loads libraries by their bare names after restricting the search as the
// shipped programs do (or, with the argument "plain", without), and reads a
// version resource through the platform layer, which loads version.dll
// from the system directory. It imports nothing but kernel32 and the C
// runtime, so that every library it loads is one it asked for.
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Version.h"

#include <windows.h>

#include <cstring>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!std::strstr(GetCommandLineA(), "plain"))
    platform::win32::RestrictDllSearch();
  for (const char *Name : {"msimg32.dll", "riched20.dll", "uxtheme.dll", "winmm.dll"})
    LoadLibraryA(Name);
  char Self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  platform::win32::Win32Version Version;
  std::vector<uint8_t> Block;
  Version.LoadFileVersionBlock(Self, Block);
  return 0;
}
