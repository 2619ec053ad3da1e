// The uninstall log: an INI file in the Windows directory that lists, per
// section, every directory, file, registry value, shortcut and program
// folder an installation made, numbered from 1 with the last number kept in
// "Count". The uninstaller and the rollback read it from "Count" down.
#pragma once

#include "platform/Platform.h"

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

class UninstallLog {
public:
  UninstallLog(platform::IniFiles &Ini, std::string Path) : FIni(Ini), FPath(std::move(Path)) {}

  const std::string &Path() const { return FPath; }
  // "Count" of Section; 0 when missing or not a number.
  uint32_t ReadCount(const std::string &Section);
  // The value of a record; empty when missing.
  std::string ReadRecord(const std::string &Section, uint32_t Number);
  bool WriteValue(const std::string &Section, const std::string &Key, const std::string &Value);
  bool WriteCount(const std::string &Section, uint32_t Count);
  // Takes the number "Count" + 1: writes the new count first (so a fresh
  // section starts with its "Count" line) and then the record.
  bool AddRecord(const std::string &Section, const std::string &Value);

private:
  platform::IniFiles &FIni;
  std::string FPath;
};

} // namespace install
