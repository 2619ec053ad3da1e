// Version services through the Win32 API: GetVersionExA for the running
// system, the version-information functions for files.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Version : public VersionInfo {
public:
  bool GetOsVersion(OsVersionInfo &Out) override;
  bool LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) override;
  bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                  const uint8_t *&Data, uint32_t &Length) override;
};

} // namespace platform::win32
