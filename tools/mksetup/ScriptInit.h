// `mksetup init`: a complete, commented setup script for the files below a
// folder, so that `mksetup build` turns the folder into a working setup
// program at once and the author edits from there.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mksetup {

struct InitOptions {
  std::string SourceDir; // the folder whose tree is installed
  std::string Title;     // the product's name, as the setup shows it
};

// The overwrite policy a file gets from its name: executables and libraries
// by version, INI files merged keeping the user's values, other
// configuration kept, everything else replaced only by a file as new.
int DefaultIfExists(const std::string &FileName);

// Builds the script text (CR LF lines). False with a message when the
// title is empty or holds a control character, or the folder cannot be
// read, holds no file, or holds names the launcher cannot tell apart.
bool MakeStarterScript(platform::FileSystem &Files, const InitOptions &Options, std::string &Script,
                       std::string &Error);

} // namespace mksetup
