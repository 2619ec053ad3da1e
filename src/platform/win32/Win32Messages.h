// Message boxes through the Win32 API.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Messages : public Messages {
public:
  // Owner: the window the boxes are modal to (none for a task-modal box).
  explicit Win32Messages(void *Owner = nullptr) : FOwner(Owner) {}
  void SetOwner(void *Owner) { FOwner = Owner; }
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override;

private:
  void *FOwner;
};

} // namespace platform::win32
