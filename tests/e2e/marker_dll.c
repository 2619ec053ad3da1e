/* A library that announces itself: loaded into a process, it writes an empty
   file named after itself with ".loaded" appended. Copied under the names of
   system libraries beside a program, it shows which of them the program
   took from its own folder. It exports nothing, so a program that imports a
   library of its name cannot start. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) {
  (void)Reserved;
  if (Reason == DLL_PROCESS_ATTACH) {
    char Path[MAX_PATH + 16];
    DWORD N = GetModuleFileNameA(Instance, Path, MAX_PATH);
    if (N > 0 && N < MAX_PATH) {
      HANDLE F;
      lstrcatA(Path, ".loaded");
      F = CreateFileA(Path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (F != INVALID_HANDLE_VALUE)
        CloseHandle(F);
    }
  }
  return TRUE;
}
