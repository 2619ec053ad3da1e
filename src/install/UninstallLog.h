// The uninstall log: an INI file in the Windows directory that lists, per
// section, every directory, file, registry value, shortcut and program
// folder an installation made, numbered from 1 with the last number kept in
// "Count". The uninstaller and the rollback read it from "Count" down.
//
// The log is kept in memory while the installation runs and written out in
// one piece now and then and at the end. Written value by value through the
// private-profile functions, every record would rewrite the whole file (they
// do not cache on NT), so an installation of many files would take time that
// grows with the square of their number. The file stays what those functions
// read: "[Section]" lines and "key=value" lines, 8-bit text.
#pragma once

#include "install/ProfileText.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace install {

inline constexpr char LogMain[] = "Main";
inline constexpr char LogTitle[] = "Title";
inline constexpr char LogDirectories[] = "Directories";
inline constexpr char LogFiles[] = "Files";
inline constexpr char LogRegistryValues[] = "RegistryValues";
inline constexpr char LogProgramLinks[] = "ProgramLinks";
inline constexpr char LogProgramGroups[] = "ProgramGroups";
inline constexpr char LogCount[] = "Count";

// Values are read back with at most this many characters.
inline constexpr size_t LogValueLimit = 2047;

class UninstallLog {
public:
  UninstallLog(platform::FileSystem &Files, std::string Path)
      : FFiles(Files), FPath(std::move(Path)) {}

  const std::string &Path() const { return FPath; }
  // Takes in the log an earlier installation left, so that numbering goes
  // on from its counts. True when there is none; false when it cannot be
  // read.
  bool Load();
  // "Count" of Section; 0 when missing or not a number.
  uint32_t ReadCount(const std::string &Section) const;
  // The value of a record; empty when missing.
  std::string ReadRecord(const std::string &Section, uint32_t Number) const;
  // These change the log in memory and write it out when enough has piled
  // up; false when that write fails.
  bool WriteValue(const std::string &Section, const std::string &Key, const std::string &Value);
  bool WriteCount(const std::string &Section, uint32_t Count);
  // Takes the number "Count" + 1: writes the new count first (so a fresh
  // section starts with its "Count" line) and then the record.
  bool AddRecord(const std::string &Section, const std::string &Value);
  // Writes the log out when it changed since the last write: into a file
  // beside it first, so that a failure never damages the log already there.
  bool Flush();
  // Removes the log file and what a failed write may have left beside it.
  void Delete();

private:
  std::string NextPath() const { return FPath + ".new"; }

  platform::FileSystem &FFiles;
  std::string FPath;
  ProfileText FText;
  uint32_t FLines = 0;   // values written in all
  uint32_t FPending = 0; // values written since the last flush
};

} // namespace install
