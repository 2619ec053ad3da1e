#include "install/Shell_Link.h"

#include "install/UninstallLog.h"
#include "package/ScriptCodecs.h"

namespace install {

namespace {

const char ShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell folders";
const char UserShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User shell folders";

// Longest expansion of an environment reference that is taken.
constexpr size_t ExpandLimit = 512;

bool Expand(platform::FileSystem &Files, const std::string &Text, std::string &Out) {
  return Files.ExpandEnvironment(Text, Out) && Out.size() < ExpandLimit;
}

std::string ReadShellFolder(platform::Registry &Reg, platform::FileSystem &Files,
                            platform::RootKey Root, const char *Key, const char *Value) {
  std::unique_ptr<platform::RegistryKey> K = Reg.OpenKey(Root, Key, false);
  std::string Text, Folder;
  if (!K || !K->ValueExists(Value) || !K->ReadString(Value, Text) || !Expand(Files, Text, Folder))
    return std::string();
  if (!Folder.empty() && Folder.back() != '\\')
    Folder += '\\';
  return Folder;
}

// The default value of a key below HKEY_CLASSES_ROOT; empty when missing.
std::string ClassesDefault(platform::Registry &Reg, const std::string &Key) {
  std::unique_ptr<platform::RegistryKey> K =
      Reg.OpenKey(platform::RootKey::ClassesRoot, Key, false);
  std::string Text;
  if (!K || !K->ReadString("", Text))
    return std::string();
  return Text;
}

// Registry texts often quote the icon file; the link object wants it bare.
std::string Unquoted(std::string Text) {
  Text = package::TrimText(Text);
  if (Text.size() >= 2 && Text.front() == '"' && Text.back() == '"')
    Text = Text.substr(1, Text.size() - 2);
  return Text;
}

bool LookUpIcon(platform::Registry &Reg, platform::FileSystem &Files, const std::string &Key,
                int Depth, const std::string &Target, int32_t &IconIndex, std::string &IconFile) {
  if (Depth >= 11)
    return false;
  std::string Icon = ClassesDefault(Reg, Key + "\\DefaultIcon");
  if (!Icon.empty()) {
    const size_t Comma = Icon.find(',');
    if (Comma == std::string::npos) {
      IconIndex = 0;
    } else {
      IconIndex = package::ParseInt(Icon.substr(Comma + 1), 0);
      Icon.erase(Comma);
    }
    const size_t P = Icon.find("%1");
    if (P != std::string::npos)
      Icon.replace(P, 2, Target);
    std::string Expanded;
    IconFile = Unquoted(Expand(Files, Icon, Expanded) ? Expanded : Icon);
    return true;
  }
  const std::string Class = ClassesDefault(Reg, Key);
  return !Class.empty() && LookUpIcon(Reg, Files, Class, Depth + 1, Target, IconIndex, IconFile);
}

// One CreateProgramGroups call: its stop flag ends the group's program
// folder work after a shortcut that could not be made.
class ProgramGroupMaker {
public:
  explicit ProgramGroupMaker(const ShortcutContext &C) : FC(C) {}

  void Run(const package::GroupType &Group) {
    const ShellFolders Shell = ReadShellFolders(FC.Reg, FC.Files);
    for (const package::ProgramGroupType *Root = Group.RootProgramGroup.SubGroups.First();
         Root && !FStop; Root = Root->Next.get()) {
      const std::string Base = BaseFolder(Shell, Root->Name, FC.OsType);
      // Without a base folder there is nowhere to put the root's links or
      // its program folder (a path relative to the current directory is
      // nowhere the user would look).
      if (Base.empty())
        continue;
      CreateProgramLinks(*Root, Base);
      const package::ProgramGroupType *Folder = Root->SubGroups.First();
      if (!Folder || FStop)
        continue;
      const int Index = FC.Folders.FindProgramFolder(Root->Name + "\\" + Folder->Name);
      if (Index < 0)
        continue;
      const std::string Chosen = package::TrimText(FC.Folders.GetChosenFolder(Index));
      // An empty name would make the Programs folder itself the product's.
      if (Chosen.empty())
        continue;
      const std::string Path = Base + Chosen;
      MakeFolderLevels(Base, Path);
      CreateGroupFolder(*Folder, Path + "\\");
    }
  }

private:
  // The levels of a chosen name below the base folder ("Vendor\Product"),
  // outer first; levels made here above the last one are recorded so that
  // the uninstaller removes them once empty (the last one is recorded as
  // the program folder).
  void MakeFolderLevels(const std::string &Base, const std::string &Path) {
    for (size_t I = Base.size(); I <= Path.size(); ++I) {
      if (I != Path.size() && Path[I] != '\\')
        continue;
      const std::string Level = Path.substr(0, I);
      if (FC.Files.DirectoryExists(Level))
        continue;
      if (FC.Files.MakeDirectory(Level) && I != Path.size() && FC.Log.Add)
        FC.Log.Add(LogProgramGroups, Level + "\\");
    }
  }

  void CreateGroupFolder(const package::ProgramGroupType &Node, const std::string &FolderPath) {
    if (!FolderPath.empty())
      CreateProgramLinks(Node, FolderPath);
    if (FC.Log.Add)
      FC.Log.Add(LogProgramGroups, FolderPath);
    for (const package::ProgramGroupType *Sub = Node.SubGroups.First(); Sub && !FStop;
         Sub = Sub->Next.get()) {
      const std::string Dir = FolderPath + Sub->Name;
      FC.Files.MakeDirectory(Dir);
      if (FC.Files.DirectoryExists(Dir))
        CreateGroupFolder(*Sub, Dir + "\\");
      else
        FC.Msg.ShowMessage("Failed to create program group: " + Sub->Name, "Error",
                           platform::MbOk | platform::MbIconError);
    }
  }

  void CreateProgramLinks(const package::ProgramGroupType &Node, const std::string &FolderPath) {
    if (FC.Log.Keep)
      FC.Log.Keep(LogProgramLinks);
    for (const package::ProgramGroupLinkType *L = Node.Links.First(); L && !FStop;
         L = L->Next.get()) {
      const std::string Target = FC.Resolve(L->Shortcut, false);
      const std::string Parameters = FC.Resolve(L->Parameter, false);
      const std::string LinkFile = FolderPath + L->DisplayName + ".lnk";
      bool Saved = false;
      if (CreateShellLink(FC, Target, Parameters, LinkFile, L->IconIndex, Saved)) {
        // A link file that was not written is not recorded: the name may be
        // a file of the user's that the uninstaller must not delete.
        if (Saved && FC.Log.Add)
          FC.Log.Add(LogProgramLinks, LinkFile);
        continue;
      }
      const std::string Trimmed = package::TrimText(Target);
      if (FC.Files.FileExists(Trimmed) || FC.Files.DirectoryExists(Trimmed)) {
        FC.Msg.ShowMessage("Failed to create link!", "Error",
                           platform::MbOk | platform::MbIconError);
        FStop = true;
      }
    }
  }

  const ShortcutContext &FC;
  bool FStop = false;
};

} // namespace

ShellFolders ReadShellFolders(platform::Registry &Reg, platform::FileSystem &Files) {
  ShellFolders F;
  F.Desktop =
      ReadShellFolder(Reg, Files, platform::RootKey::CurrentUser, ShellFoldersKey, "Desktop");
  F.Programs =
      ReadShellFolder(Reg, Files, platform::RootKey::CurrentUser, ShellFoldersKey, "Programs");
  F.CommonPrograms = ReadShellFolder(Reg, Files, platform::RootKey::LocalMachine,
                                     UserShellFoldersKey, "Common Programs");
  return F;
}

std::string BaseFolder(const ShellFolders &Folders, const std::string &RootName, uint8_t OsType) {
  const std::string Name = package::UpperCaseText(RootName);
  if (Name == "PERSONAL GROUP")
    return Folders.Programs;
  if (Name == "COMMON GROUP")
    return OsType <= 1 ? Folders.Programs : Folders.CommonPrograms;
  if (Name == "DESKTOP")
    return Folders.Desktop;
  return std::string();
}

void FindDefaultIcon(platform::Registry &Reg, platform::FileSystem &Files, int32_t &IconIndex,
                     std::string &IconFile) {
  const size_t Dot = IconFile.rfind('.');
  const size_t Sep = IconFile.find_last_of("\\:");
  std::string Extension;
  if (Dot != std::string::npos && (Sep == std::string::npos || Dot > Sep))
    Extension = IconFile.substr(Dot);
  if (Extension.empty() || Extension[0] != '.')
    Extension.insert(0, ".");
  const std::string Target = IconFile;
  LookUpIcon(Reg, Files, Extension, 0, Target, IconIndex, IconFile);
  if (IconIndex == -1)
    IconIndex = 0;
}

bool CreateShellLink(const ShortcutContext &C, const std::string &Target,
                     const std::string &Parameters, const std::string &LinkFile, int32_t IconIndex,
                     bool &Saved) {
  Saved = false;
  platform::ShellLinkParams P;
  P.Target = package::TrimText(Target);
  P.Arguments = Parameters;
  P.LinkFile = LinkFile;
  const size_t Sep = P.Target.find_last_of("\\:");
  P.WorkingDirectory = Sep == std::string::npos ? std::string() : P.Target.substr(0, Sep + 1);
  P.IconFile = P.Target;
  P.IconIndex = IconIndex;
  if (IconIndex == -1)
    FindDefaultIcon(C.Reg, C.Files, P.IconIndex, P.IconFile);
  // An icon the link cannot hold is only a picture: the target's own first
  // icon stands in for it.
  if (P.IconFile.size() > ShellLinkTextLimit) {
    P.IconFile = P.Target;
    P.IconIndex = 0;
  }
  for (const std::string *Text : {&P.Target, &P.Arguments, &P.LinkFile, &P.WorkingDirectory})
    if (Text->size() > ShellLinkTextLimit)
      return false;
  const platform::ShellLinkResult R = C.Shell.CreateShellLink(P);
  Saved = R == platform::ShellLinkResult::Saved;
  return R != platform::ShellLinkResult::NoObject;
}

void CreateProgramGroups(const ShortcutContext &C, const package::GroupType &Group) {
  ProgramGroupMaker(C).Run(Group);
}

} // namespace install
