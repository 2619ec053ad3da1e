// Reading the uninstall log, an INI file written by the installer. The log
// is untrusted input: sections may be missing, counts may be absurd and
// records may be anything; reading never fails on its content, it only
// collects what it finds.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace uninst {

// Records of one section, in record order (1 first); empty records and
// records above the section's count are left out.
struct UninstallLog {
  std::string Title; // [Main] Title
  std::vector<std::string> Directories;
  std::vector<std::string> Files;
  std::vector<std::string> RegistryValues;
  std::vector<std::string> ProgramLinks;
  std::vector<std::string> ProgramGroups;
  bool HasKnownSection = false; // false: not an uninstall log at all
};

enum class LogStatus { Ok, Missing, NotALog };

// "Count" text to a number: trimmed decimal digits; anything else gives 0,
// and a value too large for 32 bits gives the largest one.
uint32_t ParseCount(const std::string &Text);

// A record key: decimal without leading zeros, 1 and up; 0 when it is not one.
uint32_t ParseRecordKey(const std::string &Key);

// Reads the log file in one piece, with the reading rules of the
// private-profile functions.
LogStatus ReadUninstallLog(platform::FileSystem &Files, const std::string &Path, UninstallLog &Out);

// One "RegistryValues" record: backslash, root name, backslash, key path,
// backslash, value name (empty: the key's default value).
struct RegistryRecord {
  platform::RootKey Root = platform::RootKey::LocalMachine;
  std::string KeyPath; // without leading or trailing backslash
  std::string ValueName;
};

// False for a record that does not name a value below a known root.
bool SplitRegistryRecord(const std::string &Record, RegistryRecord &Out);

// HKEY_... names (letter case ignored) and the short forms HKCR, HKCU...
bool ParseRootName(const std::string &Name, platform::RootKey &Out);

} // namespace uninst
