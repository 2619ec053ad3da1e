// The program folder page's folder table and the rules of the page: which
// program folders the selected setup types create, stepping through them
// with Back and Next, and the tree of folders that already exist in the
// place a folder goes to. The shortcut phase of the installation reads the
// chosen names through install::ProgramFolderTable.
#pragma once

#include "controls/VemoTreeViewList.h"
#include "install/ProgramFolderTable.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace pages {

inline constexpr char EmptyFolderNameError[] = "You must specify a name for the program group!";

// One program folder: its key is the top-level group's name, "\" and the
// folder's name as the script writes it; the chosen name starts as that
// folder name.
struct ProgramFolderEntry {
  std::string Key;
  std::string Chosen;
};

class ProgramFolderList : public install::ProgramFolderTable {
public:
  // Appends an entry unless one with this key (ignoring case) exists.
  void AddProgramFolder(const std::string &Key);
  // The 0-based index of the last entry with this key, ignoring case; -1.
  int FindProgramFolder(const std::string &Key) const override;
  // The chosen name of an entry; empty for an index outside the table.
  std::string GetChosenFolder(int Index) const override;
  int Count() const { return int(FEntries.size()); }
  const ProgramFolderEntry &Entry(int Index) const { return FEntries[size_t(Index)]; }

  // Adds the program folders of the selected setup types (the groups below
  // each top-level program group of their groups) and returns how many the
  // selection names, repeats included. Zero: the page is skipped.
  int CollectProgramFolders(const package::TOpenFileType &Model);

  // The 1-based position of the folder the page shows; kept between visits.
  int Position() const { return FPosition; }
  // The entry at the position, or null when the position is beyond the table.
  const ProgramFolderEntry *CurrentFolder() const;

  enum class Step {
    Refused,     // the name is empty: the error box, the page stays
    ShowCurrent, // the position moved: show the folder there
    LeavePage,   // past the first or last folder: navigate away
  };
  // Next and Back store Name as the current folder's chosen name first.
  Step Next(const std::string &Name);
  Step Back(const std::string &Name);

private:
  bool Store(const std::string &Name);

  std::vector<ProgramFolderEntry> FEntries;
  // Upper-cased key -> its entry: every key is added once, and a package
  // with thousands of folders is looked up folder by folder.
  std::unordered_map<std::string, int> FIndex;
  int FPosition = 1;
};

// The place of a key: its text up to the first "\", upper-cased
// ("PERSONAL GROUP", "COMMON GROUP", "DESKTOP").
std::string FolderPlaceOf(const std::string &Key);

// Where the existing folders of a place are read, and the tree's heading.
struct ExistingFoldersSource {
  const char *Caption;
  platform::RootKey Root;
  const char *Key;
  const char *Value;
  bool CommonGroup; // the tree shows the all-users picture
};

// The common group stands for the personal one on the Windows 95 family,
// which has no all-users folders.
ExistingFoldersSource ExistingFoldersFor(const std::string &Place, uint8_t OsCode);

// The shell folder's directory with environment references expanded and a
// trailing "\"; empty when the key or value is missing.
std::string ReadShellFolder(platform::Registry &Reg, platform::FileSystem &Files,
                            const ExistingFoldersSource &Source);

// Adds every sub-directory of Directory (which ends with "\") below Into, in
// the order the file system lists them, each with its own sub-directories.
void ScanFolders(platform::FileSystem &Files, const std::string &Directory,
                 controls::TVemoTreeViewItems &Into, int ImageIndex);

// Clears the tree and fills it with the folders that exist in the place of
// the key; returns the heading for the tree.
std::string FillExistingFolders(platform::Registry &Reg, platform::FileSystem &Files,
                                uint8_t OsCode, const std::string &Place,
                                controls::TVemoTreeViewList &Tree);

// The item's folder below the place: the texts from the top down, joined
// with "\" ("Accessories\Games").
std::string FolderPathOf(const controls::TVemoTreeViewItem &Item);

} // namespace pages
