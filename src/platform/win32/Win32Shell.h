// Shell services through the Win32 API: ".lnk" shortcuts through the shell
// link COM object, font resources and the font-change broadcast.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Shell : public Shell {
public:
  bool CreateShellLink(const ShellLinkParams &Params) override;
  int AddFont(const std::string &Path) override;
  bool RemoveFont(const std::string &Path) override;
  void BroadcastFontChange(uint32_t TimeoutMs) override;
};

} // namespace platform::win32
