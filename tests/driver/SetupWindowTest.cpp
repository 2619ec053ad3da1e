// The setup window without a window: the wizard navigator over switched-off
// pages and one or several setup types, the page close protocol with the
// exit confirmation, the cancel question during the installation, the
// destination aliases the navigator prepares, and the animations' repaint
// of the place they leave; the status panel's file line, which reaches its
// window once per message pump.
#include "../install/FakePlatform.h"
#include "driver/mainform/StatusPanel.h"
#include "driver/mainform/Unit1.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class StubHost : public driver::SetupWindowHost {
public:
  int ScreenWidth() override { return 1024; }
  int ScreenHeight() override { return 768; }
  int ScreenDpi() override { return 96; }
  std::string ExecutablePath() override { return "C:\\SETUP.EXE"; }
  void Repaint(const controls::Rect *R) override { Repainted.push_back(R ? *R : controls::Rect{}); }
  std::vector<controls::Rect> Repainted;
};

// Answers every question with Answer.
class AnsweringMessages : public fake::Messages {
public:
  int Answer = platform::IdOk;
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    fake::Messages::ShowMessage(Text, Caption, Flags);
    return Answer;
  }
};

class SetupWindowTest : public ::testing::Test {
protected:
  SetupWindowTest()
      : System{&Files, &Reg, nullptr, nullptr, nullptr, nullptr, &Msg}, Form1(App, System, Host),
        Owned(driver::CreatePages(App, Form1)), P(Owned.Pages) {
    Form1.AttachPages(P);
  }

  package::SetupType &AddSetupType(const std::string &Name) {
    auto T = std::make_unique<package::SetupType>();
    T->Name = Name;
    return *Form1.Model().SetupTypes.Append(std::move(T));
  }
  // What the start-up leaves in the component list.
  void ListSetupTypes() {
    auto &L = P.SelectComponents->VemoTreeViewList1->List();
    for (auto *T = Form1.Model().SetupTypes.First(); T; T = T->Next.get())
      L.Items().Add(T->Name);
  }
  // The single visible page, or null when none or several are.
  ui::TForm *Shown() const {
    ui::TForm *Found = nullptr;
    for (ui::TForm *F : App.Forms())
      if (F != &Form1 && F->Visible()) {
        if (Found)
          return nullptr;
        Found = F;
      }
    return Found;
  }
  // The exit confirmation answers with Resume or Exit Setup when it shows.
  void ExitAnswer(bool Exit) {
    P.ExitSetup->OnShow = [this, Exit](ui::TForm &) {
      ++ExitAsked;
      (Exit ? P.ExitSetup->ExitSetupButton : P.ExitSetup->ResumeButton)->Click();
    };
  }

  fake::Files Files;
  fake::Registry Reg;
  AnsweringMessages Msg;
  platform::Platform System;
  StubHost Host;
  ui::TApplication App;
  driver::TForm1 Form1;
  driver::OwnedPages Owned;
  driver::WizardPages P;
  int ExitAsked = 0;
};

TEST_F(SetupWindowTest, SwitchedOffPagesArePassedInOneCallEachWay) {
  auto &M = Form1.Model();
  M.Welcome.Show = true;
  M.License.Show = true;
  AddSetupType("Typical");
  ListSetupTypes();
  Form1.ShowWizardPage(pages::PageWelcome, true);
  EXPECT_EQ(Shown(), P.Welcome);
  P.Welcome->Button1->Click();
  EXPECT_EQ(Shown(), P.License);
  // One setup type: no component page; destination and folders are off.
  P.License->Button2->Click();
  EXPECT_EQ(Shown(), P.Ready);
  P.Ready->Button4->Click();
  EXPECT_EQ(Shown(), P.License);
  EXPECT_FALSE(P.License->ClosingByButton());
}

TEST_F(SetupWindowTest, ComponentPageNeedsSeveralSetupTypesAndListedItems) {
  auto &M = Form1.Model();
  M.License.Show = true;
  M.Destination.Show = true;
  AddSetupType("Typical");
  AddSetupType("Full");
  Form1.ShowWizardPage(pages::PageLicense, true);
  P.License->Button2->Click();
  // Nothing listed (every setup type prevented): the page is passed.
  EXPECT_EQ(Shown(), P.Destination);
  P.Destination->Button4->Click();
  EXPECT_EQ(Shown(), P.License);

  ListSetupTypes();
  P.License->Button2->Click();
  ASSERT_EQ(Shown(), P.SelectComponents);
  auto &L = P.SelectComponents->VemoTreeViewList1->List();
  EXPECT_EQ(L.Selected(), L.Items().Item(0));
  EXPECT_EQ(P.SelectComponents->ActiveControl(), P.SelectComponents->VemoTreeViewList1);
  // A failing selection check keeps the page.
  P.SelectComponents->SelectionCheck = [] { return false; };
  P.SelectComponents->Button1->Click();
  EXPECT_EQ(Shown(), P.SelectComponents);
  P.SelectComponents->SelectionCheck = nullptr;
  P.SelectComponents->Button1->Click();
  EXPECT_EQ(Shown(), P.Destination);
  P.Destination->Button1->Click();
  EXPECT_EQ(Shown(), P.Ready);
}

TEST_F(SetupWindowTest, BackFromTheFirstShownPageKeepsItOnScreen) {
  AddSetupType("A");
  AddSetupType("B");
  ListSetupTypes();
  Form1.ShowWizardPage(pages::PageWelcome, true); // welcome and licence are off
  ASSERT_EQ(Shown(), P.SelectComponents);
  P.SelectComponents->Button4->Click();
  EXPECT_EQ(Shown(), P.SelectComponents);
  EXPECT_EQ(Form1.CurrentPage(), P.SelectComponents);
}

TEST_F(SetupWindowTest, UnrequestedCloseAsksTheExitConfirmation) {
  Form1.Model().Welcome.Show = true;
  AddSetupType("Typical");
  Form1.FWizardStarted = true;
  Form1.ShowWizardPage(pages::PageWelcome, true);

  ExitAnswer(false);
  EXPECT_FALSE(P.Welcome->Close());
  EXPECT_EQ(ExitAsked, 1);
  EXPECT_EQ(Shown(), P.Welcome);
  // Cancel and No only ask; Escape in the box resumes.
  P.Welcome->Button2->Click();
  EXPECT_EQ(ExitAsked, 2);
  EXPECT_EQ(Shown(), P.Welcome);
  P.ExitSetup->OnShow = [this](ui::TForm &) { P.ExitSetup->FormKeyDown(27); };
  EXPECT_FALSE(P.Welcome->Close());
  EXPECT_FALSE(App.Terminated());

  // The setup window's own close asks too.
  ExitAnswer(false);
  EXPECT_FALSE(Form1.Close());
  EXPECT_EQ(ExitAsked, 3);

  ExitAnswer(true);
  EXPECT_TRUE(P.Welcome->Close());
  EXPECT_TRUE(App.Terminated());
  EXPECT_FALSE(P.Welcome->Visible());
}

TEST_F(SetupWindowTest, ClosingDuringTheInstallationAsksToCancel) {
  Form1.FWizardStarted = true;
  Form1.FInstalling = true;
  Msg.Answer = platform::IdNo;
  EXPECT_FALSE(Form1.Close());
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Text, "Are you sure you want to cancel the installation?");
  EXPECT_EQ(Msg.Shown[0].Flags, platform::MbYesNo | platform::MbIconWarning);
  EXPECT_FALSE(Form1.FCancelRequested);
  Msg.Answer = platform::IdYes;
  Form1.CancelButton->Click(); // the panel's button: disabled and hidden here
  EXPECT_FALSE(Form1.FCancelRequested);
  EXPECT_FALSE(Form1.Close());
  EXPECT_TRUE(Form1.FCancelRequested);
  EXPECT_EQ(ExitAsked, 0);
}

TEST_F(SetupWindowTest, DestinationStepMakesTheAliasesPathsExpandThrough) {
  auto &A = AddSetupType("Typical");
  A.DefaultDirs.push_back({});
  A.DefaultDirs.back().Alias = "%InstallDir%";
  A.DefaultDirs.back().DestinationDir = "D:\\Apps\\\\Tool";
  A.DefaultDirs.push_back({});
  A.DefaultDirs.back().Alias = "%DataDir%";
  A.DefaultDirs.back().DestinationDir = "%INSTALLDIR%\\Data";
  auto &B = AddSetupType("Other");
  B.DefaultDirs.push_back({});
  B.DefaultDirs.back().Alias = "%OtherDir%";
  B.DefaultDirs.back().DestinationDir = "E:\\Other";
  A.Selected = true;
  ListSetupTypes();

  std::string Path = "%installdir%\\Bin";
  driver::ResolvePathMacros(Form1.PathMachine(), Path, false);
  EXPECT_EQ(Path, "%installdir%\\Bin"); // no rows before the step
  Form1.ShowWizardPage(pages::PageDestination, true);
  Path = "%installdir%\\Bin";
  driver::ResolvePathMacros(Form1.PathMachine(), Path, false);
  EXPECT_EQ(Path, "D:\\Apps\\Tool\\Bin");
  const driver::DestinationAliasSource &Rows = *Form1.DestinationAliases();
  ASSERT_EQ(Rows.AliasCount(), 2u); // the unselected setup type adds none
  EXPECT_EQ(Rows.AliasDirectory(1), "D:\\Apps\\Tool\\Data\\");
}

TEST_F(SetupWindowTest, TitleMacroInAnyCaseAndNotRescanned) {
  Form1.Model().Title = "Tool %TITLE% 2";
  EXPECT_EQ(Form1.ExpandTitleMacro("%title%, %Title% and %TITLE%."),
            "Tool %TITLE% 2, Tool %TITLE% 2 and Tool %TITLE% 2.");
  P.Finish->RichEdit1->SetWordWrap(false);
  Form1.ExpandTitleMacro(*P.Finish->RichEdit1);
  EXPECT_EQ(P.Finish->RichEdit1->Lines()[0],
            "Setup has finished installing Tool %TITLE% 2 on your computer.");
  EXPECT_TRUE(P.Finish->RichEdit1->WordWrap());
}

TEST_F(SetupWindowTest, HiddenAnimationIsParkedAndItsPlaceRepainted) {
  auto G = std::make_unique<package::ImageGroupType>();
  G->Name = "Spin";
  G->AlwaysShow = true;
  G->HorizontalAlign = 2;
  G->HorizontalSpace = 10;
  G->FramesPerSecond = 0;
  G->Frames = {controls::Bitmap(40, 30, 1), controls::Bitmap(20, 35, 2)};
  Form1.Model().ImageGroups.Append(std::move(G));
  Form1.CreateGroupAnimations();
  ASSERT_EQ(Form1.Animations().size(), 1u);
  driver::AnimationRecord &R = *Form1.Animations()[0];
  EXPECT_EQ(R.Control.Bounds(), (controls::Rect{1024 - 40 - 102, 0, 882 + 40, 35}));
  EXPECT_EQ(R.Control.Interval(), 100); // no rate: ten frames a second
  EXPECT_TRUE(R.Control.Visible());

  package::GroupType Files;
  Files.ImageGroups = {"SPIN"};
  Host.Repainted.clear();
  Form1.ShowAnimationsForGroup(Files, false);
  EXPECT_FALSE(R.Control.Visible());
  EXPECT_EQ(R.Control.Interval(), 0);
  EXPECT_EQ(R.Control.Bounds().Left, 1034);
  EXPECT_NE(
      std::find(Host.Repainted.begin(), Host.Repainted.end(), controls::Rect{882, 0, 922, 35}),
      Host.Repainted.end());
  Form1.ShowAnimationsForGroup(Files, true);
  EXPECT_EQ(R.Control.Bounds().Left, 882);
  EXPECT_EQ(R.Control.Interval(), 100);
}

// Windows that only count the text changes each control's would be given.
class CaptionCounts : public ui::PeerFactory {
public:
  explicit CaptionCounts(std::map<const ui::TControl *, int> &Counts) : FCounts(Counts) {}
  std::unique_ptr<ui::FormPeer> MakeFormPeer(ui::TForm &) override {
    return std::make_unique<NoForm>();
  }
  std::unique_ptr<ui::ControlPeer> MakeControlPeer(ui::TControl &C) override {
    return std::make_unique<Counting>(FCounts[&C]);
  }
  void ProcessMessages() override {}
  void PostQuit() override {}
  void Run() override {}

private:
  struct NoForm : ui::FormPeer {
    void Update(ui::FormChange) override {}
    void Show() override {}
    void Hide() override {}
    void RunModal() override {}
    void Invalidate() override {}
    void FocusControl(ui::TControl &) override {}
  };
  struct Counting : ui::ControlPeer {
    explicit Counting(int &N) : Count(N) {}
    void Update(ui::ControlChange What) override { Count += What == ui::ControlChange::Caption; }
    int &Count;
  };
  std::map<const ui::TControl *, int> &FCounts;
};

TEST(StatusPanel, FileNamesReachTheLabelOncePerPump) {
  fake::Files Files;
  fake::Registry Reg;
  AnsweringMessages Msg;
  const platform::Platform System{&Files, &Reg, nullptr, nullptr, nullptr, nullptr, &Msg};
  StubHost Host;
  std::map<const ui::TControl *, int> Counts;
  ui::TApplication App(std::make_unique<CaptionCounts>(Counts));
  driver::TForm1 Form(App, System, Host);
  driver::StatusPanelBinding Status(Form);
  const int &Changes = Counts[Form.Label2];

  Status.ShowPanel(true);
  Status.SetPhaseCaption("Copying files...");
  const int Start = Changes;
  for (int I = 1; I <= 50; ++I)
    Status.SetCurrentItem("C:\\App\\file" + std::to_string(I) + ".txt");
  Status.ProcessMessages();
  EXPECT_EQ(Form.Label2->Caption(), "C:\\App\\file50.txt");
  EXPECT_EQ(Changes - Start, 1);
  Status.ProcessMessages(); // a long file: nothing new to show
  EXPECT_EQ(Changes - Start, 1);

  // The next phase's caption never stands beside a file of the last one.
  Status.SetCurrentItem("C:\\App\\file51.txt");
  Status.SetPhaseCaption("Registry");
  Status.SetCurrentItem("");
  EXPECT_EQ(Form.Label2->Caption(), "");

  // The panel hidden at the end keeps the last item, as the screen showed it.
  Status.SetCurrentItem("Uninstaller");
  Status.ShowPanel(false);
  EXPECT_EQ(Form.Label2->Caption(), "Uninstaller");
}

} // namespace
