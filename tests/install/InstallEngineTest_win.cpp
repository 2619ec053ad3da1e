// The installation engine against the real Win32 files, INI functions,
// registry and font registration, in the test's Wine prefix. Packages are
// written in the test; message boxes are answered by script.
#include "Win32Machine.h"

#include "install/FontInfo.h"
#include "install/IfExistsPolicy.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace engine_double;

namespace {

const Bytes UninstallerData = ToBytes("MZ stand-in uninstaller");
const int32_t Packaged = 0x3421'6000; // 2006-01-01 12:00:00

} // namespace

TEST(Win32Install, EveryPolicyFontLinksLogAndRegistration) {
  RealMachine M;
  package::TOpenFileType Model;
  Model.Title = Title;
  package::GroupType *Core = Model.Groups.AppendNew();
  Core->Name = "Core";
  package::GroupType *Extra = Model.Groups.AppendNew();
  Extra->Name = "Extra";
  package::SetupType *Typical = Model.SetupTypes.AppendNew();
  Typical->Groups = {"Core"};
  Typical->Selected = true;
  package::SetupType *Full = Model.SetupTypes.AppendNew();
  Full->Groups = {"Core", "Extra"};
  Full->Selected = true;

  const Bytes Font = ReadHostFile(std::string(TC_TEST_DATA) + "/fonts/full.ttf");
  ASSERT_FALSE(Font.empty());
  struct F {
    std::string Path;
    uint8_t Policy;
    Bytes Data;
    std::string IniId = "";
    int LinkTo = -1;
  };
  const std::vector<F> CoreFiles = {
      {"\\%InstallDir%\\bin\\app.bin", install::ieOverwrite, Noise(150000, 11)},
      {"\\%InstallDir%\\bin\\ro.txt", install::ieOverwrite, ToBytes("new ro")},
      {"\\%InstallDir%\\keep.txt", install::ieKeep, ToBytes("new keep")},
      {"\\%InstallDir%\\newer.txt", install::ieNewerDate, ToBytes("new newer")},
      {"\\%InstallDir%\\older.txt", install::ieNewerDate, ToBytes("new older")},
      {"\\%InstallDir%\\nover.dll", install::ieNewerVersion, ToBytes("new nover")},
      {"\\%InstallDir%\\settings.ini", install::ieMergeIniKeep,
       ToBytes("[Main]\r\nShared=package\r\nAdded=package\r\n")},
      {"\\%InstallDir%\\blocks.cfg", install::ieMergeBlocks,
       ToBytes("[Item]\r\n   ID=a\r\n   V=new\r\n[End]\r\n"), "ID"},
      {"\\%InstallDir%\\bin\\link.bin", install::ieOverwrite, {}, "", 0},
      {"\\<SystemDir>\\tce1_lib.dll", install::ieOverwrite, ToBytes("lib")},
      {"\\<FontDir>\\TcE1Full.ttf", install::ieOverwrite, Font},
  };
  PkgGroup GCore{"Core", {}};
  for (const F &E : CoreFiles) {
    GCore.Files.push_back({E.Path, E.Data, 0, Packaged, E.LinkTo});
    AddFileRecord(*Core, E.Path, E.Policy, true, E.IniId);
  }
  PkgGroup GExtra{"Extra", {{"\\%InstallDir%\\extra\\deep\\e.txt", ToBytes("e"), 0, Packaged}}};
  AddFileRecord(*Extra, "\\%InstallDir%\\extra\\deep\\e.txt", install::ieOverwrite, false);

  // What an earlier version left.
  ASSERT_NO_FATAL_FAILURE(M.PutEarlierFiles());
  M.Put(M.App + "\\nover.dll", "old nover");
  M.Put(M.App + "\\settings.ini", "[Main]\r\nShared=user\r\nOwn=user\r\n");
  M.Put(M.App + "\\blocks.cfg",
        "[Item]\r\n   ID=a\r\n   V=old\r\n[End]\r\n[Item]\r\n   ID=b\r\n[End]\r\n");

  ASSERT_EQ(M.Run(Model, BuildPackage({GCore, GExtra}, &UninstallerData)), install::FinishPage);
  EXPECT_TRUE(M.Msg.Shown.empty()) << M.Msg.Shown[0].Text;

  EXPECT_EQ(M.Text(M.App + "\\bin\\app.bin"), ToText(Noise(150000, 11)));
  EXPECT_EQ(M.Files.GetFileDate(M.App + "\\bin\\app.bin"), Packaged) << "KeepDate";
  EXPECT_EQ(M.Text(M.App + "\\bin\\link.bin"), ToText(Noise(150000, 11)));
  EXPECT_EQ(M.Text(M.App + "\\bin\\ro.txt"), "new ro") << "a read-only file is replaced";
  EXPECT_EQ(M.Text(M.App + "\\keep.txt"), "old keep");
  EXPECT_EQ(M.Text(M.App + "\\newer.txt"), "old newer");
  EXPECT_EQ(M.Text(M.App + "\\older.txt"), "new older");
  EXPECT_EQ(M.Text(M.App + "\\nover.dll"), "new nover") << "no version counts as 0";
  const std::string Ini = M.App + "\\settings.ini";
  EXPECT_EQ(M.Ini.ReadString(Ini, "Main", "Shared", ""), "user");
  EXPECT_EQ(M.Ini.ReadString(Ini, "Main", "Own", ""), "user");
  EXPECT_EQ(M.Ini.ReadString(Ini, "Main", "Added", ""), "package");
  const std::string Blocks = M.Text(M.App + "\\blocks.cfg");
  EXPECT_EQ(Blocks.find("V=old"), std::string::npos) << Blocks;
  EXPECT_LT(Blocks.find("ID=b"), Blocks.find("ID=a")) << Blocks;
  EXPECT_EQ(M.Text(M.Files.SystemDirectory() + "\\tce1_lib.dll"), "lib");
  EXPECT_EQ(M.Text(M.App + "\\extra\\deep\\e.txt"), "e");
  EXPECT_NE(M.Files.GetFileDate(M.App + "\\extra\\deep\\e.txt"), Packaged) << "KeepDate off";
  EXPECT_EQ(M.Text(M.WinDir + "\\tcUninst1.exe"), ToText(UninstallerData));

  // Log: the title, each created directory level, each installed file.
  M.ExpectLog({M.App + "\\extra", M.App + "\\extra\\deep"},
              {M.App + "\\bin\\app.bin", M.App + "\\bin\\ro.txt", M.App + "\\older.txt",
               M.App + "\\nover.dll", M.App + "\\bin\\link.bin",
               M.Files.SystemDirectory() + "\\tce1_lib.dll", M.WinDir + "\\Fonts\\TcE1Full.ttf",
               M.App + "\\extra\\deep\\e.txt"});
  M.ExpectRegistered(1);
  EXPECT_EQ(M.RegisteredFontFile("Tc Sans Bold"), "TcE1Full.ttf");
  M.RemoveFont("Tc Sans Bold", "TcE1Full.ttf");

  // The stand-in uninstaller carries no version resource, so it is no
  // uninstaller of the family: a second installation of the same title
  // takes the next numbers and registers those.
  M.Msg.Shown.clear();
  package::TOpenFileType Again;
  Again.Title = Title;
  package::GroupType *G2 = Again.Groups.AppendNew();
  G2->Name = "Core";
  Again.SetupTypes.AppendNew()->Groups = {"Core"};
  AddFileRecord(*G2, "\\%InstallDir%\\second.txt", install::ieOverwrite);
  ASSERT_EQ(M.Run(Again, BuildPackage({{"Core", {{"\\%InstallDir%\\second.txt", ToBytes("2")}}}},
                                      &UninstallerData)),
            install::FinishPage);
  EXPECT_TRUE(M.Files.FileExists(M.WinDir + "\\tcUninst2.exe"));
  EXPECT_EQ(M.Ini.ReadString(M.WinDir + "\\tcUninst2.inf", "Files", "1", ""),
            M.App + "\\second.txt");
  M.ExpectRegistered(2);
}

namespace {

struct CancelCase {
  RealMachine M;
  package::TOpenFileType Model;
  PkgGroup G{"Main",
             {{"\\%InstallDir%\\a\\first.txt", ToBytes("first")},
              {"\\%InstallDir%\\a\\b\\big.bin", Noise(400000, 3)},
              {"\\%InstallDir%\\a\\last.txt", ToBytes("last")}}};
  CancelCase() {
    Model.Title = Title;
    package::GroupType *Main = Model.Groups.AppendNew();
    Main->Name = "Main";
    Model.SetupTypes.AppendNew()->Groups = {"Main"};
    for (auto &F : G.Files)
      AddFileRecord(*Main, F.Name, install::ieOverwrite);
  }
  int Run() { return M.Run(Model, BuildPackage({G}, &UninstallerData)); }
  void ExpectRolledBack() {
    EXPECT_FALSE(M.Files.DirectoryExists(M.App)) << "no created directory stays";
    EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\tcUninst1.inf")) << "the log is deleted";
    EXPECT_FALSE(M.Reg.OpenKey(platform::RootKey::LocalMachine, UninstKey, false));
  }
};

} // namespace

TEST(Win32Install, CancelInALargeFileOrBetweenFilesRollsBack) {
  {
    CancelCase C;
    C.M.Status.OnPump = [](RecordingStatus &St) {
      if (St.Max == 400000 && St.Position > 100000)
        St.Cancel = true;
    };
    EXPECT_EQ(C.Run(), install::AbortedPage);
    C.ExpectRolledBack();
    EXPECT_TRUE(C.M.Msg.Shown.empty());
  }
  {
    CancelCase C;
    C.M.Status.OnPump = [&C](RecordingStatus &St) {
      // big.bin is complete once it carries its packaged date: the stop
      // comes before last.txt.
      if (C.M.Files.GetFileDate(C.M.App + "\\a\\b\\big.bin") == PkgFile().Date)
        St.Cancel = true;
    };
    EXPECT_EQ(C.Run(), install::AbortedPage);
    C.ExpectRolledBack();
  }
}

TEST(Win32Install, AnUpgradeCancelledInTheMiddlePutsEveryEarlierFileBack) {
  // The earlier version's files, a read-only one and a hidden settings file
  // merged into among them; the upgrade replaces and merges, and is
  // cancelled inside its large file. Every earlier file is back byte for
  // byte with its attributes, and nothing stays beside them.
  CancelCase C;
  RealMachine &M = C.M;
  M.PutEarlierFiles();
  ASSERT_TRUE(M.Files.MakeDirectory(M.App + "\\a"));
  const std::string OldBig = ToText(Noise(150000, 11));
  M.Put(M.App + "\\a\\first.txt", "first 1");
  M.Put(M.App + "\\a\\big.bin", OldBig);
  M.Put(M.App + "\\a\\set.ini", "[Main]\r\nKey=user\r\n");
  M.Files.SetAttributes(M.App + "\\a\\set.ini", platform::AttrHidden);
  package::GroupType *Main = C.Model.Groups.First();
  AddFileRecord(*Main, "\\%InstallDir%\\bin\\ro.txt", install::ieOverwrite);
  AddFileRecord(*Main, "\\%InstallDir%\\a\\set.ini", install::ieMergeIniNew);
  C.G.Files.insert(C.G.Files.begin() + 1,
                   {{"\\%InstallDir%\\bin\\ro.txt", ToBytes("new ro")},
                    {"\\%InstallDir%\\a\\set.ini", ToBytes("[Main]\r\nKey=new\r\n")}});
  std::vector<platform::DirEntry> Before, BeforeBin;
  ASSERT_TRUE(M.Files.ListDirectory(M.App + "\\a", Before));
  ASSERT_TRUE(M.Files.ListDirectory(M.App + "\\bin", BeforeBin));
  bool Replaced = false;
  M.Status.OnPump = [&](RecordingStatus &St) {
    if (St.Max == 400000 && St.Position > 100000) {
      // The replaced and merged files are the new ones at this point.
      Replaced = M.Text(M.App + "\\bin\\ro.txt") == "new ro" &&
                 M.Ini.ReadString(M.App + "\\a\\set.ini", "Main", "Key", "") == "new";
      St.Cancel = true;
    }
  };
  EXPECT_EQ(C.Run(), install::AbortedPage);
  EXPECT_TRUE(Replaced);
  EXPECT_EQ(M.Text(M.App + "\\a\\first.txt"), "first 1");
  EXPECT_EQ(M.Text(M.App + "\\a\\big.bin"), OldBig);
  EXPECT_EQ(M.Text(M.App + "\\a\\set.ini"), "[Main]\r\nKey=user\r\n");
  EXPECT_EQ(M.Text(M.App + "\\bin\\ro.txt"), "old ro");
  EXPECT_EQ(M.Text(M.App + "\\keep.txt"), "old keep");
  EXPECT_EQ(M.Text(M.App + "\\a\\last.txt"), "<missing>");
  EXPECT_EQ(M.Files.GetAttributes(M.App + "\\bin\\ro.txt") & platform::AttrReadOnly,
            platform::AttrReadOnly);
  EXPECT_EQ(M.Files.GetAttributes(M.App + "\\a\\set.ini") & platform::AttrHidden,
            platform::AttrHidden);
  std::vector<platform::DirEntry> After, AfterBin;
  ASSERT_TRUE(M.Files.ListDirectory(M.App + "\\a", After));
  ASSERT_TRUE(M.Files.ListDirectory(M.App + "\\bin", AfterBin));
  EXPECT_EQ(After.size(), Before.size()) << "nothing left beside the files";
  EXPECT_EQ(AfterBin.size(), BeforeBin.size());
  EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\tcUninst1.inf"));
  M.Files.SetAttributes(M.App + "\\bin\\ro.txt", platform::AttrNormal);
}

TEST(Win32Install, RetryAfterTheCauseIsRemovedAndIgnoreRecordsNothing) {
  for (int Answer : {platform::IdRetry, platform::IdIgnore}) {
    CancelCase C;
    // A file where the directory "b" has to go: the directory cannot be made,
    // so big.bin fails to be written.
    ASSERT_TRUE(C.M.Files.MakeDirectory(C.M.App));
    ASSERT_TRUE(C.M.Files.MakeDirectory(C.M.App + "\\a"));
    C.M.Put(C.M.App + "\\a\\b", "in the way");
    C.M.Msg.Answers = {Answer};
    C.M.Msg.OnShow = [&C](const ScriptedMessages::Box &) {
      C.M.Files.RemoveFile(C.M.App + "\\a\\b");
      C.M.Files.MakeDirectory(C.M.App + "\\a\\b");
    };
    ASSERT_EQ(C.Run(), install::FinishPage);
    ASSERT_EQ(C.M.Msg.Shown.size(), 1u);
    EXPECT_EQ(C.M.Msg.Shown[0].Text, "Failed to install file: big.bin! Failed to write to "
                                     "destination!\r\nWhat do you want to do?");
    const bool Retried = Answer == platform::IdRetry;
    EXPECT_EQ(C.M.Text(C.M.App + "\\a\\b\\big.bin"),
              Retried ? ToText(Noise(400000, 3)) : std::string("<missing>"));
    EXPECT_EQ(C.M.Log("Files", "Count"), Retried ? "3" : "2");
    EXPECT_EQ(fake::Upper(C.M.Log("Files", "2")),
              fake::Upper(C.M.App + (Retried ? "\\a\\b\\big.bin" : "\\a\\last.txt")));
  }
}

TEST(Win32Install, AFileInUseAsksAndRetryReplacesItOnceFreeIgnoreLeavesItAsItWas) {
  for (int Answer : {platform::IdRetry, platform::IdIgnore}) {
    CancelCase C;
    // The user's first.txt is open in a program that shares it with no one:
    // it cannot be moved aside until that program closes it.
    const std::string First = C.M.App + "\\a\\first.txt";
    ASSERT_TRUE(C.M.Files.MakeDirectory(C.M.App));
    ASSERT_TRUE(C.M.Files.MakeDirectory(C.M.App + "\\a"));
    C.M.Put(First, "mine");
    HANDLE InUse = CreateFileA(First.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(InUse, INVALID_HANDLE_VALUE);
    C.M.Msg.Answers = {Answer};
    C.M.Msg.OnShow = [&InUse](const ScriptedMessages::Box &) {
      CloseHandle(InUse);
      InUse = INVALID_HANDLE_VALUE;
    };
    ASSERT_EQ(C.Run(), install::FinishPage);
    if (InUse != INVALID_HANDLE_VALUE)
      CloseHandle(InUse);
    ASSERT_EQ(C.M.Msg.Shown.size(), 1u);
    EXPECT_EQ(C.M.Msg.Shown[0].Text, "Failed to install file: first.txt! Failed to write to "
                                     "destination!\r\nWhat do you want to do?");
    const bool Retried = Answer == platform::IdRetry;
    EXPECT_EQ(C.M.Text(First), Retried ? "first" : "mine");
    EXPECT_EQ(C.M.Log("Files", "Count"), Retried ? "3" : "2");
    EXPECT_EQ(fake::Upper(C.M.Log("Files", "1")),
              fake::Upper(Retried ? First : C.M.App + "\\a\\b\\big.bin"));
    std::vector<platform::DirEntry> Left;
    ASSERT_TRUE(C.M.Files.ListDirectory(C.M.App + "\\a", Left));
    EXPECT_EQ(Left.size(), 3u) << "first.txt, last.txt and b: no copy beside them";
  }
}

TEST(Win32Install, DamagedEntryAsksWithItsReasonAndLeavesNoCopy) {
  CancelCase C;
  BuiltPackage P = BuildPackage({C.G}, &UninstallerData);
  P.Data[P.FilePositions[0][1] + package::EntryHeaderSize + 4 + 5000] ^= 0x5A;
  C.M.Msg.Answers = {platform::IdAbort};
  EXPECT_EQ(C.M.Run(C.Model, P), install::AbortedPage);
  ASSERT_EQ(C.M.Msg.Shown.size(), 1u);
  EXPECT_EQ(C.M.Msg.Shown[0].Text,
            "Failed to install file: big.bin! CRC check failed!\r\nWhat do you want to do?");
  C.ExpectRolledBack();
}

#ifdef TC_UNINSTALLER_FILES
namespace {

Bytes StandIn(int Version) {
  return ReadHostFile(std::string(TC_UNINSTALLER_FILES) + "/uninstaller" + std::to_string(Version) +
                      ".exe");
}

// One group "Main" holding one file with the given package path.
struct OneFile {
  package::TOpenFileType Model;
  OneFile(const std::string &T, const std::string &Path, uint8_t Policy = install::ieOverwrite) {
    Model.Title = T;
    package::GroupType *G = Model.Groups.AppendNew();
    G->Name = "Main";
    Model.SetupTypes.AppendNew()->Groups = {"Main"};
    AddFileRecord(*G, Path, Policy);
  }
};

} // namespace

TEST(Win32Install, FamilyUninstallerIsReusedAndReplacedOnlyByANewerOne) {
  RealMachine M;
  const Bytes V1 = StandIn(1), V2 = StandIn(2);
  ASSERT_FALSE(V1.empty());
  ASSERT_FALSE(V2.empty());
  const std::string Exe = M.WinDir + "\\tcUninst1.exe";
  const std::string Other = "Tc E1 Other";
  M.Reg.DeleteKey(platform::RootKey::LocalMachine, install::UninstallKeyBase + Other);
  auto Install = [&](const std::string &T, const std::string &Name, const Bytes &Uninst) {
    OneFile F(T, "\\%InstallDir%\\" + Name);
    return M.Run(F.Model,
                 BuildPackage({{"Main", {{"\\%InstallDir%\\" + Name, ToBytes(Name)}}}}, &Uninst));
  };

  ASSERT_EQ(Install(Title, "one.txt", V1), install::FinishPage);
  EXPECT_EQ(M.Text(Exe), ToText(V1));
  const int32_t Old = 0x2621'0000; // 1999-01-01
  ASSERT_TRUE(M.Files.SetFileDate(Exe, Old));

  ASSERT_EQ(Install(Title, "two.txt", V1), install::FinishPage);
  EXPECT_EQ(M.Files.GetFileDate(Exe), Old) << "the same version is not replaced";
  EXPECT_EQ(M.Log("Files", "Count"), "2") << "the registered log goes on";
  EXPECT_FALSE(M.Files.FileExists(M.WinDir + "\\tcUninst2.inf"));

  // Records an earlier program wrote through the profile functions
  // themselves, with a section of its own, are read and kept.
  const std::string LogFile = M.WinDir + "\\tcUninst1.inf";
  ASSERT_TRUE(M.Ini.WriteString(LogFile, "Files", "Count", " 3"));
  ASSERT_TRUE(M.Ini.WriteString(LogFile, "Files", "3", "C:\\earlier\\file.txt"));
  ASSERT_TRUE(M.Ini.WriteString(LogFile, "ProgramLinks", "Count", "0"));

  ASSERT_EQ(Install(Title, "three.txt", V2), install::FinishPage);
  EXPECT_EQ(M.Text(Exe), ToText(V2)) << "a greater version replaces it";
  EXPECT_EQ(M.Log("Files", "Count"), "4");
  EXPECT_EQ(M.Log("Files", "3"), "C:\\earlier\\file.txt");
  EXPECT_EQ(fake::Upper(M.Log("Files", "4")), fake::Upper(M.App + "\\three.txt"));
  EXPECT_EQ(M.Log("ProgramLinks", "Count"), "0");

  // Another product shares the program but keeps its own log.
  ASSERT_EQ(Install(Other, "other.txt", V1), install::FinishPage);
  EXPECT_EQ(M.Text(Exe), ToText(V2)) << "an older version never replaces it";
  EXPECT_EQ(M.Ini.ReadString(M.WinDir + "\\tcUninst2.inf", "Main", "Title", ""), Other);
  auto Key =
      M.Reg.OpenKey(platform::RootKey::LocalMachine, install::UninstallKeyBase + Other, false);
  ASSERT_TRUE(Key);
  std::string Value;
  ASSERT_TRUE(Key->ReadString("UninstallString", Value));
  EXPECT_EQ(Value, Exe + " \"" + M.WinDir + "\\tcUninst2.inf\" \"" + Other + "\"");
  Key.reset();
  M.Reg.DeleteKey(platform::RootKey::LocalMachine, install::UninstallKeyBase + Other);
}

TEST(Win32Install, NewerVersionPolicyReadsTheExistingFilesVersionResource) {
  RealMachine M;
  const Bytes V2 = StandIn(2);
  ASSERT_FALSE(V2.empty());
  for (uint32_t Packaged : {0x0200'0000u, 0x01FF'FFFFu, 0x0200'0001u}) {
    const std::string Path = "\\%InstallDir%\\ver.dll";
    OneFile F(Title, Path, install::ieNewerVersion);
    M.Files.MakeDirectory(M.App);
    M.Put(M.App + "\\ver.dll", ToText(V2)); // version 2.0.0.0
    PkgFile E{Path, ToBytes("packaged"), Packaged};
    ASSERT_EQ(M.Run(F.Model, BuildPackage({{"Main", {E}}}, nullptr)), install::FinishPage);
    const bool Replaced = Packaged >= 0x0200'0000u;
    EXPECT_EQ(M.Text(M.App + "\\ver.dll"), Replaced ? "packaged" : ToText(V2)) << Packaged;
  }
}
#endif
