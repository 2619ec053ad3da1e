// The uninstaller program in the Windows directory: choosing its name and
// the log's (reusing those of an earlier installation of the same title),
// and entering it in the system's list of installed programs.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace install {

inline constexpr char UninstallerDescription[] = "Taloncor UnInstaller";
inline constexpr char UninstallKeyBase[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr uint32_t MaxUninstallerNumber = 1999;

// Removes the characters of code 32 and below from both ends.
std::string TrimText(const std::string &Text);
// Changes only a..z to upper case.
std::string UpperAscii(std::string Text);

// The uninstaller path, a blank, the log path in double quotes, a blank and
// the title in double quotes; the uninstaller path is written trimmed and
// unquoted, as earlier installations read it back.
std::string MakeUninstallString(const std::string &ExePath, const std::string &LogPath,
                                const std::string &Title);
// The reverse: the uninstaller path up to the first blank (empty when there
// is none) and the log path from the quotes after it; both empty when what
// follows the uninstaller path does not begin with a double quote.
void SplitUninstallString(const std::string &Text, std::string &ExePath, std::string &LogPath);

// A file whose version description names this family's uninstaller.
bool IsOurUninstaller(const platform::Platform &System, const std::string &Path);

// Chooses ExePath and LogPath: those of the registration of Title when it
// names an uninstaller of this family (and, for the log, an existing file),
// else the first fitting numbered names in the Windows directory.
void FindUninstaller(const platform::Platform &System, const std::string &Title,
                     std::string &ExePath, std::string &LogPath);

// Writes "DisplayName" and "UninstallString" under the title's key below
// HKEY_LOCAL_MACHINE. False when the key or a value cannot be written; the
// installation does not report it.
bool RegisterUninstaller(platform::Registry &Reg, const std::string &Title,
                         const std::string &ExePath, const std::string &LogPath);

} // namespace install
