// The registry through the Win32 API.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Registry : public Registry {
public:
  std::unique_ptr<RegistryKey> OpenKey(RootKey Root, const std::string &Path,
                                       bool Create) override;
  bool DeleteKey(RootKey Root, const std::string &Path) override;
};

} // namespace platform::win32
