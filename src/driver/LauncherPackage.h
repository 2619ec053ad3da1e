// The package at the end of the launcher's own file as start-up reads it:
// the script loaded into the setup model, the picture entries handed on one
// by one, and the position of the first other entry, where the installation
// starts reading.
#pragma once

#include "package/Package.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstdint>

namespace driver {

struct LauncherPackage {
  package::OpenPackageResult Result = package::OpenPackageResult::Corrupted;
  int ScriptResult = -1;      // what the script loader returned; -1 when it did not run
  uint64_t FilesPosition = 0; // the first entry that is no picture
};

// Reads the package of File into Model (initialised here first). The loader
// shows its own errors through Msg, and the model keeps whatever it made of
// the script; OnPicture receives each picture entry's header with the file
// positioned at it. Nothing more is read when the package is missing or
// holds no script.
LauncherPackage LoadLauncherPackage(platform::File &File, package::TOpenFileType &Model,
                                    platform::Messages &Msg, const package::EntryAction &OnPicture);

} // namespace driver
