// The demo product (examples/demo) built by the authoring tool from its own
// setup script and installed by the engine against the real Win32 services
// of the test's Wine prefix, twice: the second installation meets what a
// user changed in between, and the demo's overwrite rules decide what
// stays.
#include <windows.h>

#include "Win32Machine.h"

#include "PackageBuilder.h"
#include "driver/LauncherPackage.h"
#include "driver/TargetOS.h"
#include "package/SetupScript.h"

#include <gtest/gtest.h>

#if defined(TC_DEMO_DIR) && defined(TC_DEMO_PROGRAMS)

using namespace engine_double;

namespace {

const std::string DemoTitle = "Orchard Notes 1.2";
const std::string FontName = "Orchard Sans Regular";

// The demo's two destination rows, as the destination page would hold them.
class DemoRows : public driver::DestinationAliasSource {
public:
  std::string App, Samples;
  size_t AliasCount() const override { return 2; }
  std::string AliasName(size_t I) const override { return I ? "%SampleDir%" : "%InstallDir%"; }
  std::string AliasDirectory(size_t I) const override { return I ? Samples : App; }
};

class NoList : public driver::SetupTypeList {
public:
  void Clear() override {}
  void AddSetupType(const std::string &, bool, package::SetupType &) override {}
  bool SelectFirst() override { return true; }
};

std::string Trimmed(const std::string &S) {
  const size_t B = S.find_first_not_of(" \t\r");
  return B == std::string::npos ? "" : S.substr(B, S.find_last_not_of(" \t\r") - B + 1);
}

struct Demo {
  RealMachine M;
  DemoRows Rows;
  std::string Stage, Exe, Script;
  package::TOpenFileType Model;
  std::unique_ptr<platform::File> File;
  uint64_t FilesPosition = 0;

  Demo() : Stage(M.Base + "\\stage"), Exe(M.Base + "\\setup.exe") {
    Rows.App = M.App;
    Rows.Samples = M.Base + "\\Samples";
    Clean();
  }
  ~Demo() { Clean(); }
  void Clean() {
    support::RemoveUninstallTraces(M.Files, M.Reg, DemoTitle);
    M.Files.RemoveFile(M.WinDir + "\\Orchard.ini");
    M.RemoveFont(FontName, "OrchardSans.ttf");
  }

  // Copies a host file below the stage, making its directories.
  void StageFile(const std::string &Rel, const Bytes &Data) {
    std::string Dir = Stage;
    for (size_t Cut = Rel.find('\\'), From = 0; Cut != std::string::npos;
         From = Cut + 1, Cut = Rel.find('\\', From)) {
      Dir += "\\" + Rel.substr(From, Cut - From);
      M.Files.MakeDirectory(Dir);
    }
    M.Put(Stage + "\\" + Rel, ToText(Data));
  }

  // Every file the script names, from the demo folder or, for its
  // programs, from this tree's build of them; then the package.
  void Build() {
    Script = ToText(ReadHostFile(std::string(TC_DEMO_DIR) + "/setup.txt"));
    ASSERT_FALSE(Script.empty());
    ASSERT_TRUE(M.Files.MakeDirectory(Stage));
    size_t Named = 0;
    std::string Line;
    for (size_t At = 0; At <= Script.size(); ++At) {
      if (At < Script.size() && Script[At] != '\n') {
        Line += Script[At];
        continue;
      }
      const std::string T = Trimmed(Line);
      Line.clear();
      for (const char *Key : {"SOURCEFILE=", "IMAGE=", "LOGOPICTURE=", "BG_IMAGEFILE="}) {
        if (T.rfind(Key, 0) != 0)
          continue;
        const std::string Rel = T.substr(std::string(Key).size());
        std::string Host = std::string(TC_DEMO_DIR) + "/" + Rel;
        if (Rel.rfind("programs\\", 0) == 0)
          Host = std::string(TC_DEMO_PROGRAMS) + "/" + Rel.substr(9);
        for (auto &C : Host)
          C = C == '\\' ? '/' : C;
        const Bytes Data = ReadHostFile(Host);
        ASSERT_FALSE(Data.empty()) << Host;
        StageFile(Rel, Data);
        ++Named;
      }
    }
    ASSERT_GE(Named, 20u);
    M.Put(M.Base + "\\stub.exe", ToText(ReadHostFile(TC_SETUP_STUB)));
    mksetup::BuildOptions O;
    O.ScriptPath = M.Base + "\\setup.txt";
    M.Put(O.ScriptPath, Script);
    O.SourceRoot = Stage;
    O.StubPath = M.Base + "\\stub.exe";
    O.UninstallerPath = M.Base + "\\uninstaller.exe";
    M.Put(O.UninstallerPath,
          ToText(ReadHostFile(std::string(TC_UNINSTALLER_FILES) + "/uninstaller1.exe")));
    O.OutputPath = Exe;
    std::string Error;
    ASSERT_TRUE(mksetup::BuildPackage(M.Files, O, Error)) << Error;
  }

  // Opened as the launcher opens itself, with both setup types chosen.
  void Open() {
    File = M.Files.Open(Exe, platform::OpenMode::Read);
    ASSERT_TRUE(File);
    const driver::LauncherPackage Loaded = driver::LoadLauncherPackage(
        *File, Model, M.Msg, [](uint64_t, const package::TEntryHeader &) { return true; });
    ASSERT_EQ(Loaded.Result, package::OpenPackageResult::Ok);
    ASSERT_EQ(Loaded.ScriptResult, package::ScriptOk);
    EXPECT_TRUE(M.Msg.Shown.empty());
    FilesPosition = Loaded.FilesPosition;
    EXPECT_EQ(Model.Title, DemoTitle);
    ASSERT_TRUE(driver::IsTargetOS(Model.TargetOS, driver::OsCodeWindows2000));
    NoList List;
    driver::FillSetupTypeList(Model, driver::OsCodeWindows2000, List);
    for (auto *T = Model.SetupTypes.First(); T; T = T->Next.get())
      T->Selected = true;
  }

  int Install() {
    platform::OsVersionInfo Os;
    M.Version.GetOsVersion(Os);
    // The readme viewer the demo starts at the end is recorded, not run.
    M.System.Procs = &Programs;
    install::InstallationEngine Engine(
        M.System, Model, M.Status, M.Folders,
        driver::MakeEngineServices(M.Files, M.Reg, &Rows, M.Random, Os));
    return Engine.RunInstallation(*File, FilesPosition);
  }
  fake::Processes Programs;
  std::string Staged(const std::string &Rel) { return M.Text(Stage + "\\" + Rel); }
  std::string Ini(const std::string &Section, const std::string &Key) {
    return M.Ini.ReadString(M.WinDir + "\\Orchard.ini", Section, Key, "<none>");
  }
};

} // namespace

TEST(Win32DemoPackage, InstallsAndKeepsWhatTheUserChangedOnTheNextInstallation) {
  Demo D;
  ASSERT_NO_FATAL_FAILURE(D.Build());
  ASSERT_NO_FATAL_FAILURE(D.Open());
  RealMachine &M = D.M;

  // First installation: everything lands where the script says.
  D.Install();
  EXPECT_FALSE(M.Status.Cancel);
  for (const char *F : {"orchard.exe", "orchview.exe", "orchcfg.exe"})
    EXPECT_EQ(M.Text(M.App + "\\" + F), D.Staged(std::string("programs\\") + F)) << F;
  EXPECT_EQ(M.Text(M.App + "\\readme.txt"), D.Staged("files\\readme.txt"));
  EXPECT_EQ(M.Text(M.App + "\\help\\orchard.txt"), D.Staged("files\\help\\orchard.txt"));
  EXPECT_EQ(M.Text(M.App + "\\notes.cfg"), D.Staged("files\\notes.cfg"));
  EXPECT_EQ(M.Text(D.Rows.Samples + "\\garden.orn"), D.Staged("files\\samples\\garden.orn"));
  EXPECT_EQ(M.Text(M.WinDir + "\\Orchard.ini"), D.Staged("files\\Orchard.ini"));
  EXPECT_EQ(M.RegisteredFontFile(FontName), "OrchardSans.ttf");
  ASSERT_EQ(D.Programs.Started.size(), 1u);
  EXPECT_NE(D.Programs.Started[0].CommandLine.find("orchview.exe"), std::string::npos);
  EXPECT_EQ(M.Log("Main", "Title"), DemoTitle);
  EXPECT_EQ(M.Log("Files", "Count"), "11");

  // The user works with the product: settings, notes and notebooks change,
  // a newer orchard.exe arrives from elsewhere, the readme is edited.
  M.Put(M.WinDir + "\\Orchard.ini",
        "[Window]\r\nWidth=800\r\n[Font]\r\nFace=Courier New\r\n[Mine]\r\nOwn=1\r\n");
  M.Put(M.App + "\\notes.txt", "my own notes");
  M.Put(M.App + "\\notes.cfg", "[Notebook]\r\n   ID=inbox\r\n   Title=Renamed\r\n[End]\r\n"
                               "[Notebook]\r\n   ID=travel\r\n   Title=Travel\r\n[End]\r\n");
  const std::string Newer =
      ToText(ReadHostFile(std::string(TC_UNINSTALLER_FILES) + "/uninstaller2.exe"));
  M.Put(M.App + "\\orchard.exe", Newer); // version 2.0.0.0
  M.Put(M.App + "\\readme.txt", "edited");
  M.Put(D.Rows.Samples + "\\garden.orn", "my garden");
  M.Put(D.Rows.Samples + "\\recipes.orn", "my recipes");
  M.Msg.Answers = {platform::IdNo, platform::IdYes}; // garden kept, recipes replaced

  // Second installation of the same package.
  D.Install();
  EXPECT_EQ(D.Ini("Window", "Width"), "800") << "the user's value stays";
  EXPECT_EQ(D.Ini("Font", "Face"), "Courier New");
  EXPECT_EQ(D.Ini("Window", "Height"), "380") << "missing keys are added";
  EXPECT_EQ(D.Ini("Notes", "AutoSave"), "1");
  EXPECT_EQ(D.Ini("Mine", "Own"), "1");
  EXPECT_EQ(M.Text(M.App + "\\notes.txt"), "my own notes");
  const std::string Cfg = M.Text(M.App + "\\notes.cfg");
  EXPECT_NE(Cfg.find("ID=travel"), std::string::npos) << Cfg;
  EXPECT_EQ(Cfg.find("Renamed"), std::string::npos) << "the package's inbox replaces the old";
  EXPECT_NE(Cfg.find("Title=Inbox"), std::string::npos) << Cfg;
  EXPECT_EQ(M.Text(M.App + "\\orchard.exe"), Newer) << "a newer program is not replaced";
  EXPECT_EQ(M.Text(M.App + "\\readme.txt"), D.Staged("files\\readme.txt"));
  EXPECT_EQ(M.Text(D.Rows.Samples + "\\garden.orn"), "my garden");
  EXPECT_EQ(M.Text(D.Rows.Samples + "\\recipes.orn"), D.Staged("files\\samples\\recipes.orn"));
  size_t Asked = 0;
  for (const auto &Box : M.Msg.Shown)
    Asked += Box.Text.rfind("Overwrite file: \r\n", 0) == 0;
  EXPECT_EQ(Asked, 2u) << "only the two samples ask";
}

#endif
