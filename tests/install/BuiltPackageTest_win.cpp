// Packages made by the authoring tool from a script and a source folder,
// opened as the launcher opens its own file (package, script, pictures,
// setup types for the running system) and installed by the engine against
// the real Win32 services in the test's Wine prefix.
#include <windows.h>

#include "Win32Machine.h"

#include "PackageBuilder.h"
#include "driver/LauncherPackage.h"
#include "driver/TargetOS.h"
#include "install/FontInfo.h"
#include "install/IfExistsPolicy.h"
#include "install/Shell_Link.h"
#include "package/SetupScript.h"

#include <gtest/gtest.h>

using namespace engine_double;

namespace {

const int32_t SourceDate = 0x3421'6000; // 2006-01-01 12:00:00

class CheckedTypes : public driver::SetupTypeList {
public:
  std::vector<std::string> Checked;
  void Clear() override { Checked.clear(); }
  void AddSetupType(const std::string &Caption, bool On, package::SetupType &) override {
    if (On)
      Checked.push_back(Caption);
  }
  bool SelectFirst() override { return true; }
};

const char Script[] = R"([VemoInstall_File]
   [General]
      TARGET OS=Windows 95,Windows 98,Windows 2000,
      [Title]
         Title=Tc E1 Product
      [End]
   [End]
   [UnInstaller]
      AddUnInstaller=1
   [End]
   [Groups]
      [Group]
         Name=Core
         [Directories]
            [Dir]
               DirName=%InstallDir%
               [Files]
                  Name=keep.txt
                  SourceFile=keep.txt
                  IfExists=2
               [End]
               [Files]
                  Name=newer.txt
                  SourceFile=newer.txt
                  IfExists=4
               [End]
               [Files]
                  Name=older.txt
                  SourceFile=older.txt
                  IfExists=4
               [End]
               [Files]
                  Name=ask_yes.txt
                  SourceFile=ask_yes.txt
                  IfExists=1
               [End]
               [Files]
                  Name=ask_no.txt
                  SourceFile=ask_no.txt
                  IfExists=1
               [End]
               [Files]
                  Name=up.exe
                  SourceFile=v2.exe
                  IfExists=3
               [End]
               [Files]
                  Name=down.exe
                  SourceFile=v1.exe
                  IfExists=3
               [End]
               [Files]
                  Name=new.ini
                  SourceFile=settings.ini
                  IfExists=5
               [End]
               [Files]
                  Name=keep.ini
                  SourceFile=settings.ini
                  IfExists=6
               [End]
               [Files]
                  Name=blocks.cfg
                  SourceFile=blocks.cfg
                  IfExists=7
                  INI_id=ID
               [End]
               [Dir]
                  DirName=bin
                  [Files]
                     Name=app.bin
                     SourceFile=bin\app.bin
                     IfExists=0
                     KeepDate=1
                  [End]
                  [Files]
                     Name=ro.txt
                     SourceFile=ro.txt
                     IfExists=0
                  [End]
               [End]
               [Dir]
                  DirName=docs
                  [Dir]
                     DirName=en
                     [Files]
                        Name=readme.txt
                        SourceFile=docs\readme.txt
                        IfExists=0
                     [End]
                  [End]
               [End]
            [End]
            [Dir]
               DirName=<SystemDir>
               [Files]
                  Name=tce1_lib.dll
                  SourceFile=lib.dll
                  IfExists=0
               [End]
            [End]
            [Dir]
               DirName=<FontDir>
               [Files]
                  Name=TcE1Built.ttf
                  SourceFile=full.ttf
                  IfExists=0
               [End]
            [End]
         [End]
      [End]
      [Group]
         Name=Extra
         [Directories]
            [Dir]
               DirName=%InstallDir%
               [Dir]
                  DirName=extra
                  [Dir]
                     DirName=deep
                     [Files]
                        Name=e.txt
                        SourceFile=e.txt
                        IfExists=0
                        KeepDate=0
                     [End]
                     [Files]
                        Name=big.bin
                        SourceFile=big.bin
                        IfExists=0
                     [End]
                  [End]
               [End]
            [End]
         [End]
      [End]
   [End]
   [Setup Types]
      [Setup_Type]
         Name=Typical
         [Groups]
            Group=Core
         [End]
      [End]
      [Setup_Type]
         Name=Full
         [Groups]
            Group=Core
            Group=Extra
         [End]
      [End]
   [End]
[End]
)";

// A source folder, the setup executable built from it, and the launcher's
// view of that executable.
struct BuiltSetup {
  RealMachine &M;
  std::string Source, Exe;
  package::TOpenFileType Model;
  std::unique_ptr<platform::File> File;
  uint64_t FilesPosition = 0;
  CheckedTypes Types;

  explicit BuiltSetup(RealMachine &Machine)
      : M(Machine), Source(M.Base + "\\src"), Exe(M.Base + "\\setup.exe") {}

  void AddSource(const std::string &Name, const Bytes &Data, int32_t Date = SourceDate) {
    const std::string Path = Source + "\\" + Name;
    M.Put(Path, ToText(Data));
    ASSERT_TRUE(M.Files.SetFileDate(Path, Date));
  }

  // The uninstaller entry is the family stand-in of version 1 unless the
  // program to pack is given.
  void Build(const std::string &Uninstaller = "") {
    ASSERT_TRUE(M.Files.MakeDirectory(Source));
    ASSERT_TRUE(M.Files.MakeDirectory(Source + "\\bin"));
    ASSERT_TRUE(M.Files.MakeDirectory(Source + "\\docs"));
    AddSource("keep.txt", ToBytes("new keep"));
    AddSource("newer.txt", ToBytes("new newer"));
    AddSource("older.txt", ToBytes("new older"));
    AddSource("ask_yes.txt", ToBytes("new ask yes"));
    AddSource("ask_no.txt", ToBytes("new ask no"));
    const std::string Stand = std::string(TC_UNINSTALLER_FILES) + "/uninstaller";
    AddSource("v1.exe", ReadHostFile(Stand + "1.exe"));
    AddSource("v2.exe", ReadHostFile(Stand + "2.exe"));
    AddSource("settings.ini", ToBytes("[Main]\r\nShared=package\r\nAdded=package\r\n"));
    AddSource("blocks.cfg", ToBytes("[Item]\r\n   ID=a\r\n   V=new\r\n[End]\r\n"));
    AddSource("bin\\app.bin", Noise(200000, 5));
    AddSource("ro.txt", ToBytes("new ro"));
    AddSource("docs\\readme.txt", ToBytes("readme"));
    AddSource("lib.dll", ToBytes("lib"));
    AddSource("full.ttf", ReadHostFile(std::string(TC_TEST_DATA) + "/fonts/full.ttf"));
    AddSource("e.txt", ToBytes("e"));
    AddSource("big.bin", Noise(300000, 7));
    M.Put(Source + "\\setup.txt", Script);
    M.Put(M.Base + "\\stub.exe", ToText(ReadHostFile(TC_SETUP_STUB)));

    mksetup::BuildOptions O;
    O.ScriptPath = Source + "\\setup.txt";
    O.SourceRoot = Source;
    O.StubPath = M.Base + "\\stub.exe";
    O.UninstallerPath = Source + "\\v1.exe";
    if (!Uninstaller.empty()) {
      O.UninstallerPath = M.Base + "\\uninstaller.exe";
      M.Put(O.UninstallerPath, ToText(ReadHostFile(Uninstaller)));
    }
    O.OutputPath = Exe;
    std::string Error;
    ASSERT_TRUE(mksetup::BuildPackage(M.Files, O, Error)) << Error;
  }

  // What the launcher does with its own file before the wizard starts.
  void Open() {
    File = M.Files.Open(Exe, platform::OpenMode::Read);
    ASSERT_TRUE(File);
    const driver::LauncherPackage Loaded = driver::LoadLauncherPackage(
        *File, Model, M.Msg, [](uint64_t, const package::TEntryHeader &) { return true; });
    ASSERT_EQ(Loaded.Result, package::OpenPackageResult::Ok);
    ASSERT_EQ(Loaded.ScriptResult, package::ScriptOk);
    FilesPosition = Loaded.FilesPosition;
    ASSERT_TRUE(driver::IsTargetOS(Model.TargetOS, driver::OsCodeWindows2000));
    driver::FillSetupTypeList(Model, driver::OsCodeWindows2000, Types);
  }

  int Install() { return M.Run(Model, *File, FilesPosition); }

  // What an earlier version left, then the installation over it with the
  // two overwrite questions answered Yes and No.
  int InstallOverEarlierVersion() {
    const std::string Stand = std::string(TC_UNINSTALLER_FILES) + "/uninstaller";
    M.PutEarlierFiles();
    M.Put(M.App + "\\ask_yes.txt", "old ask yes");
    M.Put(M.App + "\\ask_no.txt", "old ask no");
    M.Put(M.App + "\\up.exe", ToText(ReadHostFile(Stand + "1.exe")));
    M.Put(M.App + "\\down.exe", ToText(ReadHostFile(Stand + "2.exe")));
    for (const char *Ini : {"new.ini", "keep.ini"})
      M.Put(M.App + "\\" + Ini, "[Main]\r\nShared=user\r\nOwn=user\r\n");
    M.Put(M.App + "\\blocks.cfg",
          "[Item]\r\n   ID=a\r\n   V=old\r\n[End]\r\n[Item]\r\n   ID=b\r\n[End]\r\n");
    M.Msg.Answers = {platform::IdYes, platform::IdNo};
    return Install();
  }

  // Cuts the built executable inside the data of big.bin, the last entry.
  void TruncateInBigFile() {
    std::string Data = M.Text(Exe);
    ASSERT_GT(Data.size(), 200000u);
    M.Files.RemoveFile(Exe);
    M.Put(Exe, Data.substr(0, Data.size() - 100000));
  }

  void ExpectRolledBack() {
    EXPECT_FALSE(M.Files.DirectoryExists(M.App)) << "no created directory stays";
    EXPECT_FALSE(M.Files.FileExists(M.Files.SystemDirectory() + "\\tce1_lib.dll"));
    EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\tcUninst1.inf")) << "the log is deleted";
    EXPECT_FALSE(M.Reg.OpenKey(platform::RootKey::LocalMachine, UninstKey, false));
  }
};

// The font this package installs leaves the machine with the test.
struct FontCleanup {
  RealMachine &M;
  ~FontCleanup() { M.RemoveFont("Tc Sans Bold", "TcE1Built.ttf"); }
};

} // namespace

TEST(Win32BuiltPackage, InstallsEveryPolicyFromTwoSetupTypesSharingAGroup) {
  RealMachine M;
  FontCleanup Font{M};
  BuiltSetup S(M);
  ASSERT_NO_FATAL_FAILURE(S.Build());
  ASSERT_NO_FATAL_FAILURE(S.Open());
  EXPECT_EQ(S.Model.Title, Title);
  EXPECT_EQ(S.Types.Checked, (std::vector<std::string>{"Typical", "Full"}));

  const std::string Stand = std::string(TC_UNINSTALLER_FILES) + "/uninstaller";
  ASSERT_EQ(S.InstallOverEarlierVersion(), install::FinishPage);
  ASSERT_EQ(M.Msg.Shown.size(), 2u);
  EXPECT_EQ(M.Msg.Shown[0].Text, "Overwrite file: \r\n" + M.App + "\\ask_yes.txt");
  EXPECT_EQ(M.Msg.Shown[0].Caption, "Confirm");
  EXPECT_EQ(M.Msg.Shown[1].Text, "Overwrite file: \r\n" + M.App + "\\ask_no.txt");

  EXPECT_EQ(M.Text(M.App + "\\keep.txt"), "old keep");
  EXPECT_EQ(M.Text(M.App + "\\newer.txt"), "old newer");
  EXPECT_EQ(M.Text(M.App + "\\older.txt"), "new older");
  EXPECT_EQ(M.Text(M.App + "\\ask_yes.txt"), "new ask yes");
  EXPECT_EQ(M.Text(M.App + "\\ask_no.txt"), "old ask no");
  EXPECT_EQ(M.Text(M.App + "\\up.exe"), ToText(ReadHostFile(Stand + "2.exe")));
  EXPECT_EQ(M.Text(M.App + "\\down.exe"), ToText(ReadHostFile(Stand + "2.exe")));
  const std::string NewIni = M.App + "\\new.ini", KeepIni = M.App + "\\keep.ini";
  EXPECT_EQ(M.Ini.ReadString(NewIni, "Main", "Shared", ""), "package");
  EXPECT_EQ(M.Ini.ReadString(KeepIni, "Main", "Shared", ""), "user");
  for (const std::string &Ini : {NewIni, KeepIni}) {
    EXPECT_EQ(M.Ini.ReadString(Ini, "Main", "Own", ""), "user") << Ini;
    EXPECT_EQ(M.Ini.ReadString(Ini, "Main", "Added", ""), "package") << Ini;
  }
  const std::string Blocks = M.Text(M.App + "\\blocks.cfg");
  EXPECT_EQ(Blocks.find("V=old"), std::string::npos) << Blocks;
  EXPECT_NE(Blocks.find("V=new"), std::string::npos) << Blocks;
  EXPECT_NE(Blocks.find("ID=b"), std::string::npos) << Blocks;
  EXPECT_EQ(M.Text(M.App + "\\bin\\app.bin"), ToText(Noise(200000, 5)));
  EXPECT_EQ(M.Files.GetFileDate(M.App + "\\bin\\app.bin"), SourceDate) << "KeepDate";
  EXPECT_EQ(M.Text(M.App + "\\bin\\ro.txt"), "new ro") << "a read-only file is replaced";
  EXPECT_EQ(M.Text(M.App + "\\docs\\en\\readme.txt"), "readme");
  EXPECT_EQ(M.Text(M.Files.SystemDirectory() + "\\tce1_lib.dll"), "lib");
  EXPECT_EQ(M.Text(M.App + "\\extra\\deep\\e.txt"), "e");
  EXPECT_NE(M.Files.GetFileDate(M.App + "\\extra\\deep\\e.txt"), SourceDate) << "KeepDate off";
  EXPECT_EQ(M.Text(M.App + "\\extra\\deep\\big.bin"), ToText(Noise(300000, 7)));
  EXPECT_EQ(M.Text(M.WinDir + "\\tcUninst1.exe"), ToText(ReadHostFile(Stand + "1.exe")));

  M.ExpectLog({M.App + "\\docs", M.App + "\\docs\\en", M.App + "\\extra", M.App + "\\extra\\deep"},
              {M.App + "\\older.txt", M.App + "\\ask_yes.txt", M.App + "\\up.exe",
               M.App + "\\bin\\app.bin", M.App + "\\bin\\ro.txt", M.App + "\\docs\\en\\readme.txt",
               M.Files.SystemDirectory() + "\\tce1_lib.dll", M.WinDir + "\\Fonts\\TcE1Built.ttf",
               M.App + "\\extra\\deep\\e.txt", M.App + "\\extra\\deep\\big.bin"});
  M.ExpectRegistered(1);
  EXPECT_EQ(M.RegisteredFontFile("Tc Sans Bold"), "TcE1Built.ttf");
}

TEST(Win32BuiltPackage, TruncatedPackageAsksAndLeavesNoCopy) {
  for (int Answer : {platform::IdAbort, platform::IdIgnore}) {
    RealMachine M;
    FontCleanup Font{M};
    BuiltSetup S(M);
    ASSERT_NO_FATAL_FAILURE(S.Build());
    ASSERT_NO_FATAL_FAILURE(S.TruncateInBigFile());
    ASSERT_NO_FATAL_FAILURE(S.Open());
    // A retry meets the same cut, then the answer under test.
    M.Msg.Answers = {platform::IdRetry, Answer};
    const int Page = S.Install();
    ASSERT_EQ(M.Msg.Shown.size(), 2u);
    for (const auto &Box : M.Msg.Shown)
      EXPECT_EQ(Box.Text, "Failed to install file: big.bin! Failed to read file!\r\n"
                          "What do you want to do?");
    EXPECT_FALSE(M.Files.FileExists(M.App + "\\extra\\deep\\big.bin"));
    if (Answer == platform::IdAbort) {
      EXPECT_EQ(Page, install::AbortedPage);
      S.ExpectRolledBack();
    } else {
      EXPECT_EQ(Page, install::FinishPage);
      EXPECT_EQ(M.Text(M.App + "\\extra\\deep\\e.txt"), "e");
      EXPECT_EQ(fake::Upper(M.Log("Files", M.Log("Files", "Count"))),
                fake::Upper(M.App + "\\extra\\deep\\e.txt"))
          << "the skipped file is not recorded";
    }
  }
}

TEST(Win32BuiltPackage, CancelInTheMiddleOfTheLastFileRollsEverythingBack) {
  RealMachine M;
  FontCleanup Font{M};
  BuiltSetup S(M);
  ASSERT_NO_FATAL_FAILURE(S.Build());
  ASSERT_NO_FATAL_FAILURE(S.Open());
  M.Status.OnPump = [](RecordingStatus &St) {
    if (St.Max == 300000 && St.Position > 100000)
      St.Cancel = true;
  };
  EXPECT_EQ(S.Install(), install::AbortedPage);
  EXPECT_TRUE(M.Msg.Shown.empty());
  S.ExpectRolledBack();
  EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\Fonts\\TcE1Built.ttf"));
  EXPECT_EQ(M.RegisteredFontFile("Tc Sans Bold"), "") << "registered, then rolled back";
}

#ifdef TC_UNINSTALLER_EXE
namespace {

const std::string SecondTitle = "Tc E1 Second";
const char ProductKey[] = "Software\\TcE1Built";

// Runs an uninstall registration's command line quietly; its exit code.
DWORD Uninstall(RealMachine &M, const std::string &ProductTitle) {
  std::string Command;
  auto Key = M.Reg.OpenKey(platform::RootKey::LocalMachine,
                           std::string(install::UninstallKeyBase) + ProductTitle, false);
  if (!Key || !Key->ReadString("UninstallString", Command))
    return 9999;
  Key.reset();
  Command += " /quiet";
  STARTUPINFOA Start = {};
  Start.cb = sizeof Start;
  PROCESS_INFORMATION Process = {};
  if (!CreateProcessA(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Start,
                      &Process))
    return 9998;
  DWORD Code = 9997;
  if (WaitForSingleObject(Process.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(Process.hProcess, &Code);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return Code;
}

// The uninstaller deletes its own file shortly after it has ended.
bool GoneWithin(RealMachine &M, const std::string &Path, int Ms) {
  for (int Waited = 0; Waited < Ms && M.Files.FileExists(Path); Waited += 100)
    Sleep(100);
  return !M.Files.FileExists(Path);
}

// Registry values, a program folder with a sub-folder and a desktop
// shortcut, added to the built package's first group.
struct ShellItems {
  RealMachine &M;
  install::ShellFolders Shell;
  std::string Folder, DeskLink;

  explicit ShellItems(RealMachine &Machine) : M(Machine) {
    Shell = install::ReadShellFolders(M.Reg, M.Files);
    Folder = Shell.Programs + "TcE1 Built";
    DeskLink = Shell.Desktop + "TcE1 Built.lnk";
    Clean();
  }
  ~ShellItems() { Clean(); }
  void Clean() {
    M.RemoveTree(Folder);
    M.Files.RemoveFile(DeskLink);
    for (const char *K : {"\\Deep\\Deeper", "\\Deep", ""})
      M.Reg.DeleteKey(platform::RootKey::CurrentUser, ProductKey + std::string(K));
  }
  void AddTo(package::GroupType &G) {
    package::RegistryKeyType &Root = *G.RootKey.SubKeys.AppendNew();
    Root.Name = "HKEY_CURRENT_USER";
    package::RegistryKeyType *K = Root.SubKeys.AppendNew();
    K->Name = "Software";
    for (const char *Name : {"TcE1Built", "Deep", "Deeper"}) {
      K = K->SubKeys.AppendNew();
      K->Name = Name;
      package::RegistryValueType &V = *K->Values.AppendNew();
      V.Name = std::string("V") + Name;
      V.Value = "%InstallDir%";
      package::RegistryValueType &D = *K->Values.AppendNew(); // the default value
      D.Type = 2;
      D.Value = "7";
    }
    package::ProgramGroupType &Personal = *G.RootProgramGroup.SubGroups.AppendNew();
    Personal.Name = "PERSONAL GROUP";
    package::ProgramGroupType &Product = *Personal.SubGroups.AppendNew();
    Product.Name = "TcE1 Built";
    package::ProgramGroupLinkType &L = *Product.Links.AppendNew();
    L.DisplayName = "Up";
    L.Shortcut = "%InstallDir%\\up.exe";
    package::ProgramGroupType &Docs = *Product.SubGroups.AppendNew();
    Docs.Name = "Docs";
    package::ProgramGroupLinkType &R = *Docs.Links.AppendNew();
    R.DisplayName = "Readme";
    R.Shortcut = "%InstallDir%\\docs\\en\\readme.txt";
    R.IconIndex = -1;
    package::ProgramGroupType &Desk = *G.RootProgramGroup.SubGroups.AppendNew();
    Desk.Name = "DESKTOP";
    package::ProgramGroupLinkType &D = *Desk.Links.AppendNew();
    D.DisplayName = "TcE1 Built";
    D.Shortcut = "%InstallDir%\\up.exe";
  }
};

// A second product installed into the same directory with the same
// uninstaller: one file of its own.
int InstallSecondProduct(RealMachine &M, const Bytes &Uninstaller) {
  package::TOpenFileType Model;
  Model.Title = SecondTitle;
  package::GroupType &G = *Model.Groups.AppendNew();
  G.Name = "Second";
  AddFileRecord(G, "\\%InstallDir%\\second.txt", install::ieOverwrite);
  Model.SetupTypes.AppendNew()->Groups = {"Second"};
  return M.Run(Model, BuildPackage({{"Second", {{"\\%InstallDir%\\second.txt", ToBytes("2")}}}},
                                   &Uninstaller, 0x01000000));
}

} // namespace

// The uninstaller this project ships, packed into the setup, installed and
// registered by the engine, then started with its registered command line:
// what the installation made goes, the user's own files and a second
// product's stay; the uninstaller itself goes with the last product that
// uses it.
TEST(Win32BuiltPackage, TheShippedUninstallerUndoesTheInstallation) {
  platform::win32::ComApartment Com;
  RealMachine M;
  FontCleanup Font{M};
  ShellItems Items(M);
  struct SecondCleanup {
    RealMachine &M;
    ~SecondCleanup() {
      M.Reg.DeleteKey(platform::RootKey::LocalMachine,
                      std::string(install::UninstallKeyBase) + SecondTitle);
    }
  } Second{M};
  BuiltSetup S(M);
  ASSERT_NO_FATAL_FAILURE(S.Build(TC_UNINSTALLER_EXE));
  ASSERT_NO_FATAL_FAILURE(S.Open());
  Items.AddTo(*package::FindGroup(S.Model.Groups, "Core"));
  ASSERT_EQ(S.InstallOverEarlierVersion(), install::FinishPage);
  const std::string Log = M.WinDir + "\\tcUninst1.inf", Exe = M.WinDir + "\\tcUninst1.exe";
  std::vector<std::string> Installed;
  for (uint32_t N = 1; N <= 20; ++N)
    if (std::string F = M.Log("Files", std::to_string(N)); F != "<none>")
      Installed.push_back(F);
  ASSERT_EQ(Installed.size(), 10u);
  ASSERT_EQ(M.Log("RegistryValues", "Count"), "7") << "six values and the font's registration";
  ASSERT_EQ(M.RegisteredFontFile("Tc Sans Bold"), "TcE1Built.ttf");
  ASSERT_EQ(M.Log("ProgramLinks", "Count"), "3");
  ASSERT_EQ(M.Log("ProgramGroups", "Count"), "2");
  ASSERT_TRUE(M.Files.FileExists(Items.Folder + "\\Docs\\Readme.lnk"));
  ASSERT_TRUE(M.Files.FileExists(Items.DeskLink));
  ASSERT_EQ(InstallSecondProduct(M, ReadHostFile(TC_UNINSTALLER_EXE)), install::FinishPage);
  ASSERT_TRUE(M.Files.FileExists(M.WinDir + "\\tcUninst2.inf")) << "a log of its own";

  EXPECT_EQ(Uninstall(M, Title), 0u) << "nothing recorded stays";
  for (const std::string &F : Installed)
    EXPECT_FALSE(M.Files.FileExists(F)) << F;
  for (const char *D : {"\\docs\\en", "\\docs", "\\extra\\deep", "\\extra"})
    EXPECT_FALSE(M.Files.DirectoryExists(M.App + D)) << D;
  EXPECT_FALSE(M.Files.DirectoryExists(Items.Folder)) << "program folders go";
  EXPECT_FALSE(M.Files.FileExists(Items.DeskLink));
  EXPECT_FALSE(M.Reg.OpenKey(platform::RootKey::CurrentUser, ProductKey, false))
      << "emptied keys go";
  EXPECT_TRUE(M.Reg.OpenKey(platform::RootKey::CurrentUser, "Software", false));
  EXPECT_FALSE(M.Files.FileExists(Log));
  EXPECT_EQ(M.RegisteredFontFile("Tc Sans Bold"), "") << "the font list names no deleted file";
  EXPECT_FALSE(M.Reg.OpenKey(platform::RootKey::LocalMachine, UninstKey, false));
  // Kept, replaced by nothing, or merged into: the user's.
  for (const char *F :
       {"keep.txt", "newer.txt", "ask_no.txt", "down.exe", "new.ini", "keep.ini", "blocks.cfg"})
    EXPECT_TRUE(M.Files.FileExists(M.App + "\\" + F)) << F;
  EXPECT_EQ(M.Ini.ReadString(M.App + "\\keep.ini", "Main", "Own", ""), "user");
  EXPECT_EQ(M.Text(M.App + "\\second.txt"), "2") << "the other product's file";
  Sleep(1000);
  EXPECT_TRUE(M.Files.FileExists(Exe)) << "the other product still needs the uninstaller";

  EXPECT_EQ(Uninstall(M, SecondTitle), 0u);
  EXPECT_FALSE(M.Files.FileExists(M.App + "\\second.txt"));
  EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\tcUninst2.inf"));
  EXPECT_TRUE(GoneWithin(M, Exe, 10000)) << "the last user removes the uninstaller";
}
#endif
