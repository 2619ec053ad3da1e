// The directory browser's path rules: how a path is walked into the
// directory list, and how a typed path that names no existing directory is
// made absolute on the drive the drive box shows when the user presses OK.
#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

namespace pages {

// The directories a path passes through, from the left: each component with
// its trailing "\", the last one as written ("C:\Apps\New" gives "C:\",
// "C:\Apps\", "C:\Apps\New"). A path ending in "\" ends with itself.
std::vector<std::string> PathSteps(const std::string &Path);

// The deepest of the path's steps that exists, walking from the left and
// skipping steps that do not; empty when none does.
std::string DeepestExistingStep(platform::FileSystem &Files, const std::string &Path);

// Normalises a typed path that is not an existing directory: the drive (the
// first two characters of the trimmed drive box text, such as "c:") and "\"
// go in front unless the second character is ":", a "\" goes after "x:"
// when missing, and every run of backslashes shrinks to one.
std::string NormaliseTypedPath(const std::string &Typed, const std::string &DriveBoxText);

// What OK makes of the browser's text: existing directories stay as typed.
std::string BrowserResult(platform::FileSystem &Files, const std::string &Typed,
                          const std::string &DriveBoxText);

// The drive of a path in the drive box's notation ("c:"), or empty when the
// path starts with no drive letter.
std::string DriveOfPath(const std::string &Path);

} // namespace pages
