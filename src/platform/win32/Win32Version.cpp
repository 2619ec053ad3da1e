#include "platform/win32/Win32Version.h"

#include "platform/win32/DllSearch.h"

#include <windows.h>

namespace platform::win32 {

namespace {

// version.dll is no known DLL of the system: imported, the loader would
// take a copy of that name from the program's folder before WinMain runs.
// It is loaded on first use from the system directory instead.
struct VersionApi {
  using SizeProc = DWORD(WINAPI *)(LPCSTR, LPDWORD);
  using InfoProc = BOOL(WINAPI *)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryProc = BOOL(WINAPI *)(LPCVOID, LPCSTR, LPVOID *, PUINT);
  SizeProc GetSize = nullptr;
  InfoProc GetInfo = nullptr;
  QueryProc Query = nullptr;

  VersionApi() {
    if (HMODULE Dll = LoadSystemLibrary("version.dll")) {
      GetSize = Proc<SizeProc>(Dll, "GetFileVersionInfoSizeA");
      GetInfo = Proc<InfoProc>(Dll, "GetFileVersionInfoA");
      Query = Proc<QueryProc>(Dll, "VerQueryValueA");
    }
  }
  bool Usable() const { return GetSize && GetInfo && Query; }

  template <typename T> static T Proc(HMODULE Dll, const char *Name) {
    return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(Dll, Name)));
  }
};

const VersionApi &Api() {
  static const VersionApi Loaded;
  return Loaded;
}

} // namespace

bool Win32Version::GetOsVersion(OsVersionInfo &Out) {
  // The plain 148-byte record: Windows 95 and NT 4.0 before SP6 refuse the
  // extended one.
  OSVERSIONINFOA Info;
  ZeroMemory(&Info, sizeof Info);
  Info.dwOSVersionInfoSize = sizeof Info;
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record is 148 bytes");
  if (!GetVersionExA(&Info))
    return false;
  Out.MajorVersion = Info.dwMajorVersion;
  Out.MinorVersion = Info.dwMinorVersion;
  Out.BuildNumber = Info.dwBuildNumber;
  Out.PlatformId = Info.dwPlatformId;
  Info.szCSDVersion[sizeof Info.szCSDVersion - 1] = 0;
  Out.CSDVersion = Info.szCSDVersion;
  return true;
}

bool Win32Version::LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) {
  Block.clear();
  if (!Api().Usable())
    return false;
  DWORD Handle = 0;
  DWORD Size = Api().GetSize(Path.c_str(), &Handle);
  if (Size == 0)
    return false;
  Block.resize(Size);
  if (!Api().GetInfo(Path.c_str(), 0, Size, Block.data())) {
    Block.clear();
    return false;
  }
  return true;
}

bool Win32Version::QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                              const uint8_t *&Data, uint32_t &Length) {
  if (Block.empty() || !Api().Usable())
    return false;
  LPVOID Value = nullptr;
  UINT Len = 0;
  if (!Api().Query(Block.data(), SubBlock.c_str(), &Value, &Len) || !Value)
    return false;
  const uint8_t *P = static_cast<const uint8_t *>(Value);
  if (P < Block.data() || P > Block.data() + Block.size())
    return false;
  // Never hand out more than the block holds, whatever the length says.
  size_t Room = Block.data() + Block.size() - P;
  Data = P;
  Length = Len > Room ? uint32_t(Room) : Len;
  return true;
}

} // namespace platform::win32
