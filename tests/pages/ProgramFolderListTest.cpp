// The program folder page: which folders the selection makes, the table the
// shortcut phase reads, stepping with Back and Next, and the tree of
// folders that exist already.
#include "pages/ProgramFolderList.h"

#include "../install/FakePlatform.h"
#include "ModelBuilder.h"
#include "controls/SoftCanvas.h"
#include "driver/TargetOS.h"

#include <gtest/gtest.h>

namespace {

using namespace pages_test;
using pages::ProgramFolderList;
using Step = ProgramFolderList::Step;

TEST(ProgramFolders, CollectedPerSelectionWithKeysMatchedIgnoringCase) {
  package::TOpenFileType M;
  package::GroupType &Main = AddGroup(M, "Main");
  AddPlace(Main, "Personal group", {"Tools", "Second is collected too"});
  AddPlace(Main, "Desktop", {});
  package::GroupType &Extra = AddGroup(M, "Extra");
  AddPlace(Extra, "PERSONAL GROUP", {"TOOLS"});
  AddPlace(Extra, "Common group", {"Shared"});
  package::GroupType &Icons = AddGroup(M, "Icons");
  AddPlace(Icons, "Desktop", {});
  AddSetupType(M, "Full", true, {"Main", "Extra", "Missing"});
  package::SetupType &More = AddSetupType(M, "More", false, {"Extra"});
  AddSetupType(M, "Icons", true, {"Icons"});

  ProgramFolderList L;
  EXPECT_EQ(L.CollectProgramFolders(M), 4);
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L.Entry(0).Key, "Personal group\\Tools");
  EXPECT_EQ(L.GetChosenFolder(0), "Tools");
  EXPECT_EQ(L.FindProgramFolder("personal GROUP\\tools"), 0);
  EXPECT_EQ(L.FindProgramFolder("Common group\\Shared"), 2);
  EXPECT_EQ(L.FindProgramFolder("Common group\\Other"), -1);
  EXPECT_EQ(L.GetChosenFolder(-1), "");
  EXPECT_EQ(L.GetChosenFolder(3), "");
  // Collecting again adds nothing new; entries of setup types dropped
  // later stay in the table.
  More.Selected = true;
  EXPECT_EQ(L.CollectProgramFolders(M), 6);
  EXPECT_EQ(L.Count(), 3);

  // Only shortcuts straight on the desktop: no folder, the page is skipped.
  package::TOpenFileType D;
  AddPlace(AddGroup(D, "Icons"), "Desktop", {});
  AddSetupType(D, "Only", false, {"Icons"});
  ProgramFolderList Empty;
  EXPECT_EQ(Empty.CollectProgramFolders(D), 0);
  EXPECT_EQ(Empty.CurrentFolder(), nullptr);

  // The engine reads the chosen names through the interface.
  const install::ProgramFolderTable &Table = L;
  EXPECT_EQ(Table.GetChosenFolder(Table.FindProgramFolder("COMMON GROUP\\SHARED")), "Shared");
}

TEST(ProgramFolders, NextAndBackStepThroughTheFoldersStoringEachName) {
  ProgramFolderList L;
  L.AddProgramFolder("Personal group\\Tools");
  L.AddProgramFolder("Common group\\Vendor\\Shared");
  EXPECT_EQ(L.GetChosenFolder(1), "Vendor\\Shared");
  EXPECT_EQ(pages::FolderPlaceOf(L.CurrentFolder()->Key), "PERSONAL GROUP");
  // An empty or blank name blocks both directions and changes nothing.
  EXPECT_EQ(L.Next(""), Step::Refused);
  EXPECT_EQ(L.Back("   "), Step::Refused);
  EXPECT_EQ(L.Position(), 1);
  EXPECT_EQ(L.GetChosenFolder(0), "Tools");
  EXPECT_EQ(L.Next("My Tools"), Step::ShowCurrent);
  EXPECT_EQ(L.Position(), 2);
  EXPECT_EQ(L.CurrentFolder()->Chosen, "Vendor\\Shared");
  EXPECT_EQ(pages::FolderPlaceOf(L.CurrentFolder()->Key), "COMMON GROUP");
  EXPECT_EQ(L.Next("Accessories\\Shared"), Step::LeavePage);
  EXPECT_EQ(L.Position(), 2); // the ready page's Back returns here
  EXPECT_EQ(L.Back("Accessories\\Shared"), Step::ShowCurrent);
  EXPECT_EQ(L.CurrentFolder()->Chosen, "My Tools");
  EXPECT_EQ(L.Back("My Tools"), Step::LeavePage);
  EXPECT_EQ(L.Position(), 1);
  EXPECT_EQ(L.GetChosenFolder(L.FindProgramFolder("personal group\\tools")), "My Tools");
  EXPECT_EQ(L.GetChosenFolder(1), "Accessories\\Shared");
  EXPECT_STREQ(pages::EmptyFolderNameError, "You must specify a name for the program group!");
}

// Directory listings by path, in the order given.
class ListingFiles : public fake::Files {
public:
  std::map<std::string, std::vector<platform::DirEntry>> Listings;
  bool ListDirectory(const std::string &Path, std::vector<platform::DirEntry> &Out) override {
    auto It = Listings.find(Path);
    if (It == Listings.end())
      return false;
    Out = It->second;
    return true;
  }
};

TEST(ProgramFolders, ExistingFoldersOfEachPlace) {
  const char Shell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char UserShell[] =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  fake::Registry Reg;
  Reg.Set(platform::RootKey::CurrentUser, Shell, "Programs", "%PROFILE%\\Programs");
  Reg.Set(platform::RootKey::CurrentUser, Shell, "Desktop", "C:\\Desk\\");
  Reg.Set(platform::RootKey::LocalMachine, UserShell, "Common Programs", "C:\\All\\Programs",
          platform::RegExpandSz);
  ListingFiles Fs;
  Fs.Env["PROFILE"] = "C:\\Me";
  Fs.Listings["C:\\Me\\Programs\\"] = {
      {"Zeta", true}, {".", true}, {"..", true}, {"readme.txt", false}, {"Accessories", true}};
  Fs.Listings["C:\\Me\\Programs\\Accessories\\"] = {{"Games", true}};
  Fs.Listings["C:\\Me\\Programs\\Accessories\\Games\\"] = {{"Cards", true}};
  Fs.Listings["C:\\All\\Programs\\"] = {{"Shared", true}};
  controls::TVemoTreeViewList Tree(std::make_unique<controls::SoftCanvas>());

  EXPECT_EQ(pages::FillExistingFolders(Reg, Fs, driver::OsCodeWindows2000, "PERSONAL GROUP", Tree),
            "E&xisting Folders (personal group)");
  ASSERT_EQ(Tree.Items().Count(), 2);
  EXPECT_EQ(Tree.Items().Item(0)->Text(), "Zeta");
  controls::TVemoTreeViewItem *Accessories = Tree.Items().Item(1);
  EXPECT_EQ(Accessories->ImageIndex(), 0);
  EXPECT_FALSE(Accessories->Items().Expanded());
  ASSERT_EQ(Accessories->Items().Count(), 1);
  controls::TVemoTreeViewItem *Games = Accessories->Items().Item(0);
  ASSERT_EQ(Games->Items().Count(), 1);
  EXPECT_EQ(pages::FolderPathOf(*Games->Items().Item(0)), "Accessories\\Games\\Cards");

  EXPECT_EQ(
      pages::FillExistingFolders(Reg, Fs, driver::OsCodeNT40Workstation, "COMMON GROUP", Tree),
      "E&xisting Folders (common group)");
  ASSERT_EQ(Tree.Items().Count(), 1);
  EXPECT_EQ(Tree.Items().Item(0)->Text(), "Shared");
  EXPECT_EQ(Tree.Items().Item(0)->SelectedIndex(), 1);

  // The Windows 95 family has no common group: the personal one stands in.
  EXPECT_EQ(pages::FillExistingFolders(Reg, Fs, driver::OsCodeWindows98, "COMMON GROUP", Tree),
            "E&xisting Folders (personal group)");
  EXPECT_EQ(Tree.Items().Count(), 2);
  EXPECT_EQ(Tree.Items().Item(0)->ImageIndex(), 0);

  // An empty desktop, then a place whose value is missing: an empty tree.
  EXPECT_EQ(pages::FillExistingFolders(Reg, Fs, driver::OsCodeWindows2000, "DESKTOP", Tree),
            "E&xisting Folders (Desktop)");
  EXPECT_EQ(Tree.Items().Count(), 0);
  fake::Registry Bare;
  pages::FillExistingFolders(Bare, Fs, driver::OsCodeWindows2000, "PERSONAL GROUP", Tree);
  EXPECT_EQ(Tree.Items().Count(), 0);
}

} // namespace
