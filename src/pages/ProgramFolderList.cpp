#include "pages/ProgramFolderList.h"

#include "driver/TargetOS.h"
#include "package/ScriptCodecs.h"
#include "pages/SetupSelection.h"

namespace pages {

namespace {

const char ShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell folders";
const char UserShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User shell folders";

// The platform expands environment references into 512 bytes.
constexpr size_t ExpandBuffer = 512;

// Windows enumerates no directory whose path is longer than this; the limit
// also ends the scan of a folder that contains itself through a link.
constexpr size_t MaxPath = 259;

} // namespace

void ProgramFolderList::AddProgramFolder(const std::string &Key) {
  if (!FIndex.emplace(package::UpperCaseText(Key), int(FEntries.size())).second)
    return;
  size_t Slash = Key.find('\\');
  FEntries.push_back({Key, Slash == std::string::npos ? std::string() : Key.substr(Slash + 1)});
}

int ProgramFolderList::FindProgramFolder(const std::string &Key) const {
  const auto It = FIndex.find(package::UpperCaseText(Key));
  return It == FIndex.end() ? -1 : It->second;
}

std::string ProgramFolderList::GetChosenFolder(int Index) const {
  if (Index < 0 || size_t(Index) >= FEntries.size())
    return std::string();
  return FEntries[size_t(Index)].Chosen;
}

int ProgramFolderList::CollectProgramFolders(const package::TOpenFileType &Model) {
  int Count = 0;
  const package::GroupNameIndex Groups(Model.Groups);
  for (const package::SetupType *Type : SelectedSetupTypes(Model))
    for (const std::string &Name : Type->Groups) {
      const package::GroupType *Group = Groups.Find(Name);
      if (!Group)
        continue;
      for (const package::ProgramGroupType &Top : Group->RootProgramGroup.SubGroups)
        for (const package::ProgramGroupType &Folder : Top.SubGroups) {
          AddProgramFolder(Top.Name + "\\" + Folder.Name);
          ++Count;
        }
    }
  return Count;
}

const ProgramFolderEntry *ProgramFolderList::CurrentFolder() const {
  if (FPosition < 1 || size_t(FPosition) > FEntries.size())
    return nullptr;
  return &FEntries[size_t(FPosition - 1)];
}

bool ProgramFolderList::Store(const std::string &Name) {
  // A name of blanks only would make the place itself the program folder.
  if (package::TrimText(Name).empty())
    return false;
  if (FPosition >= 1 && size_t(FPosition) <= FEntries.size())
    FEntries[size_t(FPosition - 1)].Chosen = Name;
  return true;
}

ProgramFolderList::Step ProgramFolderList::Next(const std::string &Name) {
  if (!Store(Name))
    return Step::Refused;
  if (size_t(FPosition) >= FEntries.size())
    return Step::LeavePage;
  ++FPosition;
  return Step::ShowCurrent;
}

ProgramFolderList::Step ProgramFolderList::Back(const std::string &Name) {
  if (!Store(Name))
    return Step::Refused;
  if (FPosition <= 1)
    return Step::LeavePage;
  --FPosition;
  return Step::ShowCurrent;
}

std::string FolderPlaceOf(const std::string &Key) {
  return package::UpperCaseText(Key.substr(0, Key.find('\\')));
}

ExistingFoldersSource ExistingFoldersFor(const std::string &Place, uint8_t OsCode) {
  bool Windows9x = OsCode == driver::OsCodeWindows95 || OsCode == driver::OsCodeWindows98;
  if (Place == "DESKTOP")
    return {"E&xisting Folders (Desktop)", platform::RootKey::CurrentUser, ShellFoldersKey,
            "Desktop", false};
  if (Place == "COMMON GROUP" && !Windows9x)
    return {"E&xisting Folders (common group)", platform::RootKey::LocalMachine,
            UserShellFoldersKey, "Common Programs", true};
  return {"E&xisting Folders (personal group)", platform::RootKey::CurrentUser, ShellFoldersKey,
          "Programs", false};
}

std::string ReadShellFolder(platform::Registry &Reg, platform::FileSystem &Files,
                            const ExistingFoldersSource &Source) {
  std::unique_ptr<platform::RegistryKey> Key = Reg.OpenKey(Source.Root, Source.Key, false);
  std::string Raw;
  if (!Key || !Key->ValueExists(Source.Value) || !Key->ReadString(Source.Value, Raw))
    return std::string();
  std::string Directory;
  if (!Files.ExpandEnvironment(Raw, Directory))
    return std::string();
  if (Directory.size() >= ExpandBuffer)
    Directory.resize(ExpandBuffer - 1);
  if (Directory.empty())
    return std::string();
  if (Directory.back() != '\\')
    Directory += '\\';
  return Directory;
}

void ScanFolders(platform::FileSystem &Files, const std::string &Directory,
                 controls::TVemoTreeViewItems &Into, int ImageIndex) {
  std::vector<platform::DirEntry> Entries;
  if (Directory.size() > MaxPath || !Files.ListDirectory(Directory, Entries))
    return;
  for (const platform::DirEntry &E : Entries) {
    if (!E.IsDirectory || E.Name == "." || E.Name == "..")
      continue;
    controls::TVemoTreeViewItem *Item = Into.Add(E.Name);
    Item->SetImageIndex(ImageIndex);
    Item->SetSelectedIndex(ImageIndex);
    ScanFolders(Files, Directory + E.Name + "\\", Item->Items(), ImageIndex);
  }
}

std::string FillExistingFolders(platform::Registry &Reg, platform::FileSystem &Files,
                                uint8_t OsCode, const std::string &Place,
                                controls::TVemoTreeViewList &Tree) {
  ExistingFoldersSource Source = ExistingFoldersFor(Place, OsCode);
  std::string Directory = ReadShellFolder(Reg, Files, Source);
  Tree.Items().Clear();
  if (!Directory.empty())
    ScanFolders(Files, Directory, Tree.Items(), Source.CommonGroup ? 1 : 0);
  return Source.Caption;
}

std::string FolderPathOf(const controls::TVemoTreeViewItem &Item) {
  std::string Path = Item.Text();
  for (const controls::TVemoTreeViewItem *Up = Item.Owner(); Up; Up = Up->Owner())
    Path = Up->Text() + "\\" + Path;
  return Path;
}

} // namespace pages
