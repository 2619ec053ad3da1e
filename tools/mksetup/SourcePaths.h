// Source paths as a Windows author writes them in a script (backslashes,
// absolute ones starting with the script's ROOT_DIR), found below the source
// folder on the machine that builds the package.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mksetup {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

std::string JoinPath(const std::string &Dir, const std::string &Name);

// Upper-cases a..z only, as the launcher compares names.
std::string UpperAscii(std::string Text);

// Resolves AuthorPath: an absolute path (a drive letter or a leading
// backslash) must start with RootDir, which is removed; what remains, or a
// relative path, is looked up below SourceRoot one component at a time, an
// exact name first and otherwise the one name that differs only in letter
// case. ".." is refused: it would leave the source folder. False, with a
// message in Error, when the path cannot be placed or the file is missing.
bool ResolveSourcePath(platform::FileSystem &Files, const std::string &SourceRoot,
                       const std::string &RootDir, const std::string &AuthorPath,
                       std::string &Resolved, std::string &Error);

} // namespace mksetup
