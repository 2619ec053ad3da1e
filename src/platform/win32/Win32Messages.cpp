#include "platform/win32/Win32Messages.h"

#include <windows.h>

namespace platform::win32 {

int Win32Messages::ShowMessage(const std::string &Text, const std::string &Caption,
                              uint32_t Flags) {
  UINT f = Flags;
  if (!FOwner)
    f |= MB_TASKMODAL;
  return MessageBoxA(static_cast<HWND>(FOwner), Text.c_str(), Caption.c_str(), f);
}

} // namespace platform::win32
