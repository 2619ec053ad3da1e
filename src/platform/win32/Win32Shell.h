// Shell services through the Win32 API: ".lnk" shortcuts through the shell
// link COM object, font resources and the font-change broadcast.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

// COM for the calling thread. Shortcuts are made through a COM object, so
// the program makes one of these on its window thread before the
// installation starts and keeps it until the end (COM is not set up and
// torn down per shortcut).
class ComApartment {
public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment &) = delete;
  ComApartment &operator=(const ComApartment &) = delete;
  bool Ready() const;

private:
  long FResult;
};

class Win32Shell : public Shell {
public:
  // Needs a ComApartment on the calling thread.
  ShellLinkResult CreateShellLink(const ShellLinkParams &Params) override;
  int AddFont(const std::string &Path) override;
  bool RemoveFont(const std::string &Path) override;
  void BroadcastFontChange(uint32_t TimeoutMs) override;
};

} // namespace platform::win32
