#include "pages/Drives.h"

#include <windows.h>

namespace pages {

std::vector<std::string> LogicalDrives() {
  std::vector<std::string> Out;
  char Buffer[27 * 4 + 1] = {};
  DWORD Length = GetLogicalDriveStringsA(sizeof Buffer, Buffer);
  if (Length == 0 || Length > sizeof Buffer)
    return Out;
  // A floppy or CD drive is not asked for its label: that would spin it up
  // or ask for a disk.
  UINT OldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  for (const char *Root = Buffer; *Root; Root += lstrlenA(Root) + 1) {
    char Letter = Root[0];
    if (Letter >= 'A' && Letter <= 'Z')
      Letter = char(Letter + 32);
    std::string Entry = std::string(1, Letter) + ":";
    char Label[MAX_PATH + 1] = {};
    if (GetDriveTypeA(Root) == DRIVE_FIXED &&
        GetVolumeInformationA(Root, Label, sizeof Label, nullptr, nullptr, nullptr, nullptr, 0) &&
        Label[0])
      Entry += std::string(" [") + Label + "]";
    Out.push_back(Entry);
  }
  SetErrorMode(OldMode);
  return Out;
}

} // namespace pages
