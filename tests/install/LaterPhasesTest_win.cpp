// The phases after the files, against the real Win32 registry, shell link
// object and processes of the test's Wine prefix: registry values read back
// as written, shortcuts read by lnkinfo, finalization commands run by a small
// program of the tests.
#include <windows.h>

#include "Win32Machine.h"

#include "install/FinalCommands.h"
#include "install/Shell_Link.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace engine_double;
using platform::RootKey;

namespace {

const char RegBase[] = "Software\\TcE1Phases";

void DeleteTree(platform::Registry &Reg, RootKey Root, const std::string &Path) {
  std::vector<std::string> Subs;
  if (auto K = Reg.OpenKey(Root, Path, false))
    K->ListSubKeys(Subs);
  for (const std::string &S : Subs)
    DeleteTree(Reg, Root, Path + "\\" + S);
  Reg.DeleteKey(Root, Path);
}

package::RegistryKeyType &AddKey(package::RegistryKeyType &Parent, const std::string &Name) {
  package::RegistryKeyType &K = *Parent.SubKeys.AppendNew();
  K.Name = Name;
  return K;
}

void AddValue(package::RegistryKeyType &Key, const std::string &Name, uint8_t Type,
              const std::string &Value) {
  package::RegistryValueType &V = *Key.Values.AppendNew();
  V.Name = Name;
  V.Type = Type;
  V.Value = Value;
}

package::ProgramGroupType &AddGroup(package::ProgramGroupType &Parent, const std::string &Name) {
  package::ProgramGroupType &G = *Parent.SubGroups.AppendNew();
  G.Name = Name;
  return G;
}

void AddLink(package::ProgramGroupType &Group, const std::string &Name, const std::string &Target,
             const std::string &Parameter, int32_t Icon) {
  package::ProgramGroupLinkType &L = *Group.Links.AppendNew();
  L.DisplayName = Name;
  L.Shortcut = Target;
  L.Parameter = Parameter;
  L.IconIndex = Icon;
}

// A model of one title whose groups are all selected, and a package with
// the family's stand-in uninstaller (so that a log is written) and no files.
struct Phases {
  RealMachine &M;
  package::TOpenFileType Model;
  BuiltPackage Package;

  explicit Phases(RealMachine &Machine) : M(Machine) {
    Model.Title = Title;
    Model.SetupTypes.AppendNew();
  }
  package::GroupType &Group(const std::string &Name) {
    package::GroupType &G = *Model.Groups.AppendNew();
    G.Name = Name;
    Model.SetupTypes.First()->Groups.push_back(Name);
    return G;
  }
  int Run(uint8_t OsType = 5) {
    const Bytes Uninstaller = ReadHostFile(std::string(TC_UNINSTALLER_FILES) + "/uninstaller1.exe");
    Package = BuildPackage({}, &Uninstaller);
    const std::string Path = M.Base + "\\setup.bin";
    M.Put(Path, ToText(Package.Data));
    auto F = M.Files.Open(Path, platform::OpenMode::Read);
    install::InstallServices S = M.Services();
    S.OsType = OsType;
    install::InstallationEngine Engine(M.System, Model, M.Status, M.Folders, std::move(S));
    return Engine.RunInstallation(*F, Package.FilesPosition);
  }
  std::vector<std::string> Records(const std::string &Section) {
    std::vector<std::string> Out;
    const int Count = std::stoi(M.Log(Section, "Count"));
    for (int N = 1; N <= Count; ++N)
      Out.push_back(M.Log(Section, std::to_string(N)));
    EXPECT_EQ(M.Log(Section, std::to_string(Count + 1)), "<none>") << "Count is the last number";
    return Out;
  }
};

} // namespace

TEST(Win32Registry, ValuesOfNestedKeysUnderTwoRootsAreWrittenAndRecordedInOrder) {
  RealMachine M;
  platform::win32::Win32Registry &Reg = M.Reg;
  DeleteTree(Reg, RootKey::CurrentUser, RegBase);
  DeleteTree(Reg, RootKey::LocalMachine, RegBase);
  {
    Phases P(M);
    package::GroupType &A = P.Group("A");
    package::RegistryKeyType &User = AddKey(A.RootKey, "hkey_current_user");
    package::RegistryKeyType &Top = AddKey(AddKey(User, "Software"), "TcE1Phases");
    AddValue(Top, "Path", 0, "%InstallDir%\\bin");
    AddValue(Top, "", 0, "default text");
    package::RegistryKeyType &Deep = AddKey(Top, "Deep");
    AddValue(Deep, "Bin", 1, std::string("\0\x01\0\xFF", 4));
    AddValue(Deep, "Empty", 1, "");
    package::RegistryKeyType &Deeper = AddKey(Deep, "Deeper");
    AddValue(Deeper, "Dec", 2, "  -5");
    AddValue(Deeper, "Hex", 2, "$1F");
    AddValue(Deeper, "HexAll", 2, "0xFFFFFFFF");
    AddValue(Deeper, "Junk", 2, "12ab");
    AddValue(Deeper, "Odd", 7, "nothing");
    AddKey(Deeper, "NoValues");
    AddValue(AddKey(AddKey(A.RootKey, "HKEY_NOWHERE"), "X"), "Skipped", 0, "x");
    // A second group goes on with the numbering, under another root.
    package::GroupType &B = P.Group("B");
    package::RegistryKeyType &Machine =
        AddKey(AddKey(AddKey(B.RootKey, "HKEY_LOCAL_MACHINE"), "Software"), "TcE1Phases");
    AddValue(Machine, "Machine", 0, "<WindowsDir>");
    ASSERT_EQ(P.Run(), install::FinishPage);
    EXPECT_TRUE(M.Msg.Shown.empty()) << "registry work shows no message";

    auto Key = Reg.OpenKey(RootKey::CurrentUser, RegBase, false);
    ASSERT_TRUE(Key);
    std::string Text;
    ASSERT_TRUE(Key->ReadString("Path", Text));
    EXPECT_EQ(Text, M.App + "\\bin");
    ASSERT_TRUE(Key->ReadString("", Text));
    EXPECT_EQ(Text, "default text");
    Key = Reg.OpenKey(RootKey::CurrentUser, std::string(RegBase) + "\\Deep", false);
    ASSERT_TRUE(Key);
    std::vector<uint8_t> Bin;
    ASSERT_TRUE(Key->ReadBinary("Bin", Bin));
    EXPECT_EQ(Bin, (std::vector<uint8_t>{0, 1, 0, 0xFF}));
    ASSERT_TRUE(Key->ReadBinary("Empty", Bin));
    EXPECT_TRUE(Bin.empty());
    Key = Reg.OpenKey(RootKey::CurrentUser, std::string(RegBase) + "\\Deep\\Deeper", false);
    ASSERT_TRUE(Key);
    uint32_t D = 1;
    ASSERT_TRUE(Key->ReadDword("Dec", D));
    EXPECT_EQ(D, uint32_t(-5));
    ASSERT_TRUE(Key->ReadDword("Hex", D));
    EXPECT_EQ(D, 0x1Fu);
    ASSERT_TRUE(Key->ReadDword("HexAll", D));
    EXPECT_EQ(D, 0xFFFFFFFFu);
    ASSERT_TRUE(Key->ReadDword("Junk", D));
    EXPECT_EQ(D, 0u);
    EXPECT_FALSE(Key->ValueExists("Odd")) << "an unknown type writes nothing";
    EXPECT_TRUE(
        Reg.OpenKey(RootKey::CurrentUser, std::string(RegBase) + "\\Deep\\Deeper\\NoValues", false))
        << "a key without values is still made";
    Key = Reg.OpenKey(RootKey::LocalMachine, RegBase, false);
    ASSERT_TRUE(Key);
    ASSERT_TRUE(Key->ReadString("Machine", Text));
    EXPECT_EQ(fake::Upper(Text), fake::Upper(M.WinDir + "\\"));

    const std::string U = "\\HKEY_CURRENT_USER\\Software\\TcE1Phases";
    EXPECT_EQ(P.Records("RegistryValues"),
              (std::vector<std::string>{U + "\\Path", U + "\\", U + "\\Deep\\Bin",
                                        U + "\\Deep\\Empty", U + "\\Deep\\Deeper\\Dec",
                                        U + "\\Deep\\Deeper\\Hex", U + "\\Deep\\Deeper\\HexAll",
                                        U + "\\Deep\\Deeper\\Junk", U + "\\Deep\\Deeper\\Odd",
                                        "\\HKEY_LOCAL_MACHINE\\Software\\TcE1Phases\\Machine"}));
  }
  DeleteTree(Reg, RootKey::CurrentUser, RegBase);
  DeleteTree(Reg, RootKey::LocalMachine, RegBase);
}

namespace {

// What lnkinfo (run by Wine as the Unix program it is) reads in a shortcut:
// its lines, and the icon index from the header, which lnkinfo does not
// print.
struct LinkInfo {
  std::string Text;
  int32_t IconIndex = 0;
  bool Has(const std::string &Line) const { return Text.find(Line) != std::string::npos; }
};

LinkInfo ReadLink(RealMachine &M, const std::string &LinkFile) {
  LinkInfo Info;
  const std::string Data = M.Text(LinkFile);
  if (Data.size() < 0x3C)
    return Info;
  std::memcpy(&Info.IconIndex, Data.data() + 0x38, 4);
  const std::string Stem = "/tmp/tce1-lnk-" + std::to_string(GetCurrentProcessId());
  M.Put("Z:" + Stem + ".lnk", Data);
  // Wine starts the Unix program but cannot wait for it: the output is
  // moved into place when complete, and waited for.
  std::string Line = "/bin/sh -c \"lnkinfo " + Stem + ".lnk > " + Stem + ".out 2>&1; mv " + Stem +
                     ".out " + Stem + ".txt\"";
  STARTUPINFOA Start = {};
  Start.cb = sizeof Start;
  PROCESS_INFORMATION Process = {};
  if (CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Start,
                     &Process)) {
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    for (int I = 0; I < 300 && !M.Files.FileExists("Z:" + Stem + ".txt"); ++I)
      Sleep(100);
  }
  Info.Text = M.Text("Z:" + Stem + ".txt");
  M.Files.RemoveFile("Z:" + Stem + ".lnk");
  M.Files.RemoveFile("Z:" + Stem + ".txt");
  return Info;
}

struct ClassesCleanup {
  platform::Registry &Reg;
  ~ClassesCleanup() {
    for (const char *K : {".tce1x", ".tce1y", ".tce1z", "TcE1.Doc1", "TcE1.Doc2", "TcE1.Loop"})
      DeleteTree(Reg, RootKey::ClassesRoot, K);
  }
};

void SetDefault(platform::Registry &Reg, const std::string &Key, const std::string &Value) {
  auto K = Reg.OpenKey(RootKey::ClassesRoot, Key, true);
  ASSERT_TRUE(K);
  ASSERT_TRUE(K->WriteString("", Value));
}

} // namespace

TEST(Win32Shortcuts, FoldersAndLinksUnderTheThreeRootsWithDefaultIcons) {
  platform::win32::ComApartment Com;
  ASSERT_TRUE(Com.Ready());
  for (uint8_t Os : {uint8_t(1), uint8_t(4)}) { // Windows 98, Windows 2000
    SCOPED_TRACE(Os == 1 ? "Windows 98" : "Windows 2000");
    RealMachine M;
    ClassesCleanup Classes{M.Reg};
    // File types: a chain of two class names to an icon with a negative
    // index and an environment reference, "%1" (the file itself), and a
    // class that names itself.
    SetDefault(M.Reg, ".tce1x", "TcE1.Doc1");
    SetDefault(M.Reg, "TcE1.Doc1", "TcE1.Doc2");
    SetDefault(M.Reg, "TcE1.Doc2\\DefaultIcon", "%SystemRoot%\\tce1icons.dll,-5");
    SetDefault(M.Reg, ".tce1y\\DefaultIcon", "%1");
    SetDefault(M.Reg, ".tce1z", "TcE1.Loop");
    SetDefault(M.Reg, "TcE1.Loop", "TcE1.Loop");

    const install::ShellFolders Shell = install::ReadShellFolders(M.Reg, M.Files);
    ASSERT_FALSE(Shell.Programs.empty());
    ASSERT_FALSE(Shell.Desktop.empty());
    ASSERT_FALSE(Shell.CommonPrograms.empty()) << "stored as REG_EXPAND_SZ";
    EXPECT_EQ(Shell.CommonPrograms.find('%'), std::string::npos) << Shell.CommonPrograms;
    const std::string Tools = Shell.Programs + "TcE1 Tools";
    const std::string Common = (Os == 1 ? Shell.Programs : Shell.CommonPrograms) + "TcE1 Shared";
    const std::string DeskLink = Shell.Desktop + "TcE1 Desk.lnk";
    auto CleanShell = [&] {
      M.RemoveTree(Tools);
      M.RemoveTree(Common);
      M.Files.RemoveFile(DeskLink);
    };
    CleanShell();

    ASSERT_TRUE(M.Files.MakeDirectory(M.App));
    const std::string Exe = M.App + "\\app.exe", DocX = M.App + "\\doc.tce1x",
                      DocY = M.App + "\\doc.tce1y", DocZ = M.App + "\\doc.tce1z";
    for (const std::string &F : {Exe, DocX, DocY, DocZ})
      M.Put(F, "x");

    Phases P(M);
    package::GroupType &G = P.Group("Main");
    package::ProgramGroupType &Personal = AddGroup(G.RootProgramGroup, "Personal Group");
    package::ProgramGroupType &Folder = AddGroup(Personal, "Tools");
    AddLink(Folder, "App", "%InstallDir%\\app.exe", "/x \"%InstallDir%\\data\"", 3);
    package::ProgramGroupType &Docs = AddGroup(Folder, "Docs");
    AddLink(Docs, "Doc", "%InstallDir%\\doc.tce1x", "", -1);
    package::ProgramGroupType &Deep = AddGroup(Docs, "Deep");
    AddLink(Deep, "Self", "%InstallDir%\\doc.tce1y", "", -1);
    AddLink(Deep, "Loop", "%InstallDir%\\doc.tce1z", "", -1);
    package::ProgramGroupType &Desk = AddGroup(G.RootProgramGroup, "DESKTOP");
    AddLink(Desk, "TcE1 Desk", "%InstallDir%\\app.exe", "", 0);
    package::ProgramGroupType &CommonRoot = AddGroup(G.RootProgramGroup, "common group");
    AddLink(AddGroup(CommonRoot, "Shared"), "Shared App", "%InstallDir%\\app.exe", "-s", 1);
    M.Folders.Chosen["PERSONAL GROUP\\TOOLS"] = "TcE1 Tools";
    M.Folders.Chosen["COMMON GROUP\\SHARED"] = "TcE1 Shared";
    // A link the link object cannot take stops the rest of its group's
    // program folders, with a message; the next group is not affected.
    package::GroupType &Late = P.Group("Late");
    package::ProgramGroupType &LateFolder =
        AddGroup(AddGroup(Late.RootProgramGroup, "PERSONAL GROUP"), "Late");
    AddLink(LateFolder, "Long", "%InstallDir%\\app.exe", std::string(300, 'p'), 0);
    AddLink(LateFolder, "After", "%InstallDir%\\app.exe", "", 0);
    M.Folders.Chosen["PERSONAL GROUP\\LATE"] = "TcE1 Tools";
    package::GroupType &Next = P.Group("Next");
    AddLink(AddGroup(Next.RootProgramGroup, "Desktop"), "TcE1 Desk", "%InstallDir%\\app.exe", "",
            0);

    ASSERT_EQ(P.Run(Os), install::FinishPage);
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text, "Failed to create link!");
    EXPECT_FALSE(M.Files.FileExists(Tools + "\\After.lnk")) << "stopped after the failed link";

    EXPECT_EQ(P.Records("ProgramGroups"),
              (std::vector<std::string>{Tools + "\\", Tools + "\\Docs\\", Tools + "\\Docs\\Deep\\",
                                        Common + "\\", Tools + "\\"}));
    EXPECT_EQ(P.Records("ProgramLinks"),
              (std::vector<std::string>{Tools + "\\App.lnk", Tools + "\\Docs\\Doc.lnk",
                                        Tools + "\\Docs\\Deep\\Self.lnk",
                                        Tools + "\\Docs\\Deep\\Loop.lnk", DeskLink,
                                        Common + "\\Shared App.lnk", DeskLink}));

    const LinkInfo App = ReadLink(M, Tools + "\\App.lnk");
    EXPECT_TRUE(App.Has("Local path\t\t\t: " + Exe)) << App.Text;
    EXPECT_TRUE(App.Has("Command line arguments\t\t: /x \"" + M.App + "\\data\"")) << App.Text;
    EXPECT_TRUE(App.Has("Working directory\t\t: " + M.App + "\\")) << App.Text;
    EXPECT_TRUE(App.Has("Icon location\t\t\t: " + Exe)) << App.Text;
    EXPECT_EQ(App.IconIndex, 3);
    const LinkInfo Doc = ReadLink(M, Tools + "\\Docs\\Doc.lnk");
    EXPECT_TRUE(Doc.Has("Icon location\t\t\t: " + M.WinDir + "\\tce1icons.dll")) << Doc.Text;
    EXPECT_EQ(Doc.IconIndex, -5);
    const LinkInfo Self = ReadLink(M, Tools + "\\Docs\\Deep\\Self.lnk");
    EXPECT_TRUE(Self.Has("Icon location\t\t\t: " + DocY)) << Self.Text;
    EXPECT_EQ(Self.IconIndex, 0);
    const LinkInfo Loop = ReadLink(M, Tools + "\\Docs\\Deep\\Loop.lnk");
    EXPECT_TRUE(Loop.Has("Icon location\t\t\t: " + DocZ)) << Loop.Text;
    EXPECT_EQ(Loop.IconIndex, 0) << "the class chain that names itself ends";
    const LinkInfo DeskInfo = ReadLink(M, DeskLink);
    EXPECT_TRUE(DeskInfo.Has("Local path\t\t\t: " + Exe)) << DeskInfo.Text;
    const LinkInfo Shared = ReadLink(M, Common + "\\Shared App.lnk");
    EXPECT_TRUE(Shared.Has("Command line arguments\t\t: -s")) << Shared.Text;
    EXPECT_EQ(Shared.IconIndex, 1);
    CleanShell();
  }
}

namespace {

// final_cmd copied into the application directory, and the file it writes.
struct FinalProgram {
  RealMachine &M;
  std::string Exe, Out;
  explicit FinalProgram(RealMachine &Machine, const std::string &Name = "final.exe")
      : M(Machine), Exe(M.App + "\\" + Name), Out(M.Base + "\\out.txt") {
    M.Files.MakeDirectory(M.App);
    M.Put(Exe, ToText(ReadHostFile(TC_FINAL_CMD)));
  }
  std::string Written() { return M.Text(Out); }
};

} // namespace

TEST(Win32Finalization, CommandsOfTheSelectedTypesRunAndAreWaitedFor) {
  RealMachine M;
  FinalProgram F(M, "fin al.exe"); // a blank in the path
  Phases P(M);
  P.Model.SetupTypes.First()->Selected = false;
  P.Model.SetupTypes.First()->FinalizationCommands = {"RUN FILE\x01" + F.Exe + "\x02" + F.Out +
                                                      " 0\x03Not selected"};
  package::SetupType &Chosen = *P.Model.SetupTypes.AppendNew();
  Chosen.Selected = true;
  const std::string Second = M.Base + "\\second.txt";
  Chosen.FinalizationCommands = {
      "INSTALL REGISTRY FILE\x01" + F.Exe + "\x02" + F.Out + " 0\x03Registry file",
      "run file\x01" + M.App + "\\nowhere.exe\x02\x03Missing",
      // Doubled and trailing backslashes; waited for although it takes its
      // time, and although its exit code is the one that means "running".
      "RUN FILE\x01%InstallDir%\\\\fin al.exe\\\x02" + F.Out +
          " 259 300\x03"
          "First",
      "RUN FILE\x01%InstallDir%\\fin al.exe\x02" + Second +
          " 7\x03"
          "Second"};
  ASSERT_EQ(P.Run(), install::FinishPage);
  EXPECT_EQ(M.Status.Captions,
            (std::vector<std::string>{"Installing files...", "Setting up registry...",
                                      "Creating program groups...", "Registry file", "Missing",
                                      "First", "Second"}));
  const std::string Line = "\"" + F.Exe + "\" " + F.Out + " 259 300";
  EXPECT_EQ(F.Written(), "flags=" + std::to_string(STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK) +
                             " show=1 line=" + Line);
  EXPECT_NE(M.Text(Second), "<missing>");
}

TEST(Win32Finalization, RunProcessHiddenAndWithoutWaiting) {
  RealMachine M;
  FinalProgram F(M);
  int Pumps = 0;
  ASSERT_TRUE(
      install::RunProcess(M.Procs, F.Exe + " " + F.Out + " 3", true, true, [&] { ++Pumps; }));
  EXPECT_EQ(F.Written(), "flags=" + std::to_string(STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK) +
                             " show=0 line=" + F.Exe + " " + F.Out + " 3");
  EXPECT_GT(Pumps, 0) << "messages are pumped while waiting";

  M.Files.RemoveFile(F.Out);
  ASSERT_TRUE(install::RunProcess(M.Procs, F.Exe + " " + F.Out + " 0 1500", false, false, [] {}));
  EXPECT_EQ(F.Written(), "<missing>") << "returned before the program wrote";
  for (int I = 0; I < 100 && F.Written() == "<missing>"; ++I)
    Sleep(100);
  EXPECT_NE(F.Written(), "<missing>");
  Sleep(200); // the program ends before its directory is removed

  EXPECT_FALSE(install::RunProcess(M.Procs, M.App + "\\nowhere.exe", false, true, [] {}));
}
