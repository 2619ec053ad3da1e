// What the pages with content of their own reach beyond their controls: the
// setup model, the machine and the running system's code. The setup window
// fills it once the package is loaded and the system is classified.
#pragma once

#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstdint>

namespace pages {

struct PageServices {
  package::TOpenFileType *Model = nullptr;
  platform::FileSystem *Files = nullptr;
  platform::Registry *Reg = nullptr;
  platform::Messages *Msg = nullptr;
  uint8_t OsCode = 5; // unknown until the system is classified
};

} // namespace pages
