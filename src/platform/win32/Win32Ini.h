// Private-profile (INI) files through the Win32 API.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Ini : public IniFiles {
public:
  std::string ReadString(const std::string &File, const std::string &Section,
                         const std::string &Key, const std::string &Default) override;
  bool WriteString(const std::string &File, const std::string &Section, const std::string &Key,
                   const std::string &Value) override;
  bool ReadSections(const std::string &File, std::vector<std::string> &Out) override;
  bool ReadKeys(const std::string &File, const std::string &Section,
                std::vector<std::string> &Out) override;
  void FlushFile(const std::string &File) override;
};

} // namespace platform::win32
