// The page forms with their content, driven through the toolkit's model as
// the user would drive their windows: rows and browsing on the destination
// page, the check list and Next on the component page, stepping on the
// program folder page and the ready page's summary box.
#include "pages/DestinationDirectory.h"
#include "pages/ReadyToInstall.h"
#include "pages/SelectComponents.h"
#include "pages/SelectProgramFolder.h"

#include "../install/FakePlatform.h"
#include "ModelBuilder.h"

#include <gtest/gtest.h>

namespace {

using namespace pages_test;

class Navigator : public pages::WizardNavigator {
public:
  void ShowWizardPage(uint16_t Code, bool Forward) override {
    Calls.push_back(Forward ? int(Code) : -int(Code));
  }
  std::vector<int> Calls;
};

// Directory listings by path, letter case ignored as Windows does.
class ListingFiles : public fake::Files {
public:
  std::map<std::string, std::vector<platform::DirEntry>> Listings;
  bool ListDirectory(const std::string &Path, std::vector<platform::DirEntry> &Out) override {
    auto It = Listings.end();
    for (auto I = Listings.begin(); I != Listings.end(); ++I)
      if (fake::Upper(I->first) == fake::Upper(Path))
        It = I;
    if (It == Listings.end())
      return false;
    Out = It->second;
    return true;
  }
};

class Pages : public ::testing::Test {
protected:
  Pages() {
    Services.Model = &M;
    Services.Files = &Fs;
    Services.Reg = &Reg;
    Services.Msg = &Msg;
    Services.OsCode = 4;
  }
  package::TOpenFileType M;
  ListingFiles Fs;
  fake::Registry Reg;
  fake::Messages Msg;
  pages::PageServices Services;
  ui::TApplication App;
  Navigator Nav;
};

TEST_F(Pages, DestinationRowsBrowseAndSurviveBackAndNext) {
  package::SetupType &Full = AddSetupType(M, "Full", true);
  AddAlias(Full, "%InstallDir%", "C:\\Tool", "Install the program into:");
  package::SetupType &Extra = AddSetupType(M, "Extra", true);
  AddAlias(Extra, "%Data%", "%InstallDir%\\Data", "Data:", false);
  Fs.AddDir("C:\\");
  Fs.Listings["C:\\"] = {{"Windows", true}, {"apps", true}, {"boot.ini", false}, {"Data", true}};
  pages::TSelectDirForm Browser(App);
  Browser.Files = &Fs;
  Browser.Drives = [] { return std::vector<std::string>{"a:", "c: [SYSTEM]"}; };
  pages::TDestinationDirectoryForm Page(App, Nav);
  Page.Services = Services;
  Page.SelectDir = &Browser;

  Page.PrepareDirectoryRows();
  Page.ArrangeDirectoryRows();
  auto Control = [&](const char *Name) { return Page.Find(Name); };
  ASSERT_NE(Control("PathEdit2"), nullptr);
  auto *Path1 = static_cast<ui::TEdit *>(Control("PathEdit1"));
  auto *Path2 = static_cast<ui::TEdit *>(Control("PathEdit2"));
  auto *Browse1 = static_cast<ui::TButton *>(Control("BrowseButton1"));
  EXPECT_EQ(Control("CaptionLabel1")->Caption(), "Install the program into:");
  EXPECT_EQ(Control("CaptionLabel1")->Parent(), Page.ScrollBox1);
  EXPECT_EQ(Path1->Text(), "C:\\Tool\\");
  EXPECT_TRUE(Path1->ReadOnly());
  EXPECT_EQ(Path2->Text(), "C:\\Tool\\Data\\");
  EXPECT_FALSE(Path2->Enabled());
  EXPECT_FALSE(Control("BrowseButton2")->Enabled());
  // Two rows of 44 pixels, grown upwards from the box's bottom edge (276).
  EXPECT_EQ(Path1->Top(), 14);
  EXPECT_EQ(Control("CaptionLabel2")->Top(), 44);
  EXPECT_EQ(Path2->Top(), 58);
  EXPECT_EQ(Page.ScrollBox1->Top(), 188);
  EXPECT_EQ(Page.ScrollBox1->Height(), 88);
  EXPECT_EQ(Browse1->Left(), Page.Button3->Left());

  // The user types "apps\\new" into the browser (a directory that does not
  // exist) and presses OK.
  Browser.OnShow = [&](ui::TForm &) {
    EXPECT_EQ(Browser.Edit1->Text(), "C:\\Tool\\");
    EXPECT_EQ(Browser.DirectoryListBox1->Items(),
              (std::vector<std::string>{"C:\\", "  apps", "  Data", "  Windows"}));
    EXPECT_EQ(Browser.DirectoryListBox1->ItemIndex(), 0);
    EXPECT_EQ(Browser.DriveComboBox1->ItemIndex(), 1);
    Browser.Edit1->CaptionFromWindow("apps\\\\new");
    Browser.Button1->Click();
  };
  Browse1->Click();
  EXPECT_EQ(Browser.Edit1->Text(), "c:\\apps\\new");
  EXPECT_EQ(Path1->Text(), "c:\\apps\\new\\");
  std::string Dir;
  ASSERT_TRUE(Page.Rows().LookupAlias("%INSTALLDIR%", Dir));
  EXPECT_EQ(Dir, "c:\\apps\\new\\");

  // Escape in the browser cancels: the row keeps its directory.
  Browser.OnShow = [&](ui::TForm &) {
    Browser.Edit1->CaptionFromWindow("D:\\Elsewhere");
    EXPECT_TRUE(Browser.OnKeyDown(Browser, 27));
  };
  Browse1->Click();
  EXPECT_EQ(Path1->Text(), "c:\\apps\\new\\");

  // Back, "Extra" dropped, forward again: one row left showing, same path.
  Extra.Selected = false;
  Page.PrepareDirectoryRows();
  Page.ArrangeDirectoryRows();
  EXPECT_EQ(Page.Controls().size(), 16u); // no new controls
  EXPECT_TRUE(Path1->Visible());
  EXPECT_FALSE(Path2->Visible());
  EXPECT_FALSE(Control("CaptionLabel2")->Visible());
  EXPECT_EQ(Path1->Text(), "c:\\apps\\new\\");
  EXPECT_EQ(Page.ScrollBox1->Top(), 232);
  // The hidden row still expands.
  ASSERT_TRUE(Page.Rows().LookupAlias("%Data%", Dir));
  EXPECT_EQ(Dir, "C:\\Tool\\Data\\");
}

TEST_F(Pages, BrowserListOpensDirectoriesAndDrives) {
  Fs.AddDir("C:\\");
  Fs.AddDir("C:\\apps");
  Fs.AddDir("D:\\");
  Fs.Listings["C:\\apps\\"] = {{"Tool", true}};
  Fs.Listings["D:\\"] = {{"Games", true}};
  pages::TSelectDirForm Browser(App);
  Browser.Files = &Fs;
  Browser.Drives = [] { return std::vector<std::string>{"c:", "d: [DATA]", "e:"}; };
  Browser.SetDirectory("C:\\apps\\missing\\deeper");
  EXPECT_EQ(Browser.Directory(), "C:\\apps\\");
  EXPECT_EQ(Browser.Edit1->Text(), "C:\\apps\\missing\\deeper");
  EXPECT_EQ(Browser.DirectoryListBox1->Items(),
            (std::vector<std::string>{"C:\\", "  apps", "    Tool"}));
  EXPECT_EQ(Browser.DirectoryListBox1->ItemIndex(), 1);
  Browser.DirectoryListBox1->ItemPicked(2);
  EXPECT_EQ(Browser.Edit1->Text(), "C:\\apps\\Tool");
  Browser.DirectoryListBox1->ItemPicked(0);
  Browser.DirectoryListBox1->OnDblClick(*Browser.DirectoryListBox1);
  EXPECT_EQ(Browser.Directory(), "C:\\");
  EXPECT_EQ(Browser.Edit1->Text(), "C:\\");
  // Another drive shows its root; an empty drive leaves the list alone.
  Browser.DriveComboBox1->ItemPicked(1);
  EXPECT_EQ(Browser.Directory(), "d:\\");
  EXPECT_EQ(Browser.DirectoryListBox1->Items(), (std::vector<std::string>{"d:\\", "  Games"}));
  Browser.DriveComboBox1->ItemPicked(2);
  EXPECT_EQ(Browser.Directory(), "d:\\");
  // Enter in the path field walks the list to the typed path.
  Browser.Edit1->CaptionFromWindow("c:\\apps\\tool");
  EXPECT_TRUE(Browser.Edit1->OnKeyDown(*Browser.Edit1, 13));
  EXPECT_EQ(Browser.Directory(), "c:\\apps\\");
  EXPECT_EQ(Browser.DriveComboBox1->ItemIndex(), 0);
}

TEST_F(Pages, ComponentPageRulesLabelAndNext) {
  M.MultiSelectSetupTypes = false;
  AddSetupType(M, "Typical", true).SizeInKB = 2000;
  AddSetupType(M, "Compact", false).SizeInKB = 440;
  pages::TSelectComponentsForm Page(App, Nav);
  Page.Services = Services;
  controls::TVemoTreeViewList &List = Page.VemoTreeViewList1->List();
  List.Items().Add("Typical")->SetChecked(true);
  List.Items().Add("Compact");
  EXPECT_EQ(Page.Label3->Caption(), "0K");
  Page.Show();
  EXPECT_EQ(Page.Label3->Caption(), "2000K");
  // Down and Space on the keyboard check Compact.
  List.SetSelected(List.Items().Item(0));
  List.KeyDown(controls::TVemoTreeViewList::Key::Down);
  List.KeyDown(controls::TVemoTreeViewList::Key::Space);
  EXPECT_TRUE(List.Items().Item(1)->Checked());
  EXPECT_FALSE(List.Items().Item(0)->Checked());
  EXPECT_EQ(Page.Label3->Caption(), "440K");
  // A click in Compact's check zone, as the list reports it, clears it.
  List.Paint();
  const controls::HitRecord &Row = List.HitTable()[1];
  List.HitTest(Row.B, Row.Top, true);
  EXPECT_FALSE(List.Items().Item(1)->Checked());
  Page.Button1->Click();
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Text, "You must select one of the setup components!");
  EXPECT_TRUE(Nav.Calls.empty());
  List.HitTest(Row.B, Row.Top, true);
  Page.Button1->Click();
  EXPECT_EQ(Nav.Calls, (std::vector<int>{40}));
}

TEST_F(Pages, ProgramFolderPageStepsAndTheReadyPageSummarises) {
  package::GroupType &G = AddGroup(M, "Main");
  AddPlace(G, "Personal group", {"Tools"});
  AddPlace(G, "Common group", {"Shared"});
  AddTopDir(G, "%InstallDir%");
  package::SetupType &T = AddSetupType(M, "Only", false, {"Main"});
  AddAlias(T, "%InstallDir%", "C:\\Tool", "Folder:");
  const char Shell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  Reg.Set(platform::RootKey::CurrentUser, Shell, "Programs", "C:\\Start\\Programs");
  Fs.Listings["C:\\Start\\Programs\\"] = {{"Accessories", true}};
  Fs.Listings["C:\\Start\\Programs\\Accessories\\"] = {{"Games", true}};

  pages::TSelectProgramFolderForm Page(App, Nav);
  Page.Services = Services;
  ASSERT_EQ(Page.CollectProgramFolders(), 2);
  Page.ShowCurrentFolder();
  EXPECT_EQ(Page.Edit1->Text(), "Tools");
  EXPECT_EQ(Page.Label2->Caption(), "E&xisting Folders (personal group)");
  controls::TVemoTreeViewList &Tree = Page.VemoTreeViewList1->List();
  ASSERT_EQ(Tree.Items().Count(), 1);
  // Picking a nested folder names it as a path.
  controls::TVemoTreeViewItem *Games = Tree.Items().Item(0)->Items().Item(0);
  Tree.SetSelected(Games);
  Tree.OnChange(Tree, Games);
  EXPECT_EQ(Page.Edit1->Text(), "Accessories\\Games");
  Page.Button1->Click();
  EXPECT_TRUE(Nav.Calls.empty());
  EXPECT_EQ(Page.Edit1->Text(), "Shared");
  EXPECT_EQ(Page.Label2->Caption(), "E&xisting Folders (common group)");
  EXPECT_EQ(Tree.Items().Count(), 0);
  Page.Edit1->CaptionFromWindow("");
  Page.Button1->Click();
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Text, "You must specify a name for the program group!");
  EXPECT_EQ(Msg.Shown[0].Flags, platform::MbOk | platform::MbIconError);
  Page.Edit1->CaptionFromWindow("Vendor");
  Page.Button1->Click();
  EXPECT_EQ(Nav.Calls, (std::vector<int>{60}));

  pages::TDestinationDirectoryForm Destination(App, Nav);
  Destination.Services = Services;
  Destination.PrepareDirectoryRows();
  pages::TReadyToInstallForm Ready(App, Nav);
  Ready.Services = Services;
  Ready.PrepareSummary(Page.Folders(), Destination.Rows());
  Ready.Show();
  EXPECT_EQ(
      Ready.RichEdit2->Lines(),
      (std::vector<std::string>{
          "The following program groups will be created:", "  * Accessories\\Games", "  * Vendor",
          "", "The following directories will be used for installation:", "  * C:\\Tool\\"}));
}

} // namespace
