#include "driver/TempFileName.h"

#include "package/ScriptCodecs.h"

namespace driver {

namespace {

// Longest path Windows accepts, less the ".tmp" still to come.
constexpr size_t MaxPath = 259;
constexpr int CreateAttempts = 100;

// An environment reference that expands to something. Windows leaves an
// unknown reference as it stands, which is no directory either.
bool ExpandDirectory(platform::FileSystem &Files, const std::string &Reference, std::string &Out) {
  std::string Expanded;
  if (!Files.ExpandEnvironment(Reference, Expanded))
    return false;
  Out = package::TrimText(Expanded);
  return !Out.empty() && Out.find('%') == std::string::npos;
}

} // namespace

std::string TempDirectoryForNames(platform::FileSystem &Files) {
  std::string Dir;
  // No further fallback to the system's own temporary path: on Windows 95
  // and 98 that is the current directory when neither variable is set,
  // often the read-only CD the setup runs from.
  if (!ExpandDirectory(Files, "%TEMP%", Dir) && !ExpandDirectory(Files, "%TMP%", Dir))
    Dir = "C:\\";
  if (Dir.back() != '\\' && Dir.back() != '/')
    Dir += '\\';
  return Dir;
}

bool MakeTempFileName(platform::FileSystem &Files, TempNameRandom &Random, std::string &Name) {
  // 27 characters: "A" to "Z" and "[".
  std::uniform_int_distribution<int> Pick(0, 26);
  std::string Stem = TempDirectoryForNames(Files) + "tc";
  while (Files.FileExists(Stem + ".tmp") || Files.DirectoryExists(Stem + ".tmp")) {
    if (Stem.size() + 4 >= MaxPath)
      return false;
    Stem += char(65 + Pick(Random));
  }
  Name = Stem + ".tmp";
  return true;
}

std::unique_ptr<platform::File> CreateTempFile(platform::FileSystem &Files, TempNameRandom &Random,
                                               std::string &Name) {
  for (int Attempt = 0; Attempt < CreateAttempts; ++Attempt) {
    std::string Candidate;
    if (!MakeTempFileName(Files, Random, Candidate))
      return nullptr;
    std::unique_ptr<platform::File> F = Files.Open(Candidate, platform::OpenMode::CreateNew);
    if (F) {
      Name = Candidate;
      return F;
    }
    // Someone made the file between the test and the creation: choose again.
    // Any other failure (no such directory, no access) will not go away.
    if (!Files.FileExists(Candidate) && !Files.DirectoryExists(Candidate))
      return nullptr;
  }
  return nullptr;
}

} // namespace driver
