// Merging a new INI file into an existing one through the platform's
// private-profile functions.
#pragma once

#include "platform/Platform.h"

#include <string>

namespace install {

// Writes every key of NewFile into ExistingFile, section by section in file
// order. With KeepExisting a key the existing file already has keeps its
// value; keys only the existing file has stay as they are. False at the
// first value that cannot be written (or when NewFile has no sections list).
bool MergeIniFile(platform::IniFiles &Ini, const std::string &NewFile,
                  const std::string &ExistingFile, bool KeepExisting);

} // namespace install
