#include "platform/win32/Win32Ini.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// A list of zero-terminated names ended by an empty one, as the profile
// functions return them; grown until the list fits.
bool ReadNameList(const char *Section, const std::string &File, std::vector<std::string> &Out) {
  Out.clear();
  if (GetFileAttributesA(File.c_str()) == INVALID_FILE_ATTRIBUTES)
    return false;
  std::vector<char> buf(4096);
  for (;;) {
    DWORD n = Section ? GetPrivateProfileStringA(Section, nullptr, "", buf.data(),
                                                 static_cast<DWORD>(buf.size()), File.c_str())
                      : GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()),
                                                       File.c_str());
    if (n + 2 < buf.size() || buf.size() >= (1u << 24)) {
      for (DWORD i = 0; i < n;) {
        std::string name(buf.data() + i);
        i += static_cast<DWORD>(name.size()) + 1;
        if (!name.empty())
          Out.push_back(std::move(name));
      }
      return true;
    }
    buf.resize(buf.size() * 4);
  }
}

} // namespace

std::string Win32Ini::ReadString(const std::string &File, const std::string &Section,
                                 const std::string &Key, const std::string &Default) {
  char buf[2048];
  DWORD n = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), Default.c_str(), buf,
                                     sizeof buf, File.c_str());
  return std::string(buf, n);
}

bool Win32Ini::WriteString(const std::string &File, const std::string &Section,
                           const std::string &Key, const std::string &Value) {
  return WritePrivateProfileStringA(Section.c_str(), Key.c_str(), Value.c_str(), File.c_str()) !=
         0;
}

bool Win32Ini::ReadSections(const std::string &File, std::vector<std::string> &Out) {
  return ReadNameList(nullptr, File, Out);
}

bool Win32Ini::ReadKeys(const std::string &File, const std::string &Section,
                        std::vector<std::string> &Out) {
  return ReadNameList(Section.c_str(), File, Out);
}

void Win32Ini::FlushFile(const std::string &File) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, File.c_str());
}

} // namespace platform::win32
