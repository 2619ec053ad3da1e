#include "platform/win32/Win32Version.h"

#include <windows.h>

namespace platform::win32 {

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
  DWORD Handle = 0;
  DWORD Size = GetFileVersionInfoSizeA(Path.c_str(), &Handle);
  if (Size == 0)
    return false;
  Block.resize(Size);
  if (!GetFileVersionInfoA(Path.c_str(), 0, Size, Block.data())) {
    Block.clear();
    return false;
  }
  return true;
}

bool Win32Version::QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                              const uint8_t *&Data, uint32_t &Length) {
  if (Block.empty())
    return false;
  LPVOID Value = nullptr;
  UINT Len = 0;
  // VerQueryValueA does not write to the block; it takes a non-const pointer.
  if (!VerQueryValueA(const_cast<uint8_t *>(Block.data()), SubBlock.c_str(), &Value, &Len) ||
      !Value)
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
