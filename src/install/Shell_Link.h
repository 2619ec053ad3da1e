// Start-menu and desktop program folders with their ".lnk" shortcuts, as a
// group declares them: the root groups name the base folder (the user's
// Programs folder, the all-users one, the desktop), the first child of a
// root is the product's folder under the name chosen on the program folder
// page, deeper children are sub-folders. Every folder and shortcut made is
// recorded in the uninstall log.
#pragma once

#include "install/InstallRecord.h"
#include "install/ProgramFolderTable.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace install {

// The shell link object copies each text into a 255-byte buffer.
inline constexpr size_t ShellLinkTextLimit = 254;

// What the shortcut phase works with.
struct ShortcutContext {
  platform::FileSystem &Files;
  platform::Registry &Reg;
  platform::Shell &Shell;
  platform::Messages &Msg;
  const ProgramFolderTable &Folders;
  PathResolver Resolve;
  // GetOSType's code: 0 Windows 95 and 1 Windows 98 have no all-users
  // Programs folder, so the common group goes to the user's.
  uint8_t OsType = 5;
  RecordSink Log;
};

// Where the shell keeps the three folders, with environment references
// expanded and a trailing backslash; empty when unknown.
struct ShellFolders {
  std::string Desktop, Programs, CommonPrograms;
};
ShellFolders ReadShellFolders(platform::Registry &Reg, platform::FileSystem &Files);

// The base folder of a root group's name ("PERSONAL GROUP", "COMMON GROUP",
// "DESKTOP", letter case ignored); empty for any other name.
std::string BaseFolder(const ShellFolders &Folders, const std::string &RootName, uint8_t OsType);

// The icon of a file type: follows the registry's class names from the
// extension of IconFile (the link's target) to a "DefaultIcon" entry, at
// most 11 look-ups deep. IconIndex -1 becomes 0 when nothing is found.
void FindDefaultIcon(platform::Registry &Reg, platform::FileSystem &Files, int32_t &IconIndex,
                     std::string &IconFile);

// A shortcut to Target in LinkFile, working in the target's directory.
// False when the link object cannot be had or a text is longer than it
// takes (the link is refused, never cut); Saved tells whether the file was
// written.
bool CreateShellLink(const ShortcutContext &C, const std::string &Target,
                     const std::string &Parameters, const std::string &LinkFile, int32_t IconIndex,
                     bool &Saved);

// The whole program-group tree of one group.
void CreateProgramGroups(const ShortcutContext &C, const package::GroupType &Group);

} // namespace install
