#include "EngineDouble.h"

#include "install/IfExistsPolicy.h"
#include "install/UninstallerSetup.h"

#include <gtest/gtest.h>

using namespace engine_double;

namespace {

const std::string App = "C:\\Program Files\\App";
const std::string LogFile = "C:\\WINDOWS\\tcUninst1.inf";
const std::string UninstKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";

Bytes Uninstaller() {
  return ToBytes("MZ uninstaller program");
}
const Bytes UninstallerData = Uninstaller();

Bytes Noise(size_t N, uint32_t Seed) {
  Bytes B(N);
  for (auto &C : B) {
    Seed = Seed * 1103515245u + 12345u;
    C = uint8_t(Seed >> 16);
  }
  return B;
}

// A model with one group "Main" and one setup type that selects it.
struct Script {
  package::TOpenFileType Model;
  package::GroupType *Main;
  Script() {
    Model.Title = "Demo";
    Main = Model.Groups.AppendNew();
    Main->Name = "Main";
    Model.SetupTypes.AppendNew()->Groups = {"Main"};
  }
};

uint32_t Count(Machine &M, const std::string &Section) {
  return uint32_t(std::stoul(M.Ini.ReadString(LogFile, Section, "Count", "0")));
}

} // namespace

TEST(InstallPolicies, EachIfExistsRuleAgainstExistingFiles) {
  Machine M;
  Script S;
  struct Case {
    std::string File;
    uint8_t Policy;
    std::string Existing; // "" : no existing file
    bool Replaced;
  };
  const std::vector<Case> Cases = {
      {"overwrite.txt", install::ieOverwrite, "old", true},
      {"askyes.txt", install::ieAsk, "old", true},
      {"askno.txt", install::ieAsk, "old", false},
      {"keep.txt", install::ieKeep, "old", false},
      {"keepnew.txt", install::ieKeep, "", true},
      {"sameversion.dll", install::ieNewerVersion, "old", true},
      {"higherversion.dll", install::ieNewerVersion, "old", false},
      {"noversion.dll", install::ieNewerVersion, "old", true},
      {"samedate.txt", install::ieNewerDate, "old", true},
      {"newerdate.txt", install::ieNewerDate, "old", false},
      {"baddate.txt", install::ieNewerDate, "old", true},
      {"readonly.txt", install::ieOverwrite, "old", true},
      {"unknown.txt", 9, "old", true},
  };
  PkgGroup G{"Main", {}};
  for (const Case &C : Cases) {
    const std::string Path = "\\%InstallDir%\\" + C.File;
    G.Files.push_back({Path, ToBytes("new " + C.File), 0x01020000, 0x34210000});
    AddFileRecord(*S.Main, Path, C.Policy);
  }
  M.Fs.Dirs.insert(fake::Upper(App));
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  for (const Case &C : Cases)
    if (!C.Existing.empty())
      M.Fs.Put(App + "\\" + C.File, C.Existing, 0x30210000);
  M.Version.Versions[Key(App + "\\sameversion.dll")] = {"1.2.0.0", "x"};
  M.Version.Versions[Key(App + "\\higherversion.dll")] = {"1.2.0.1", "x"};
  M.Fs.Nodes[Key(App + "\\samedate.txt")].Date = 0x34210000;
  M.Fs.Nodes[Key(App + "\\newerdate.txt")].Date = 0x34220000;
  M.Fs.Nodes[Key(App + "\\baddate.txt")].Date = 0x34200000; // day 0
  M.Fs.Nodes[Key(App + "\\readonly.txt")].Attr = platform::AttrReadOnly;
  M.Msg.Answers = {platform::IdYes, platform::IdNo};

  EXPECT_EQ(M.Run(S.Model, BuildPackage({G}, nullptr)), 800);
  uint32_t Installed = 0;
  for (const Case &C : Cases) {
    const std::string Want = C.Replaced ? "new " + C.File : C.Existing;
    EXPECT_EQ(M.Fs.Text(App + "\\" + C.File), Want) << C.File;
    Installed += C.Replaced;
  }
  ASSERT_EQ(M.Msg.Shown.size(), 2u);
  EXPECT_EQ(M.Msg.Shown[0].Text, "Overwrite file: \r\n" + App + "\\askyes.txt");
  EXPECT_EQ(M.Msg.Shown[0].Flags & 0xF, platform::MbYesNo);
  EXPECT_EQ(M.Msg.Shown[1].Text, "Overwrite file: \r\n" + App + "\\askno.txt");
  EXPECT_EQ(M.Fs.Date(App + "\\overwrite.txt"), 0x34210000) << "KeepDate sets the packaged date";
  EXPECT_EQ(Installed, 9u);
  // Each name is searched once where that is enough: a new file is made
  // at once, a file the rule replaces anyway is not looked up, and only a
  // file the rule decides on is looked at after its create failed.
  EXPECT_EQ(M.Fs.Lookups[Key(App + "\\keepnew.txt")], 1);
  EXPECT_EQ(M.Fs.Lookups[Key(App + "\\overwrite.txt")], 1);
  EXPECT_EQ(M.Fs.Lookups[Key(App + "\\keep.txt")], 2);
}

TEST(InstallPolicies, IniAndBlockMergesAndPlainInstallWithoutExistingFile) {
  Machine M;
  Script S;
  const std::string NewIni = "[Main]\r\nShared=package\r\nAdded=package\r\n[Extra]\r\nK=v\r\n";
  const std::string OldIni = "[Main]\r\nShared=user\r\nOwn=user\r\n";
  const std::string NewBlocks = "[Item]\r\n   ID=a\r\n   V=new\r\n[End]\r\n"
                                "[Item]\r\n   ID=c\r\n[End]\r\n[Item]\r\n   V=noid\r\n[End]\r\n";
  const std::string OldBlocks =
      "[Item]\r\n   ID=a\r\n   V=old\r\n[End]\r\n[Item]\r\n   ID=b\r\n[End]\r\n";
  PkgGroup G{"Main",
             {{"\\%InstallDir%\\new.ini", ToBytes(NewIni)},
              {"\\%InstallDir%\\keep.ini", ToBytes(NewIni)},
              {"\\%InstallDir%\\blocks.cfg", ToBytes(NewBlocks)},
              {"\\%InstallDir%\\fresh.ini", ToBytes(NewIni)},
              {"\\%InstallDir%\\fresh.cfg", ToBytes(NewBlocks)}}};
  AddFileRecord(*S.Main, "\\%InstallDir%\\new.ini", install::ieMergeIniNew);
  AddFileRecord(*S.Main, "\\%InstallDir%\\keep.ini", install::ieMergeIniKeep);
  AddFileRecord(*S.Main, "\\%InstallDir%\\blocks.cfg", install::ieMergeBlocks, true, "ID");
  AddFileRecord(*S.Main, "\\%InstallDir%\\fresh.ini", install::ieMergeIniKeep);
  AddFileRecord(*S.Main, "\\%InstallDir%\\fresh.cfg", install::ieMergeBlocks, true, "ID");
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  M.Fs.Dirs.insert(fake::Upper(App));
  M.Fs.Put(App + "\\new.ini", OldIni);
  M.Fs.Put(App + "\\keep.ini", OldIni);
  M.Fs.Put(App + "\\blocks.cfg", OldBlocks);

  ASSERT_EQ(M.Run(S.Model, BuildPackage({G}, &UninstallerData)), 800);
  auto Value = [&](const std::string &F, const std::string &Sec, const std::string &K) {
    return M.Ini.ReadString(App + "\\" + F, Sec, K, "<none>");
  };
  EXPECT_EQ(Value("new.ini", "Main", "Shared"), "package");
  EXPECT_EQ(Value("keep.ini", "Main", "Shared"), "user") << "existing values win";
  for (const char *F : {"new.ini", "keep.ini"}) {
    EXPECT_EQ(Value(F, "Main", "Added"), "package") << F;
    EXPECT_EQ(Value(F, "Main", "Own"), "user") << F;
    EXPECT_EQ(Value(F, "Extra", "K"), "v") << F;
  }
  const std::string Blocks = M.Fs.Text(App + "\\blocks.cfg");
  EXPECT_EQ(Blocks.find("V=old"), std::string::npos);
  EXPECT_EQ(Blocks.find("noid"), std::string::npos) << "blocks without an id are not taken";
  const size_t B = Blocks.find("ID=b"), A = Blocks.find("ID=a"), C = Blocks.find("ID=c");
  ASSERT_NE(A, std::string::npos);
  EXPECT_LT(B, A) << "a replaced block moves after the existing ones";
  EXPECT_LT(A, C);
  EXPECT_EQ(M.Fs.Text(App + "\\fresh.ini"), NewIni);
  EXPECT_EQ(M.Fs.Text(App + "\\fresh.cfg"), NewBlocks);
  EXPECT_TRUE(M.Fs.Below("C:\\TEMP").empty()) << "temporary files are removed";
  EXPECT_FALSE(M.Fs.Has(App + "\\blocks.cfg.tc1")) << "the merged text took the file's place";
  // Files merged into were the user's: neither a rollback nor the
  // uninstaller may delete them, so only the new ones are recorded.
  ASSERT_EQ(Count(M, "Files"), 2u);
  EXPECT_EQ(M.Log("Files", "1"), App + "\\fresh.ini");
  EXPECT_EQ(M.Log("Files", "2"), App + "\\fresh.cfg");
}

TEST(InstallPolicies, ABlockMergeThatCannotBeSavedLeavesTheUsersFileAsItWas) {
  Machine M;
  Script S;
  const std::string OldBlocks = "[Item]\r\n   ID=a\r\n   V=old\r\n[End]\r\n";
  AddFileRecord(*S.Main, "\\%InstallDir%\\blocks.cfg", install::ieMergeBlocks, true, "ID");
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  M.Fs.Dirs.insert(fake::Upper(App));
  M.Fs.Put(App + "\\blocks.cfg", OldBlocks);
  // Room for the packaged text in the temporary directory, none for the
  // merged one beside the user's file.
  M.Fs.FailWrites.insert(Key(App + "\\blocks.cfg.tc"));
  const BuiltPackage P = BuildPackage(
      {{"Main",
        {{"\\%InstallDir%\\blocks.cfg", ToBytes("[Item]\r\n   ID=a\r\n   V=new\r\n[End]\r\n")}}}},
      &UninstallerData);
  EXPECT_EQ(M.Run(S.Model, P), 900);
  ASSERT_EQ(M.Msg.Shown.size(), 1u);
  EXPECT_EQ(M.Msg.Shown[0].Text, "Failed to merge file: " + App + "\\blocks.cfg!");
  EXPECT_EQ(M.Fs.Text(App + "\\blocks.cfg"), OldBlocks);
  EXPECT_TRUE(M.Fs.Below(fake::Upper(App)).size() == 1u) << "nothing left beside it";
}

TEST(InstallSequence, PhasesSetupTypesSharedGroupsDirectoriesLogAndRegistration) {
  Machine M;
  package::TOpenFileType Model;
  Model.Title = "Demo";
  for (const char *N : {"Core", "Docs", "NoData"})
    Model.Groups.AppendNew()->Name = N;
  package::GroupType *Core = package::FindGroup(Model.Groups, "core");
  package::GroupType *Docs = package::FindGroup(Model.Groups, "docs");
  AddFileRecord(*Core, "\\%InstallDir%\\bin\\app.exe", install::ieOverwrite);
  AddFileRecord(*Core, "\\%InstallDir%\\bin\\link.exe", install::ieOverwrite, false);
  AddFileRecord(*Core, "\\<SystemDir>\\\\lib.dll", install::ieOverwrite);
  AddFileRecord(*Docs, "\\%InstallDir%\\doc\\deep\\a.txt", install::ieOverwrite);
  // Each group writes one registry value named after it, so the records
  // show which groups phase 2 handled, and how often.
  for (package::GroupType *G = Model.Groups.First(); G; G = G->Next.get()) {
    package::RegistryKeyType *Root = G->RootKey.SubKeys.AppendNew();
    Root->Name = "HKEY_CURRENT_USER";
    package::RegistryKeyType *Key = Root->SubKeys.AppendNew();
    Key->Name = "Demo";
    Key->Values.AppendNew()->Name = G->Name;
  }
  package::SetupType *Full = Model.SetupTypes.AppendNew();
  Full->Groups = {"Core", "Docs", "NoData", "Missing"};
  Full->Selected = true;
  Full->FinalizationCommands = {"RUN FILE\x01<SystemDir>\\full.exe\\\x02\x03"
                                "Full"};
  package::SetupType *Minimal = Model.SetupTypes.AppendNew();
  Minimal->Groups = {"core"};
  Minimal->Selected = true;
  Minimal->FinalizationCommands = {"run file\x01<SystemDir>\\min.exe\x02/q\x03Minimal"};
  package::SetupType *Off = Model.SetupTypes.AppendNew();
  Off->Groups = {"Docs"};
  Off->FinalizationCommands = {"RUN FILE\x01off.exe\x02\x03Off"};

  PkgGroup GCore{"Core",
                 {{"\\%InstallDir%\\bin\\app.exe", Noise(70000, 1)},
                  {"\\%InstallDir%\\bin\\link.exe", {}, 0, 0x34210000, 0},
                  {"\\<SystemDir>\\\\lib.dll", ToBytes("lib")}}};
  PkgGroup GDocs{"Docs", {{"\\%InstallDir%\\doc\\deep\\a.txt", ToBytes("doc")}}};
  uint32_t LinkMax = 0;
  M.Status.OnPump = [&](RecordingStatus &St) {
    if (!St.Items.empty() && St.Items.back() == App + "\\bin\\link.exe")
      LinkMax = St.Max;
  };
  const int Code = M.Run(Model, BuildPackage({GCore, GDocs}, &UninstallerData));
  ASSERT_EQ(Code, 800);

  EXPECT_EQ(M.Status.Captions,
            (std::vector<std::string>{"Installing files...", "Setting up registry...",
                                      "Creating program groups...", "Full", "Minimal"}));
  const std::vector<std::string> Once{"Core", "Docs", "NoData"};
  ASSERT_EQ(Count(M, "RegistryValues"), Once.size()) << "a shared group is handled once per phase";
  for (size_t I = 0; I < Once.size(); ++I)
    EXPECT_EQ(M.Log("RegistryValues", std::to_string(I + 1)),
              "\\HKEY_CURRENT_USER\\Demo\\" + Once[I]);
  ASSERT_EQ(M.Procs.Started.size(), 2u) << "the selected setup types' commands, in order";
  EXPECT_EQ(M.Procs.Started[0].CommandLine, "C:\\WINDOWS\\SYSTEM\\full.exe");
  EXPECT_EQ(M.Procs.Started[1].CommandLine, "C:\\WINDOWS\\SYSTEM\\min.exe /q");
  EXPECT_FALSE(M.Procs.Started[0].Hidden);
  EXPECT_EQ(M.Fs.Text(App + "\\bin\\app.exe"), ToText(Noise(70000, 1)));
  EXPECT_EQ(M.Fs.Text(App + "\\bin\\link.exe"), ToText(Noise(70000, 1))) << "linked data";
  EXPECT_EQ(LinkMax, 70000u) << "the bar of a linked file measures the data it shares";
  EXPECT_NE(M.Fs.Date(App + "\\bin\\link.exe"), 0x34210000) << "KeepDate off";
  EXPECT_EQ(M.Fs.Text("C:\\WINDOWS\\SYSTEM\\lib.dll"), "lib");
  EXPECT_EQ(M.Fs.Text(App + "\\doc\\deep\\a.txt"), "doc");
  EXPECT_EQ(M.Fs.Text("C:\\WINDOWS\\tcUninst1.exe"), ToText(Uninstaller()));

  EXPECT_EQ(M.Log("Main", "Title"), "Demo");
  const std::vector<std::string> Dirs{"C:\\Program Files\\", App, App + "\\bin", App + "\\doc",
                                      App + "\\doc\\deep"};
  ASSERT_EQ(Count(M, "Directories"), Dirs.size());
  for (size_t I = 0; I < Dirs.size(); ++I)
    EXPECT_EQ(M.Log("Directories", std::to_string(I + 1)), Dirs[I]);
  ASSERT_EQ(Count(M, "Files"), 4u);
  EXPECT_EQ(M.Log("Files", "1"), App + "\\bin\\app.exe");
  EXPECT_EQ(M.Log("Files", "3"), "C:\\WINDOWS\\SYSTEM\\lib.dll");
  EXPECT_EQ(M.Log("Files", "4"), App + "\\doc\\deep\\a.txt");
  EXPECT_EQ(M.Fs.Text(LogFile).rfind("[Main]\r\nTitle=Demo\r\n[Files]\r\nCount=", 0), 0u)
      << M.Fs.Text(LogFile);

  std::string Value;
  ASSERT_TRUE(M.Reg.Has(platform::RootKey::LocalMachine, UninstKey, "UninstallString", &Value));
  EXPECT_EQ(Value, "C:\\WINDOWS\\tcUninst1.exe \"" + LogFile + "\" \"Demo\"");
  ASSERT_TRUE(M.Reg.Has(platform::RootKey::LocalMachine, UninstKey, "DisplayName", &Value));
  EXPECT_EQ(Value, "Demo");
}

TEST(InstallSequence, SingleSetupTypeIgnoresSelectionAndNoUninstallerMeansNoLog) {
  Machine M;
  Script S;
  S.Model.SetupTypes.First()->Selected = false;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  ASSERT_EQ(
      M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}}, nullptr)),
      800);
  EXPECT_EQ(M.Fs.Text(App + "\\a.txt"), "a");
  EXPECT_FALSE(M.Fs.Has(LogFile));
  EXPECT_TRUE(M.Reg.Keys.empty()) << "nothing to register without an uninstaller";
}

TEST(InstallSequence, ACancelAfterTheRegistrationDoesNotTurnTheFinishIntoAnAbort) {
  // A status panel whose hiding pumps messages, and the user's Cancel comes
  // in right then: the installation is complete and registered, so the
  // finish page follows; the flag is not polled again once the outcome is settled.
  struct LateCancel : RecordingStatus {
    void ShowPanel(bool Show) override {
      if (!Show)
        Cancel = true;
    }
  };
  Machine M;
  Script S;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  const BuiltPackage P =
      BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}}, &UninstallerData);
  platform::MemoryFile File(P.Data);
  LateCancel Status;
  install::InstallationEngine Engine(M.System, S.Model, Status, M.Folders, M.Services());
  EXPECT_EQ(Engine.RunInstallation(File, P.FilesPosition), install::FinishPage);
  EXPECT_TRUE(Status.Cancel);
  EXPECT_EQ(M.Fs.Text(App + "\\a.txt"), "a");
  EXPECT_TRUE(M.Fs.Has(LogFile));
  EXPECT_TRUE(M.Reg.Has(platform::RootKey::LocalMachine, UninstKey, "UninstallString"));
}

// ---------------------------------------------------------------- cancel

namespace {

struct CancelRun {
  Machine M;
  Script S;
  PkgGroup G{"Main",
             {{"\\%InstallDir%\\sub\\first.txt", ToBytes("first")},
              {"\\%InstallDir%\\sub\\big.bin", Noise(200000, 7)},
              {"\\%InstallDir%\\sub\\last.txt", ToBytes("last")}}};
  CancelRun() {
    for (auto &F : G.Files)
      AddFileRecord(*S.Main, F.Name, install::ieOverwrite);
  }
  int Run() { return M.Run(S.Model, BuildPackage({G}, &UninstallerData)); }
  void ExpectRolledBack() {
    EXPECT_FALSE(M.Fs.HasDir("C:\\Program Files")) << "created directories are removed";
    EXPECT_FALSE(M.Fs.Has(App + "\\sub\\first.txt"));
    EXPECT_FALSE(M.Fs.Has(LogFile)) << "the log of this run is deleted";
    EXPECT_TRUE(M.Reg.Keys.empty()) << "no registration";
    EXPECT_TRUE(M.Fs.Below("C:\\TEMP").empty());
  }
};

} // namespace

TEST(InstallCancel, InTheMiddleOfALargeFileBetweenFilesAndInItsLastBlock) {
  {
    CancelRun R;
    R.M.Status.OnPump = [](RecordingStatus &St) {
      if (St.Max == 200000 && St.Position > 0 && St.Position < 200000)
        St.Cancel = true;
    };
    EXPECT_EQ(R.Run(), 900);
    R.ExpectRolledBack();
    EXPECT_TRUE(R.M.Msg.Shown.empty()) << "a stop the user asked for is no failure to report";
  }
  {
    CancelRun R;
    // first.txt is complete once it carries its packaged date: the pump
    // that follows comes before big.bin.
    R.M.Status.OnPump = [&R](RecordingStatus &St) {
      if (R.M.Fs.GetFileDate(App + "\\sub\\first.txt") == PkgFile().Date)
        St.Cancel = true;
    };
    EXPECT_EQ(R.Run(), 900);
    R.ExpectRolledBack();
  }
  {
    // The stop arrives with the whole file decoded: the file is still not
    // installed, dated or recorded.
    CancelRun R;
    bool SawComplete = false;
    R.M.Status.OnPump = [&](RecordingStatus &St) {
      if (St.Max == 200000 && St.Position == 200000) {
        St.Cancel = true;
        SawComplete = true;
      }
    };
    EXPECT_EQ(R.Run(), 900);
    EXPECT_TRUE(SawComplete);
    R.ExpectRolledBack();
    EXPECT_FALSE(R.M.Fs.Has(App + "\\sub\\big.bin"));
  }
  {
    // The stop arrives as big.bin is announced, its name already taken
    // by the empty file it is about to be written into: that goes too.
    CancelRun R;
    R.M.Status.OnItem = [](RecordingStatus &St, const std::string &Item) {
      if (Item.find("big.bin") != std::string::npos)
        St.Cancel = true;
    };
    EXPECT_EQ(R.Run(), 900);
    R.ExpectRolledBack();
    EXPECT_FALSE(R.M.Fs.Has(App + "\\sub\\big.bin"));
  }
}

TEST(InstallCancel, WithAPumpIntervalMessagesWaitButTheCancelFlagIsReadAtEveryBlock) {
  // The panel's Cancel turns true inside big.bin (as a handler run by an
  // earlier pump would leave it); no pump is due again for 49 days, longer
  // than the machine has been up (the clock counts from its start).
  class CancelInsideBigFile : public RecordingStatus {
  public:
    void SetProgress(uint32_t P) override {
      RecordingStatus::SetProgress(P);
      if (Max == 200000 && P > 0 && P < 200000)
        Cancel = true;
    }
  };
  for (bool Cancel : {false, true}) {
    CancelRun R;
    CancelInsideBigFile Status;
    install::InstallServices Services = R.M.Services();
    Services.PumpIntervalMs = UINT32_MAX;
    platform::MemoryFile File(BuildPackage({R.G}, &UninstallerData).Data);
    install::InstallationEngine Engine(R.M.System, R.S.Model, Cancel ? Status : R.M.Status,
                                       R.M.Folders, std::move(Services));
    EXPECT_EQ(Engine.RunInstallation(File, 16), Cancel ? 900 : 800);
    EXPECT_EQ((Cancel ? Status : R.M.Status).Pumps, 1) << "one pump, before the first file";
    if (Cancel) {
      R.ExpectRolledBack();
    } else {
      EXPECT_EQ(R.M.Fs.Text(App + "\\sub\\big.bin"), ToText(Noise(200000, 7)));
      EXPECT_EQ(Count(R.M, "Files"), 3u);
    }
  }
}

TEST(InstallCancel, RollbackOfAReusedLogKeepsTheEarlierInstallation) {
  for (bool Readable : {true, false}) {
    CancelRun R;
    // An earlier installation of the same title left its log and registration.
    R.M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "old");
    R.M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"2.0", "Taloncor UnInstaller"};
    R.M.Fs.Dirs.insert("C:\\OLD");
    R.M.Fs.Put("C:\\OLD\\kept.txt", "kept");
    R.M.Fs.Put(LogFile, "[Main]\r\nTitle=Demo\r\n[Files]\r\nCount=1\r\n1=C:\\OLD\\kept.txt\r\n"
                        "[Directories]\r\nCount=1\r\n1=C:\\OLD\\\r\n");
    R.M.Version.Versions[Key("C:\\TEMP\\tc1.tmp")] = {"1.0", "Taloncor UnInstaller"};
    R.M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "DisplayName", "DEMO");
    R.M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
                " C:\\WINDOWS\\tcUninst1.exe \"" + LogFile + "\" \"Demo\"");
    R.M.Status.OnPump = [](RecordingStatus &St) {
      if (St.Max == 200000 && St.Position > 0)
        St.Cancel = true;
    };
    // An earlier log that cannot be read: the user goes on without a log,
    // and the cancelled run must not write its near-empty view over it.
    const std::string Earlier = R.M.Fs.Text(LogFile);
    if (!Readable) {
      R.M.Fs.FailReads.insert(Key(LogFile));
      R.M.Msg.Answers = {platform::IdYes};
    }
    EXPECT_EQ(R.Run(), 900);
    EXPECT_EQ(R.M.Fs.Text("C:\\WINDOWS\\tcUninst1.exe"), "old") << "not replaced by an older one";
    EXPECT_EQ(R.M.Fs.Text("C:\\OLD\\kept.txt"), "kept");
    EXPECT_TRUE(R.M.Fs.HasDir("C:\\OLD"));
    ASSERT_TRUE(R.M.Fs.Has(LogFile)) << "a shared log is kept";
    if (Readable) {
      EXPECT_FALSE(R.M.Fs.Has(App + "\\sub\\first.txt"));
      EXPECT_EQ(Count(R.M, "Files"), 1u);
      EXPECT_EQ(Count(R.M, "Directories"), 1u);
    } else {
      ASSERT_EQ(R.M.Msg.Shown.size(), 1u);
      EXPECT_EQ(R.M.Msg.Shown[0].Text.rfind("The installation program failed to create", 0), 0u);
      EXPECT_EQ(R.M.Fs.Text(LogFile), Earlier);
    }
  }
}

TEST(InstallCancel, AnUpgradeCancelledHalfWayPutsEveryEarlierFileBack) {
  // Version 1 is installed with its log and registration; version 2 replaces
  // its files, merges into its settings and is cancelled inside its third
  // file. Then the same upgrade runs to its end.
  for (bool Cancel : {true, false}) {
    Machine M;
    Script S;
    const std::string Ini = "[Main]\r\nKey=user\r\nOwn=1\r\n";
    const std::string Blocks = "[Item]\r\n   ID=a\r\n   V=1\r\n[End]\r\n";
    const std::vector<std::pair<std::string, std::string>> Earlier = {
        {App + "\\first.txt", "first 1"},
        {App + "\\ro.txt", "read-only 1"},
        {App + "\\big.bin", ToText(Noise(70000, 8))},
        {App + "\\last.txt", "last 1"},
        {App + "\\set.ini", Ini},
        {App + "\\blocks.cfg", Blocks}};
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert(fake::Upper(App));
    std::string Log = "[Main]\r\nTitle=Demo\r\n[Files]\r\nCount=4\r\n";
    for (size_t I = 0; I < Earlier.size(); ++I) {
      M.Fs.Put(Earlier[I].first, Earlier[I].second);
      if (I < 4)
        Log += std::to_string(I + 1) + "=" + Earlier[I].first + "\r\n";
    }
    M.Fs.SetAttributes(App + "\\ro.txt", platform::AttrReadOnly);
    M.Fs.SetAttributes(App + "\\set.ini", platform::AttrHidden);
    M.Fs.Put(LogFile, Log);
    M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "old");
    M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"2.0", "Taloncor UnInstaller"};
    M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "DisplayName", "Demo");
    M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
              "C:\\WINDOWS\\tcUninst1.exe \"" + LogFile + "\" \"Demo\"");
    PkgGroup G{"Main",
               {{"\\%InstallDir%\\first.txt", ToBytes("first 2")},
                {"\\%InstallDir%\\ro.txt", ToBytes("read-only 2")},
                {"\\%InstallDir%\\set.ini", ToBytes("[Main]\r\nKey=new\r\nAdded=2\r\n")},
                {"\\%InstallDir%\\blocks.cfg", ToBytes("[Item]\r\n   ID=a\r\n   V=2\r\n[End]\r\n")},
                {"\\%InstallDir%\\big.bin", Noise(200000, 9)},
                {"\\%InstallDir%\\last.txt", ToBytes("last 2")}}};
    for (auto &F : G.Files) {
      const bool IsIni = F.Name.find(".ini") != std::string::npos;
      const bool IsCfg = F.Name.find(".cfg") != std::string::npos;
      AddFileRecord(*S.Main, F.Name,
                    IsIni ? install::ieMergeIniNew
                          : (IsCfg ? install::ieMergeBlocks : install::ieOverwrite),
                    true, "ID");
    }
    if (Cancel)
      M.Status.OnPump = [](RecordingStatus &St) {
        if (St.Max == 200000 && St.Position > 0)
          St.Cancel = true;
      };
    EXPECT_EQ(M.Run(S.Model, BuildPackage({G}, &UninstallerData)), Cancel ? 900 : 800);
    // Nothing is left beside the files: no new copy, no kept one.
    EXPECT_EQ(M.Fs.Below(fake::Upper(App)).size(), Earlier.size());
    EXPECT_TRUE(M.Fs.Below("C:\\TEMP").empty());
    if (Cancel) {
      for (auto &[Path, Text] : Earlier)
        EXPECT_EQ(M.Fs.Text(Path), Text) << Path;
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\ro.txt"), platform::AttrReadOnly);
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\set.ini"), platform::AttrHidden);
      EXPECT_EQ(Count(M, "Files"), 4u) << "the earlier log's records stay";
      EXPECT_EQ(M.Log("Files", "4"), App + "\\last.txt");
    } else {
      EXPECT_EQ(M.Fs.Text(App + "\\first.txt"), "first 2");
      EXPECT_EQ(M.Fs.Text(App + "\\ro.txt"), "read-only 2");
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\ro.txt"), 0u) << "a replaced file's attributes go";
      EXPECT_EQ(M.Fs.Text(App + "\\big.bin"), ToText(Noise(200000, 9)));
      EXPECT_EQ(M.Ini.ReadString(App + "\\set.ini", "Main", "Key", ""), "new");
      EXPECT_EQ(M.Ini.ReadString(App + "\\set.ini", "Main", "Own", ""), "1");
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\set.ini"), platform::AttrHidden)
          << "a merged file keeps its attributes";
      EXPECT_EQ(M.Fs.Text(App + "\\blocks.cfg"), "[Item]\r\n   ID=a\r\n   V=2\r\n[End]\r\n");
      EXPECT_EQ(Count(M, "Files"), 8u);
    }
  }
}

TEST(InstallCrash, WhatAnInterruptedInstallationLeftIsCleanedAndTheUsersFilesPutBack) {
  // An earlier run lost its power between its renames: new copies beside
  // the files, the user's files kept aside, its log kept aside while being
  // rewritten. The next run, completed or cancelled, never loses a file.
  for (bool Cancel : {false, true}) {
    Machine M;
    Script S;
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert(fake::Upper(App));
    M.Fs.Put(App + "\\keep.txt.tcold1", "user keep");
    M.Fs.Put(App + "\\keep.txt.tcnew1", "half a new copy");
    M.Fs.Put(App + "\\set.ini.tcold1", "[Main]\r\nOwn=1\r\n");
    M.Fs.Put(App + "\\set.ini.tcnew3", "[Main]\r\nOwn=1\r\nKey=merged\r\n");
    M.Fs.Put(App + "\\done.txt", "v2");
    M.Fs.Put(App + "\\done.txt.tcold1", "v1");
    M.Fs.Put(App + "\\fresh.txt.tcnew1", "partial");
    M.Fs.Put(LogFile + ".tcold1", "[Main]\r\nTitle=Demo\r\n[Files]\r\nCount=1\r\n1=C:\\x.txt\r\n");
    M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "old");
    M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"2.0", "Taloncor UnInstaller"};
    M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "DisplayName", "Demo");
    M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
              "C:\\WINDOWS\\tcUninst1.exe \"" + LogFile + "\" \"Demo\"");
    PkgGroup G{"Main",
               {{"\\%InstallDir%\\keep.txt", ToBytes("new keep")},
                {"\\%InstallDir%\\set.ini", ToBytes("[Main]\r\nKey=new\r\n")},
                {"\\%InstallDir%\\done.txt", ToBytes("v3")},
                {"\\%InstallDir%\\fresh.txt", ToBytes("fresh")},
                {"\\%InstallDir%\\big.bin", Noise(200000, 3)}}};
    for (auto &F : G.Files)
      AddFileRecord(*S.Main, F.Name,
                    F.Name.find("keep") != std::string::npos
                        ? install::ieKeep
                        : (F.Name.find(".ini") != std::string::npos ? install::ieMergeIniNew
                                                                    : install::ieOverwrite));
    if (Cancel)
      M.Status.OnPump = [](RecordingStatus &St) {
        if (St.Max == 200000 && St.Position > 0)
          St.Cancel = true;
      };
    EXPECT_EQ(M.Run(S.Model, BuildPackage({G}, &UninstallerData)), Cancel ? 900 : 800);
    EXPECT_EQ(M.Fs.Text(App + "\\keep.txt"), "user keep") << "put back, then kept by its rule";
    EXPECT_EQ(M.Fs.Text(App + "\\done.txt.tcold1"), "v1")
        << "an earlier version nobody asked to lose";
    EXPECT_FALSE(M.Fs.Has(LogFile + ".tcold1"));
    for (const std::string &K : M.Fs.Below(fake::Upper(App)))
      EXPECT_EQ(K.find(".TCNEW"), std::string::npos) << K;
    if (Cancel) {
      EXPECT_EQ(M.Fs.Text(App + "\\set.ini"), "[Main]\r\nOwn=1\r\n");
      EXPECT_EQ(M.Fs.Text(App + "\\done.txt"), "v2");
      EXPECT_FALSE(M.Fs.Has(App + "\\fresh.txt"));
      EXPECT_EQ(M.Fs.Below(fake::Upper(App)).size(), 4u);
      EXPECT_EQ(M.Log("Files", "1"), "C:\\x.txt") << "the earlier installation's log is back";
      EXPECT_EQ(Count(M, "Files"), 1u);
    } else {
      EXPECT_EQ(M.Ini.ReadString(App + "\\set.ini", "Main", "Own", ""), "1");
      EXPECT_EQ(M.Ini.ReadString(App + "\\set.ini", "Main", "Key", ""), "new");
      EXPECT_EQ(M.Fs.Text(App + "\\done.txt"), "v3");
      EXPECT_EQ(M.Fs.Text(App + "\\fresh.txt"), "fresh");
      EXPECT_EQ(M.Fs.Below(fake::Upper(App)).size(), 6u);
      EXPECT_EQ(M.Log("Files", "1"), "C:\\x.txt") << "the registered log is reused";
      EXPECT_EQ(Count(M, "Files"), 4u);
    }
  }
}

TEST(InstallCrash, OnlyDirectoriesThatWereThereAreSearchedForLeftovers) {
  Machine M;
  Script S;
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  M.Fs.Dirs.insert(fake::Upper(App));
  M.Fs.Put(App + "\\a.txt.tcold1", "user a");
  PkgGroup G{"Main",
             {{"\\%InstallDir%\\a.txt", ToBytes("new a")},
              {"\\%InstallDir%\\sub\\b.txt", ToBytes("b")},
              {"\\%InstallDir%\\sub\\c.txt", ToBytes("c")}}};
  for (auto &F : G.Files)
    AddFileRecord(*S.Main, F.Name, install::ieKeep);
  EXPECT_EQ(M.Run(S.Model, BuildPackage({G}, &UninstallerData)), 800);
  EXPECT_EQ(M.Fs.Text(App + "\\a.txt"), "user a") << "put back, then kept by its rule";
  EXPECT_EQ(M.Fs.Text(App + "\\sub\\c.txt"), "c");
  EXPECT_EQ(M.Fs.Listings[Key(App)], 1) << "one listing per directory and run";
  EXPECT_EQ(M.Fs.Listings.count(Key(App + "\\sub")), 0u) << "made empty by this run";
}

TEST(InstallCancel, ReusedLogContinuesItsCountsAndNewerUninstallerReplacesOld) {
  Machine M;
  Script S;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "old");
  M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"1.0", "Taloncor UnInstaller"};
  M.Fs.Put(LogFile, "[Main]\r\nTitle=Demo\r\n[Files]\r\nCount=1\r\n1=C:\\x.txt\r\n");
  M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "DisplayName", "Demo");
  M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
            "C:\\WINDOWS\\tcUninst1.exe \"" + LogFile + "\" \"Demo\"");
  // Version blocks of the temporary copies: the engine's temp names are
  // known to the double.
  for (int I = 1; I < 4; ++I)
    M.Version.Versions[Key("C:\\TEMP\\tc" + std::to_string(I) + ".tmp")] = {"1.1",
                                                                            "taloncor uninstaller"};
  ASSERT_EQ(M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}},
                                        &UninstallerData)),
            800);
  EXPECT_EQ(M.Fs.Text("C:\\WINDOWS\\tcUninst1.exe"), ToText(Uninstaller()));
  EXPECT_EQ(Count(M, "Files"), 2u);
  EXPECT_EQ(M.Log("Files", "1"), "C:\\x.txt");
  EXPECT_EQ(M.Log("Files", "2"), App + "\\a.txt");
}

// ------------------------------------------------------------ failures

TEST(InstallFailures, DamagedTruncatedAndMissingRecordsAskOrStop) {
  const std::string Path = "\\%InstallDir%\\a.bin";
  {
    // A flipped data byte: the question names the checksum; Ignore leaves no
    // file and records nothing, and the rest installs.
    Machine M;
    Script S;
    AddFileRecord(*S.Main, Path, install::ieOverwrite);
    AddFileRecord(*S.Main, "\\%InstallDir%\\b.txt", install::ieOverwrite);
    BuiltPackage P =
        BuildPackage({{"Main", {{Path, Noise(5000, 3)}, {"\\%InstallDir%\\b.txt", ToBytes("b")}}}},
                     &UninstallerData);
    P.Data[P.FilePositions[0][0] + package::EntryHeaderSize + 4 + 100] ^= 0x55;
    M.Msg.Answers = {platform::IdIgnore};
    platform::MemoryFile File(P.Data);
    install::InstallationEngine E(M.System, S.Model, M.Status, M.Folders, M.Services());
    ASSERT_EQ(E.RunInstallation(File, P.FilesPosition), 800);
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    // The block lengths are sound, so the damage shows as the checksum.
    EXPECT_EQ(M.Msg.Shown[0].Text,
              "Failed to install file: a.bin! CRC check failed!\r\nWhat do you want to do?");
    EXPECT_EQ(M.Msg.Shown[0].Flags & 0xF, platform::MbAbortRetryIgnore);
    EXPECT_FALSE(M.Fs.Has(App + "\\a.bin")) << "no damaged copy stays";
    EXPECT_EQ(Count(M, "Files"), 1u);
    EXPECT_EQ(M.Log("Files", "1"), App + "\\b.txt");
  }
  // The package ends inside the data: a read failure; Abort rolls back, and
  // so does a question box that could not be shown (0), rather than asking
  // again for ever.
  for (int Answer : {int(platform::IdAbort), 0}) {
    Machine M;
    Script S;
    AddFileRecord(*S.Main, Path, install::ieOverwrite);
    BuiltPackage P = BuildPackage({{"Main", {{Path, Noise(50000, 4)}}}}, &UninstallerData);
    P.Data.resize(P.Data.size() - 100);
    M.Msg.Answers = {Answer};
    M.Msg.Default = platform::IdRetry;
    EXPECT_EQ(M.Run(S.Model, P), 900);
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text,
              "Failed to install file: a.bin! Failed to read file!\r\nWhat do you want to do?");
    EXPECT_FALSE(M.Fs.Has(App + "\\a.bin"));
    EXPECT_FALSE(M.Fs.Has(LogFile));
  }
  {
    Machine M;
    Script S;
    AddFileRecord(*S.Main, "\\%InstallDir%\\other.bin", install::ieOverwrite);
    EXPECT_EQ(M.Run(S.Model, BuildPackage({{"Main", {{Path, ToBytes("x")}}}}, nullptr)), 900);
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text, "Setup file corrupt!");
    EXPECT_EQ(M.Status.Captions, std::vector<std::string>{"Installing files..."})
        << "phases 2 and 3 are skipped";
  }
}

TEST(InstallFailures, AFailureAnsweredIgnoreLeavesTheFileThatWasThere) {
  // The user's own file, and the file an earlier entry of this run put at
  // the same place (and recorded), both outlive a damaged entry answered
  // Ignore, and so does a file whose new copy cannot be written beside it.
  for (int Case = 0; Case < 3; ++Case) {
    Machine M;
    Script S;
    const std::string Path = "\\%InstallDir%\\a.bin";
    AddFileRecord(*S.Main, Path, install::ieOverwrite);
    std::vector<PkgFile> Files;
    if (Case == 1)
      Files.push_back({Path, ToBytes("from the first entry")});
    Files.push_back({Path, Noise(5000, 3)});
    BuiltPackage P = BuildPackage({{"Main", Files}}, &UninstallerData);
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert(fake::Upper(App));
    if (Case != 1)
      M.Fs.Put(App + "\\a.bin", "user");
    if (Case == 2)
      M.Fs.FailWrites.insert(Key(App + "\\a.bin.tc"));
    else
      P.Data[P.FilePositions[0].back() + package::EntryHeaderSize + 4 + 100] ^= 0x55;
    M.Msg.Default = platform::IdIgnore;
    ASSERT_EQ(M.Run(S.Model, P), 800);
    ASSERT_EQ(M.Msg.Shown.size(), 1u) << Case;
    EXPECT_EQ(M.Fs.Text(App + "\\a.bin"), Case == 1 ? "from the first entry" : "user") << Case;
    EXPECT_EQ(Count(M, "Files"), Case == 1 ? 1u : 0u);
    EXPECT_EQ(M.Fs.Below(fake::Upper(App)).size(), 1u) << "nothing left beside it";
  }
}

TEST(InstallFailures, AReadFailureIgnoredLeavesTheRestOfTheGroupToInstall) {
  // The package file's read of a.bin's data fails, as a disk or network
  // read may, until the user has been asked; the user ignores it, and b.txt
  // and c.txt still come. Reads that do not touch the bad byte succeed.
  class FlakyPackage : public platform::MemoryFile {
  public:
    using platform::MemoryFile::MemoryFile;
    uint64_t FailAt = UINT64_MAX;
    uint32_t Read(void *Buffer, uint32_t Count) override {
      if (Position() <= FailAt && FailAt < Position() + Count) {
        SetError();
        return 0;
      }
      return platform::MemoryFile::Read(Buffer, Count);
    }
  };
  Machine M;
  Script S;
  PkgGroup G{"Main",
             {{"\\%InstallDir%\\a.bin", Noise(5000, 8)},
              {"\\%InstallDir%\\b.txt", ToBytes("b")},
              {"\\%InstallDir%\\c.txt", ToBytes("c")}}};
  for (const PkgFile &F : G.Files)
    AddFileRecord(*S.Main, F.Name, install::ieOverwrite);
  const BuiltPackage P = BuildPackage({G}, &UninstallerData);
  FlakyPackage File(P.Data);
  File.FailAt = P.FilePositions[0][0] + package::EntryHeaderSize + 100;
  M.Msg.Answers = {platform::IdIgnore};
  M.Msg.OnShow = [&File](const ScriptedMessages::Box &) { File.FailAt = UINT64_MAX; };
  install::InstallationEngine Engine(M.System, S.Model, M.Status, M.Folders, M.Services());
  EXPECT_EQ(Engine.RunInstallation(File, P.FilesPosition), install::FinishPage);
  ASSERT_EQ(M.Msg.Shown.size(), 1u);
  EXPECT_EQ(M.Msg.Shown[0].Text,
            "Failed to install file: a.bin! Failed to read file!\r\nWhat do you want to do?");
  EXPECT_FALSE(M.Fs.Has(App + "\\a.bin"));
  EXPECT_EQ(M.Fs.Text(App + "\\b.txt"), "b");
  EXPECT_EQ(M.Fs.Text(App + "\\c.txt"), "c");
  EXPECT_EQ(Count(M, "Files"), 2u);
}

TEST(InstallFailures, RetryAfterTheCauseIsRemovedInstallsTheWholeFile) {
  Machine M;
  Script S;
  const std::string Path = "\\%InstallDir%\\a.bin";
  AddFileRecord(*S.Main, Path, install::ieOverwrite);
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  M.Fs.Dirs.insert(fake::Upper(App));
  M.Fs.ReadOnlyDirs.insert(fake::Upper(App));
  M.Msg.Answers = {platform::IdRetry};
  M.Msg.OnShow = [&](const ScriptedMessages::Box &) { M.Fs.ReadOnlyDirs.clear(); };
  ASSERT_EQ(M.Run(S.Model, BuildPackage({{"Main", {{Path, Noise(90000, 5)}}}}, nullptr)), 800);
  ASSERT_EQ(M.Msg.Shown.size(), 1u);
  EXPECT_EQ(M.Msg.Shown[0].Text, "Failed to install file: a.bin! Failed to write to "
                                 "destination!\r\nWhat do you want to do?");
  EXPECT_EQ(M.Fs.Text(App + "\\a.bin"), ToText(Noise(90000, 5)));
}

TEST(InstallFailures, AFullDiskAsksRetryWritesTheWholeFileIgnoreAndAbortKeepTheUsersFile) {
  // The disk fills up while a.bin, which replaces the user's own, is
  // written: the writes end short twice, then space has been freed.
  const Bytes Data = Noise(90000, 6); // three blocks
  for (int Answer : {platform::IdRetry, platform::IdIgnore, platform::IdAbort}) {
    Machine M;
    Script S;
    PkgGroup G{"Main", {{"\\%InstallDir%\\b.txt", ToBytes("b")}, {"\\%InstallDir%\\a.bin", Data}}};
    for (const PkgFile &F : G.Files)
      AddFileRecord(*S.Main, F.Name, install::ieOverwrite);
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert(fake::Upper(App));
    M.Fs.Put(App + "\\a.bin", "user", 0x30210000);
    M.Fs.SetAttributes(App + "\\a.bin", platform::AttrReadOnly);
    bool Armed = false;
    M.Status.OnPump = [&](RecordingStatus &St) {
      if (!Armed && St.Max == Data.size()) {
        Armed = true;
        M.Fs.ShortWrites = 2;
      }
    };
    if (Answer == platform::IdRetry) {
      M.Msg.Answers = {platform::IdRetry, platform::IdRetry};
    } else {
      M.Msg.Answers = {Answer};
      // Space is freed while the question is up: the log still fits.
      M.Msg.OnShow = [&](const ScriptedMessages::Box &) { M.Fs.ShortWrites = 0; };
    }
    const int Page = M.Run(S.Model, BuildPackage({G}, &UninstallerData));
    const std::string Question =
        "Failed to install file: a.bin! Failed to write to destination!\r\nWhat do you want to do?";
    ASSERT_EQ(M.Msg.Shown.size(), Answer == platform::IdRetry ? 2u : 1u) << Answer;
    for (const auto &Box : M.Msg.Shown) {
      EXPECT_EQ(Box.Text, Question);
      EXPECT_EQ(Box.Flags & 0xF, platform::MbAbortRetryIgnore);
    }
    if (Answer == platform::IdRetry) {
      EXPECT_EQ(Page, 800);
      EXPECT_EQ(M.Fs.Text(App + "\\a.bin"), ToText(Data)) << "the whole file, once";
      EXPECT_EQ(M.Fs.Date(App + "\\a.bin"), G.Files[1].Date);
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\a.bin"), 0u);
      EXPECT_EQ(Count(M, "Files"), 2u);
      EXPECT_EQ(M.Log("Files", "2"), App + "\\a.bin");
    } else {
      // The user's file is as it was; nothing half-written is recorded.
      EXPECT_EQ(Page, Answer == platform::IdIgnore ? 800 : 900);
      EXPECT_EQ(M.Fs.Text(App + "\\a.bin"), "user");
      EXPECT_EQ(M.Fs.Date(App + "\\a.bin"), 0x30210000);
      EXPECT_EQ(M.Fs.GetAttributes(App + "\\a.bin"), platform::AttrReadOnly);
      if (Answer == platform::IdIgnore) {
        EXPECT_EQ(Count(M, "Files"), 1u);
        EXPECT_EQ(M.Log("Files", "1"), App + "\\b.txt");
      } else {
        EXPECT_FALSE(M.Fs.Has(LogFile));
        EXPECT_FALSE(M.Fs.Has(App + "\\b.txt")) << "rolled back";
      }
    }
    const size_t Left = Answer == platform::IdAbort ? 1u : 2u;
    EXPECT_EQ(M.Fs.Below(fake::Upper(App)).size(), Left) << "no copy beside the files";
    EXPECT_TRUE(M.Fs.Below("C:\\TEMP").empty());
  }
}

TEST(InstallFailures, LogThatCannotBeWrittenAsksWarnsOrRollsBackAndNeverRegistersWithoutIt) {
  for (int Answer : {platform::IdNo, platform::IdYes}) {
    Machine M;
    Script S;
    AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
    M.Fs.FailWrites.insert(Key(LogFile));
    M.Msg.Answers = {Answer};
    const int Code =
        M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}},
                                    &UninstallerData));
    ASSERT_GE(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text,
              "The installation program failed to create an uninstallation log.\r\nYou will not be "
              "able to uninstall this program later!\r\nDo you want to continue?");
    EXPECT_EQ(Code, Answer == platform::IdNo ? 900 : 800);
    EXPECT_EQ(M.Fs.Has(App + "\\a.txt"), Answer == platform::IdYes);
    EXPECT_EQ(M.Msg.Shown.size(), 1u) << "going on without a log asks only once";
    EXPECT_FALSE(M.Fs.Has(LogFile));
    EXPECT_TRUE(M.Reg.Keys.empty()) << "no uninstaller registered with a log that does not exist";
  }
  {
    // The disk fills once the log is open, and the log cannot be written out
    // at the very end: the installation is complete and its finalization has
    // run, so it stays; the user is told once, and no uninstaller is
    // registered that would point at a missing log.
    Machine M;
    Script S;
    AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
    S.Model.SetupTypes.First()->FinalizationCommands = {"RUN FILE\x01x.exe\x02\x03Run"};
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert(fake::Upper(App));
    M.Status.OnPump = [&](RecordingStatus &St) {
      if (!St.Items.empty() && St.Items.back() == App + "\\a.txt")
        M.Fs.FailWrites.insert(Key(LogFile));
    };
    const int Code =
        M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}},
                                    &UninstallerData));
    EXPECT_EQ(Code, 800);
    EXPECT_EQ(M.Procs.Started.size(), 1u) << "the finalization command ran";
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text, "The installation program failed to write the uninstallation "
                                   "log C:\\WINDOWS\\tcUninst1.inf!\r\nYou will not be able to "
                                   "uninstall this program later!");
    EXPECT_EQ(M.Msg.Shown[0].Flags & 0xF0, platform::MbIconWarning);
    EXPECT_EQ(M.Fs.Text(App + "\\a.txt"), "a");
    EXPECT_FALSE(M.Fs.Has(LogFile)) << "the partial log of this run is not left behind";
    EXPECT_TRUE(M.Reg.Keys.empty());
  }
  {
    // A record that cannot be written in the middle of the files (the log is
    // written out every few dozen records) stops and undoes the installation.
    Machine M;
    Script S;
    PkgGroup G{"Main", {}};
    for (int N = 0; N < 60; ++N) {
      const std::string Name = "\\%InstallDir%\\f" + std::to_string(N) + ".txt";
      AddFileRecord(*S.Main, Name, install::ieOverwrite);
      G.Files.push_back({Name, ToBytes("x")});
    }
    S.Model.SetupTypes.First()->FinalizationCommands = {"RUN FILE\x01x.exe\x02\x03Run"};
    M.Status.OnPump = [&](RecordingStatus &St) {
      if (!St.Items.empty() && St.Items.back() == App + "\\f0.txt")
        M.Fs.FailWrites.insert(Key(LogFile));
    };
    EXPECT_EQ(M.Run(S.Model, BuildPackage({G}, &UninstallerData)), 900);
    ASSERT_EQ(M.Msg.Shown.size(), 1u);
    EXPECT_EQ(M.Msg.Shown[0].Text.rfind("Failed to write to the uninstallation log", 0), 0u);
    EXPECT_TRUE(M.Procs.Started.empty()) << "no finalization after a stop";
    EXPECT_FALSE(M.Fs.Has(App + "\\f0.txt")) << "recorded files are undone";
    EXPECT_FALSE(M.Fs.Has(App + "\\f59.txt")) << "the files after the failure are not installed";
    EXPECT_TRUE(M.Reg.Keys.empty());
  }
}

// ---------------------------------------------------------- uninstaller

TEST(UninstallerChoice, NamesReuseAndUninstallString) {
  Machine M;
  std::string Exe, Log;
  install::FindUninstaller(M.System, "Demo", Exe, Log);
  EXPECT_EQ(Exe, "C:\\WINDOWS\\tcUninst1.exe");
  EXPECT_EQ(Log, LogFile);

  M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "another program");
  install::FindUninstaller(M.System, "Demo", Exe, Log);
  EXPECT_EQ(Exe, "C:\\WINDOWS\\tcUninst2.exe");
  EXPECT_EQ(Log, LogFile) << "the numbers are chosen independently";

  M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"1.0", "TALONCOR UNINSTALLER"};
  M.Fs.Put(LogFile, "");
  install::FindUninstaller(M.System, "Other", Exe, Log);
  EXPECT_EQ(Exe, "C:\\WINDOWS\\tcUninst1.exe") << "the family's program is shared";
  EXPECT_EQ(Log, "C:\\WINDOWS\\tcUninst2.inf");

  M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "DisplayName", "Demo");
  M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
            "C:\\WINDOWS\\tcUninst1.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\"");
  install::FindUninstaller(M.System, "demo", Exe, Log);
  EXPECT_EQ(Log, LogFile) << "the registered log is reused";

  // A registration whose text holds no blank names no uninstaller, but its
  // quoted log is still reused when it exists.
  M.Fs.Put("C:\\WINDOWS\\tcUninst7.inf", "");
  M.Fs.Nodes.erase(Key("C:\\WINDOWS\\tcUninst1.exe"));
  M.Reg.Set(platform::RootKey::LocalMachine, UninstKey, "UninstallString",
            "\"C:\\WINDOWS\\tcUninst7.inf\"");
  install::FindUninstaller(M.System, "Demo", Exe, Log);
  EXPECT_EQ(Exe, "C:\\WINDOWS\\tcUninst1.exe");
  EXPECT_EQ(Log, "C:\\WINDOWS\\tcUninst7.inf");

  std::string E, L;
  install::SplitUninstallString(" \"C:\\l.inf\" ", E, L);
  EXPECT_EQ(E, "");
  EXPECT_EQ(L, "C:\\l.inf");
  install::SplitUninstallString("C:\\u.exe", E, L);
  EXPECT_EQ(E, "") << "no quoted log after the path";
  EXPECT_EQ(L, "");
  install::SplitUninstallString("C:\\Program Files\\u.exe \"C:\\l.inf\" \"T\"", E, L);
  EXPECT_EQ(E, "") << "a blank in the path cannot be split back";
  EXPECT_EQ(L, "");
  install::SplitUninstallString(install::MakeUninstallString(" C:\\u.exe ", "C:\\l.inf", "T"), E,
                                L);
  EXPECT_EQ(E, "C:\\u.exe");
  EXPECT_EQ(L, "C:\\l.inf");
}

TEST(UninstallerChoice, ExtractionFailureAbortsBeforeAnyFile) {
  Machine M;
  Script S;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  BuiltPackage P =
      BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}}, &UninstallerData);
  P.Data[P.FilesPosition + package::EntryHeaderSize + 6] ^= 0x11;
  EXPECT_EQ(M.Run(S.Model, P), 900);
  ASSERT_EQ(M.Msg.Shown.size(), 1u);
  EXPECT_EQ(M.Msg.Shown[0].Text,
            "Failed to extract the uninstallation program for version verification. Aborting!");
  EXPECT_FALSE(M.Fs.Has(App + "\\a.txt"));
  EXPECT_EQ(M.Status.Captions.size(), 0u) << "the phases are skipped";
}

TEST(UninstallerChoice, ANewerUninstallerThatCannotBeMovedInLeavesTheInstalledOneWhole) {
  Machine M;
  Script S;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  M.Fs.Put("C:\\WINDOWS\\tcUninst1.exe", "old");
  M.Fs.Nodes[Key("C:\\WINDOWS\\tcUninst1.exe")].Attr = platform::AttrReadOnly;
  M.Version.Versions[Key("C:\\WINDOWS\\tcUninst1.exe")] = {"1.0", "Taloncor UnInstaller"};
  for (int I = 1; I < 4; ++I)
    M.Version.Versions[Key("C:\\TEMP\\tc" + std::to_string(I) + ".tmp")] = {"1.1",
                                                                            "Taloncor UnInstaller"};
  // The extracted copy cannot leave the temporary directory (another
  // volume, say): the program other products use must stay as it was.
  M.Fs.FailRenamesFrom.insert("C:\\TEMP\\");
  EXPECT_EQ(M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}},
                                        &UninstallerData)),
            900);
  ASSERT_EQ(M.Msg.Shown.size(), 1u);
  EXPECT_EQ(M.Msg.Shown[0].Text, "Failed to install the uninstallation program. Aborting!");
  EXPECT_EQ(M.Fs.Text("C:\\WINDOWS\\tcUninst1.exe"), "old");
  EXPECT_EQ(M.Fs.Nodes[Key("C:\\WINDOWS\\tcUninst1.exe")].Attr, uint32_t(platform::AttrReadOnly));
  EXPECT_EQ(M.Fs.Below("C:\\TEMP"), std::vector<std::string>()) << "the copy is removed";
  for (auto &[K, N] : M.Fs.Nodes)
    EXPECT_EQ(K.find(".TCOLD"), std::string::npos) << K;
}

TEST(IfExistsRules, DosDatesAndVersions) {
  EXPECT_TRUE(install::IsValidDosDateTime(0x34210000));
  EXPECT_FALSE(install::IsValidDosDateTime(0x34200000)) << "day 0";
  EXPECT_FALSE(install::IsValidDosDateTime(0x345D0000)) << "February 29 of 2006";
  EXPECT_TRUE(install::IsValidDosDateTime(0x305D0000)) << "February 29 of 2004";
  EXPECT_FALSE(install::IsValidDosDateTime(0x3421C000)) << "hour 24";
  EXPECT_TRUE(install::NewerDateReplaces(0x34210001, 0x34210001));
  EXPECT_FALSE(install::NewerDateReplaces(0x34210002, 0x34210001));
  EXPECT_TRUE(install::NewerDateReplaces(-1, 0x34210001)) << "an unreadable date replaces";
  EXPECT_TRUE(install::NewerVersionReplaces(0x01000000, 0xFF000000)) << "unsigned comparison";
  EXPECT_FALSE(install::NewerVersionReplaces(0xFF000000, 0x01000000));
}

TEST(InstallCancel, CancelDuringTheCommandsAlsoUndoesShortcutsValuesAndFolders) {
  Machine M;
  Script S;
  AddFileRecord(*S.Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  package::RegistryKeyType &Root = *S.Main->RootKey.SubKeys.AppendNew();
  Root.Name = "HKEY_CURRENT_USER";
  package::RegistryKeyType &Soft = *Root.SubKeys.AppendNew();
  Soft.Name = "Software";
  package::RegistryKeyType &Demo = *Soft.SubKeys.AppendNew();
  Demo.Name = "Demo";
  Demo.Values.AppendNew()->Name = "Path";
  M.Reg.Set(platform::RootKey::CurrentUser,
            "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell folders", "Programs",
            "C:\\MENU");
  M.Fs.Dirs.insert("C:\\MENU");
  package::ProgramGroupType &Personal = *S.Main->RootProgramGroup.SubGroups.AppendNew();
  Personal.Name = "Personal Group";
  package::ProgramGroupType &Folder = *Personal.SubGroups.AppendNew();
  Folder.Name = "Demo";
  package::ProgramGroupLinkType &Link = *Folder.Links.AppendNew();
  Link.DisplayName = "App";
  Link.Shortcut = "%InstallDir%\\a.txt";
  M.Shell.OnLink = [&](const platform::ShellLinkParams &P) { M.Fs.Put(P.LinkFile, "lnk"); };
  S.Model.SetupTypes.First()->FinalizationCommands = {"RUN FILE\x01x.exe\x02\x03Run"};
  bool Made = false;
  M.Procs.OnStart = [&](const std::string &) {
    Made = M.Fs.Has("C:\\MENU\\Demo\\App.lnk") && M.Fs.HasDir("C:\\MENU\\Demo") &&
           M.Reg.Has(platform::RootKey::CurrentUser, "Software\\Demo", "Path");
    M.Status.Cancel = true; // confirmed while the program runs
  };
  EXPECT_EQ(M.Run(S.Model, BuildPackage({{"Main", {{"\\%InstallDir%\\a.txt", ToBytes("a")}}}},
                                        &UninstallerData)),
            install::AbortedPage);
  ASSERT_TRUE(Made) << "everything was in place when the command started";
  EXPECT_EQ(M.Shell.Links.at(0).WorkingDirectory, App + "\\");
  EXPECT_FALSE(M.Fs.Has("C:\\MENU\\Demo\\App.lnk"));
  EXPECT_FALSE(M.Fs.HasDir("C:\\MENU\\Demo"));
  EXPECT_FALSE(M.Reg.Has(platform::RootKey::CurrentUser, "Software\\Demo", "Path"));
  EXPECT_FALSE(M.Fs.Has(App + "\\a.txt"));
  EXPECT_FALSE(M.Fs.Has(LogFile));
}
