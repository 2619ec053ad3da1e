// Path macros: the destination aliases that the script defines ("%InstallDir%")
// and the seven system directory aliases ("<SystemDir>"), expanded before a
// path from the script is used, plus the text-macro primitive every macro
// substitution of the launcher goes through.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <string>

namespace driver {

// Replaces every occurrence of Macro in Text by Value, ignoring the case of
// a..z. The inserted text is never scanned again. An empty macro changes
// nothing.
void ReplaceMacro(std::string &Text, const std::string &Macro, const std::string &Value);

// The rows of the destination page, hidden ones included, in the order the
// page added them: an alias name and the directory its edit box holds now.
// Before the wizard first reaches the destination step there are none.
class DestinationAliasSource {
public:
  virtual ~DestinationAliasSource() = default;
  virtual size_t AliasCount() const = 0;
  virtual std::string AliasName(size_t Index) const = 0;
  virtual std::string AliasDirectory(size_t Index) const = 0;
};

// One system directory alias: "dir:" a directory the platform reports, or
// "reg:" a string value under ...\Windows\CurrentVersion, then an optional
// sub-path that starts with a backslash.
struct DirectoryAlias {
  const char *Alias;
  const char *Definition;
};

inline constexpr DirectoryAlias DirectoryAliases[7] = {
    {"<WindowsDir>", "dir:windir"},
    {"<HelpFilesDir>", "dir:windir\\Help"},
    {"<FontDir>", "dir:windir\\Fonts"},
    {"<SystemDir>", "dir:sysdir"},
    {"<MediaDir>", "reg:MediaPath"},
    {"<ProgramFilesDir>", "reg:ProgramFilesDir"},
    {"<CommonFilesDir>", "reg:CommonFilesDir"},
};

// What path expansion reads: the machine, and the destination rows when the
// destination page has made them (null before).
struct PathContext {
  platform::FileSystem &Files;
  platform::Registry &Reg;
  const DestinationAliasSource *Destinations = nullptr;
};

// The string value Name under HKEY_LOCAL_MACHINE, key
// "SOFTWARE\Microsoft\Windows\CurrentVersion"; empty when the key or the
// value is missing or unreadable.
std::string ReadCurrentVersionValue(platform::Registry &Reg, const std::string &Name);

// The expansion of one definition of the table, always ending in "\"; an
// undeterminable directory leaves its sub-path and the backslash.
std::string DirectoryAliasValue(const PathContext &Context, const std::string &Definition);

// Shrinks every run of backslashes to one, keeping a leading "\\" pair.
void CleanBackslashes(std::string &Path);

// Expands destination aliases, then the system directory aliases (computed
// afresh on every call), cleans the backslashes and, when asked, makes the
// path end with "\".
void ResolvePathMacros(const PathContext &Context, std::string &Path, bool AddTrailingBackslash);

} // namespace driver
