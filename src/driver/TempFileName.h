// Fresh names for temporary files: "tc", pseudo-random letters, ".tmp", in
// the temporary directory.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <random>
#include <string>

namespace driver {

// The launcher seeds one generator at start-up and hands it to every call.
using TempNameRandom = std::minstd_rand;

// The temporary directory with a trailing backslash: %TEMP%, else %TMP%
// (a reference left unexpanded counts as unset), else "C:\".
std::string TempDirectoryForNames(platform::FileSystem &Files);

// Sets Name to the full path of a file that does not exist yet: tc.tmp, or
// tc followed by as many characters "A".."Z" or "[" as it takes. False when
// no free name fits in a Windows path.
bool MakeTempFileName(platform::FileSystem &Files, TempNameRandom &Random, std::string &Name);

// Creates a fresh temporary file exclusively, so that a file that appears
// under the chosen name meanwhile is never opened: the name is then given up
// and another one chosen. Null when no file could be created.
std::unique_ptr<platform::File> CreateTempFile(platform::FileSystem &Files, TempNameRandom &Random,
                                               std::string &Name);

} // namespace driver
