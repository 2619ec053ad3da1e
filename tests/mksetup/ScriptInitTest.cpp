// `mksetup init`: the script it writes for a folder loads in the launcher's
// loader without a message and describes every file, the shortcuts, the
// registry value and the pages; folders it cannot describe are refused.
#include "ScriptInit.h"

#include "package/SetupScript.h"
#include "platform/MemoryFile.h"
#include "platform/posix/PosixFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>

namespace {

class CollectMessages : public platform::Messages {
public:
  std::string Texts;
  int ShowMessage(const std::string &Text, const std::string &, uint32_t) override {
    Texts += Text + ";";
    return platform::IdOk;
  }
};

class ScriptInit : public ::testing::Test {
protected:
  void SetUp() override {
    char Tmpl[] = "/tmp/tc-init-XXXXXX";
    Root = mkdtemp(Tmpl);
  }
  void TearDown() override { std::system(("rm -rf '" + Root + "'").c_str()); }
  void Put(const std::string &Rel, const std::string &Text) {
    std::string Dir = Root;
    size_t From = 0, Cut;
    while ((Cut = Rel.find('/', From)) != std::string::npos) {
      Dir += "/" + Rel.substr(From, Cut - From);
      mkdir(Dir.c_str(), 0755);
      From = Cut + 1;
    }
    std::ofstream(Root + "/" + Rel, std::ios::binary) << Text;
  }
  bool Make(std::string &Script, std::string &Error, const std::string &Title = "Demo: Tool") {
    mksetup::InitOptions O;
    O.SourceDir = Root;
    O.Title = Title;
    return mksetup::MakeStarterScript(Fs, O, Script, Error);
  }
  // Every file record of the tree as "dir\dir\name" -> IfExists.
  static void Collect(const package::DirType &D, const std::string &Path,
                      std::map<std::string, int> &Out) {
    for (auto *F = D.Files.First(); F; F = F->Next.get())
      Out[Path + "\\" + F->Name] = F->IfExists;
    for (auto *S = D.SubDirs.First(); S; S = S->Next.get())
      Collect(*S, Path + "\\" + S->Name, Out);
  }
  std::string Root;
  platform::posix::PosixFileSystem Fs;
};

TEST_F(ScriptInit, LoadsWithoutMessageAndDescribesTheWholeFolder) {
  Put("Tool.exe", "MZ");
  Put("bin/helper.EXE", "MZ");
  Put("bin/core.dll", "MZ");
  Put("settings.ini", "[a]\r\nx=1\r\n");
  Put("site.cfg", "k=v");
  Put("docs/deep/readme.txt", "read me");
  Put("LICENSE.txt", "Line one\r\n\r\n\tindented // not a comment\r\n[Not a block]\r\n\r\n");
  Put(".git/config", "x");
  mkdir((Root + "/empty").c_str(), 0755);

  std::string Script, Error;
  ASSERT_TRUE(Make(Script, Error)) << Error;
  ASSERT_EQ(Script.rfind("[VemoInstall_File]\r\n", 0), 0u);
  ASSERT_EQ(Script.substr(Script.size() - 7), "[End]\r\n");

  package::TOpenFileType Model;
  package::InitSetupModel(Model);
  platform::MemoryFile Stream(std::vector<uint8_t>(Script.begin(), Script.end()));
  CollectMessages Msg;
  EXPECT_EQ(package::LoadSetupScript(Model, Stream, Msg), package::ScriptOk);
  EXPECT_EQ(Msg.Texts, "");
  EXPECT_EQ(Model.Title, "Demo: Tool");
  EXPECT_EQ(Model.TargetOS, package::OsAll);
  EXPECT_TRUE(Model.AddUnInstaller);

  const package::GroupType *G = Model.Groups.First();
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Next, nullptr);
  std::map<std::string, int> Files;
  Collect(G->RootDir, "", Files);
  const std::map<std::string, int> Want = {{"\\%InstallDir%\\Tool.exe", 3},
                                           {"\\%InstallDir%\\bin\\helper.EXE", 3},
                                           {"\\%InstallDir%\\bin\\core.dll", 3},
                                           {"\\%InstallDir%\\settings.ini", 6},
                                           {"\\%InstallDir%\\site.cfg", 2},
                                           {"\\%InstallDir%\\LICENSE.txt", 4},
                                           {"\\%InstallDir%\\docs\\deep\\readme.txt", 4}};
  EXPECT_EQ(Files, Want);
  // The empty folder is still made; the dot folder is left out.
  std::vector<std::string> Dirs;
  for (auto *D = G->RootDir.SubDirs.First()->SubDirs.First(); D; D = D->Next.get())
    Dirs.push_back(D->Name);
  EXPECT_EQ(Dirs, (std::vector<std::string>{"bin", "docs", "empty"}));

  // One shortcut per executable, in the product's folder of the common group.
  const package::ProgramGroupType *Root = G->RootProgramGroup.SubGroups.First();
  ASSERT_NE(Root, nullptr);
  EXPECT_EQ(Root->Name, "COMMON GROUP");
  const package::ProgramGroupType *Folder = Root->SubGroups.First();
  ASSERT_NE(Folder, nullptr);
  EXPECT_EQ(Folder->Name, "Demo Tool"); // the colon cannot stand in a folder name
  std::map<std::string, std::string> Links;
  for (auto *L = Folder->Links.First(); L; L = L->Next.get())
    Links[L->DisplayName] = L->Shortcut;
  EXPECT_EQ(Links,
            (std::map<std::string, std::string>{{"Tool", "%InstallDir%\\Tool.exe"},
                                                {"helper", "%InstallDir%\\bin\\helper.EXE"}}));

  // The install folder is stored and offered again on the next installation.
  const package::RegistryKeyType *K = G->RootKey.SubKeys.First();
  ASSERT_NE(K, nullptr);
  EXPECT_EQ(K->Name, "HKEY_LOCAL_MACHINE");
  K = K->SubKeys.First()->SubKeys.First();
  ASSERT_NE(K, nullptr);
  EXPECT_EQ(K->Name, "Demo Tool");
  ASSERT_NE(K->Values.First(), nullptr);
  EXPECT_EQ(K->Values.First()->Name, "InstallDir");
  EXPECT_EQ(K->Values.First()->Value, "%InstallDir%");
  const package::SetupType *T = Model.SetupTypes.First();
  ASSERT_NE(T, nullptr);
  EXPECT_EQ(T->Groups, (package::TStringList{"Program Files"}));
  ASSERT_EQ(T->DefaultDirs.size(), 1u);
  EXPECT_EQ(T->DefaultDirs[0].Alias, "%InstallDir%");
  EXPECT_EQ(T->DefaultDirs[0].DestinationDir, "<ProgramFilesDir>\\Demo Tool");
  EXPECT_EQ(T->DefaultDirs[0].RegistryKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Demo Tool\\InstallDir");
  EXPECT_TRUE(T->DefaultDirs[0].AllowDirChange);

  // Every page is on; the licence text comes line by line, blank lines kept.
  EXPECT_TRUE(Model.Welcome.Show && Model.License.Show && Model.Destination.Show &&
              Model.ProgramFolder.Show);
  EXPECT_EQ(
      Model.License.Text,
      (package::TStringList{"Line one", "", "   indented // not a comment", "[Not a block]"}));
  EXPECT_FALSE(Model.SelectComponents.Text.empty());
  EXPECT_FALSE(Model.ReadyToInstall.Text.empty());
}

TEST_F(ScriptInit, RefusesFoldersItCannotDescribe) {
  std::string Script, Error;
  EXPECT_FALSE(Make(Script, Error)); // nothing to install
  EXPECT_NE(Error.find("no file"), std::string::npos) << Error;

  Put("a.txt", "x");
  EXPECT_FALSE(Make(Script, Error, "  "));
  EXPECT_FALSE(Make(Script, Error, "Bad\nTitle"));

  Put("A.TXT", "y"); // Windows cannot hold both
  Error.clear();
  EXPECT_FALSE(Make(Script, Error));
  EXPECT_NE(Error.find("letter case"), std::string::npos) << Error;
  std::remove((Root + "/A.TXT").c_str());

  Put("what?.txt", "y");
  Error.clear();
  EXPECT_FALSE(Make(Script, Error));
  EXPECT_NE(Error.find("does not allow"), std::string::npos) << Error;
}

} // namespace
