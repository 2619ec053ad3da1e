#include "platform/win32/DllSearch.h"

#include <string>

namespace platform::win32 {

namespace {

constexpr DWORD SearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename Proc> Proc Kernel32Proc(const char *Name) {
  HMODULE Kernel = GetModuleHandleA("kernel32.dll");
  return Kernel ? reinterpret_cast<Proc>(reinterpret_cast<void *>(GetProcAddress(Kernel, Name)))
                : nullptr;
}

} // namespace

void RestrictDllSearch() {
  using SetDefaultDllDirectoriesProc = BOOL(WINAPI *)(DWORD);
  using SetDllDirectoryProc = BOOL(WINAPI *)(LPCSTR);
  if (auto SetDefault = Kernel32Proc<SetDefaultDllDirectoriesProc>("SetDefaultDllDirectories"))
    SetDefault(SearchSystem32);
  if (auto SetDirectory = Kernel32Proc<SetDllDirectoryProc>("SetDllDirectoryA"))
    SetDirectory("");
}

HMODULE LoadSystemLibrary(const char *Name) {
  char Dir[MAX_PATH + 1] = {};
  const UINT N = GetSystemDirectoryA(Dir, MAX_PATH);
  if (N == 0 || N >= MAX_PATH)
    return nullptr;
  std::string Path(Dir, N);
  if (Path.back() != '\\')
    Path += '\\';
  Path += Name;
  // With an absolute path the loader looks nowhere else; the flag keeps a
  // library's own dependencies out of the program's folder where the system
  // knows it (LOAD_WITH_ALTERED_SEARCH_PATH, every Win32 system).
  return LoadLibraryExA(Path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace platform::win32
