#include "driver/mainform/Unit1.h"

#include "codec/CompressedEntry.h"
#include "controls/ExtendedPicture.h"
#include "controls/SetupTypeListAdapter.h"
#include "driver/EngineServices.h"
#include "driver/LauncherPackage.h"
#include "driver/TargetOS.h"
#include "driver/mainform/Background.h"
#include "driver/mainform/PageLayout.h"
#include "driver/mainform/PictureEntries.h"
#include "driver/mainform/StatusPanel.h"
#include "install/FileVersion.h"
#include "install/InstallationEngine.h"
#include "platform/MemoryFile.h"
#include "ui/Colors.h"

#include <chrono>

namespace driver {

namespace {

constexpr char ErrorCaption[] = "Error";

} // namespace

OwnedPages CreatePages(ui::TApplication &App, pages::WizardNavigator &Nav) {
  OwnedPages O;
  auto Keep = [&O](auto P) {
    auto *Raw = P.get();
    O.Forms.push_back(std::move(P));
    return Raw;
  };
  O.Pages.Welcome = Keep(std::make_unique<pages::TWelcomeForm>(App, Nav));
  O.Pages.License = Keep(std::make_unique<pages::TLicenseAgreementForm>(App, Nav));
  O.Pages.Destination = Keep(std::make_unique<pages::TDestinationDirectoryForm>(App, Nav));
  O.Pages.ExitSetup = Keep(std::make_unique<pages::TExitSetupForm>(App));
  O.Pages.SelectDir = Keep(std::make_unique<pages::TSelectDirForm>(App));
  O.Pages.SelectComponents = Keep(std::make_unique<pages::TSelectComponentsForm>(App, Nav));
  O.Pages.ProgramFolder = Keep(std::make_unique<pages::TSelectProgramFolderForm>(App, Nav));
  O.Pages.Finish = Keep(std::make_unique<pages::TFinishForm>(App, Nav));
  O.Pages.Ready = Keep(std::make_unique<pages::TReadyToInstallForm>(App, Nav));
  O.Pages.Aborted = Keep(std::make_unique<pages::TInstallAbortedForm>(App, Nav));
  return O;
}

TForm1::TForm1(ui::TApplication &App, const platform::Platform &System, SetupWindowHost &Host)
    : ui::TForm(App, "Form1", "Background form", 640, 480), FSystem(System), FHost(Host) {
  SetBorder(ui::FormBorder::None);
  Centered = false;
  JPGimageRegistrator = &Add<ui::TImage>(nullptr, "JPGimageRegistrator");
  JPGimageRegistrator->SetVisible(false);
  StatusPanel = &Add<ui::TPanel>(nullptr, "StatusPanel");
  StatusPanel->SetBounds(0, 0, 353, 169);
  StatusPanel->SetBorderWidth(2);
  StatusPanel->SetVisible(false);
  Label1 = &Add<ui::TLabel>(StatusPanel, "Label1");
  Label1->SetBounds(12, 10, 329, 13);
  Label1->SetCaption("Extracting files... ?");
  Label2 = &Add<ui::TLabel>(StatusPanel, "Label2");
  Label2->SetBounds(12, 28, 329, 13);
  VemoProgressBar1 = &Add<ui::TProgressBar>(StatusPanel, "VemoProgressBar1");
  VemoProgressBar1->SetBounds(12, 48, 329, 17);
  auto &Bar = VemoProgressBar1->Bar();
  Bar.SetProgressColor(controls::ClNavy);
  Bar.SetProgressColorDestination(controls::ClNavy);
  controls::Font BarFont = Bar.Font();
  BarFont.Color = controls::ClWhite;
  Bar.SetFont(BarFont);
  Bar.SetShowProgressText(true);
  Bar.SetMax(100);
  CancelButton = &Add<ui::TButton>(StatusPanel, "CancelButton");
  CancelButton->SetBounds(139, 74, 75, 25);
  CancelButton->SetCaption("Cancel");
  CancelButton->SetDefault(true);
  CancelButton->OnClick = [this](ui::TButton &) { CancelButtonClick(); };
  ProductCommercialMemo = &Add<ui::TRichEdit>(StatusPanel, "ProductCommercialMemo");
  ProductCommercialMemo->SetBounds(2, 169 - 2 - 58, 349, 58);
  ProductCommercialMemo->SetBordered(false);
  ProductCommercialMemo->SetReadOnly(true);
  ProductCommercialMemo->SetEnabled(false);
  ProductCommercialMemo->SetParentColor(true);
  ProductCommercialMemo->SetTabStop(false);
  ProductCommercialMemo->SetAlignment(ui::TextAlign::Center);
  ProductCommercialMemo->SetLines(
      {"This installation was created with %AppTitle%", "from %AppProducer%", "%AppWebSite%"});

  OnCloseQuery = [this](ui::TForm &, bool &CanClose) { FormCloseQuery(CanClose); };
  OnClose = [](ui::TForm &F) { F.Application().Terminate(); };
  OnActivate = [this](ui::TForm &) { FormActivate(); };
}

TForm1::~TForm1() {
  FormDestroy();
}

void TForm1::AttachPages(const WizardPages &Pages) {
  FPages = Pages;
  if (FPages.ExitSetup)
    FPages.ExitSetup->OnExitSetup = [this] { FreeGroupAnimations(); };
}

uint8_t TForm1::OSCode() {
  return GetOSType(FVersionInfo, *FSystem.Reg);
}

void TForm1::FormCreate() {
  FRandom.seed(static_cast<TempNameRandom::result_type>(
                   std::chrono::steady_clock::now().time_since_epoch().count() & 0x7FFFFFFF) |
               1);
  SetPosition(0, 0);
  SetClientSize(FHost.ScreenWidth(), FHost.ScreenHeight());
  FBackgroundImage.reset();
  FPaintBuffer.reset();
  FAnimations.clear();
  FWizardStarted = false;
  FInstalling = false;
  FFirstShow = true;

  // The program's own version strings on the status panel.
  std::vector<std::string> Values(3);
  install::ReadVersionStrings(*FSystem.Version, FHost.ExecutablePath(),
                              {"ProductName", "WebSite", "CompanyName"}, Values);
  std::vector<std::string> Lines = ProductCommercialMemo->Lines();
  for (std::string &L : Lines) {
    ReplaceMacro(L, "%AppTitle%", Values[0]);
    ReplaceMacro(L, "%AppWebSite%", Values[1]);
    ReplaceMacro(L, "%AppProducer%", Values[2]);
  }
  ProductCommercialMemo->SetLines(Lines);

  FVersionInfo = {};
  FSystem.Version->GetOsVersion(FVersionInfo);
  Label2->SetCaption("");
}

void TForm1::Fatal(const std::string &Text) {
  FSystem.Msg->ShowMessage(Text, ErrorCaption, platform::MbOk | platform::MbIconError);
  Close();
}

void TForm1::LoadPictures(platform::File &File, uint64_t, const package::TEntryHeader &H) {
  platform::MemoryFile Stream;
  // A picture that cannot be read or decoded is simply missing.
  codec::ExtractEntry(File, codec::ExtractTarget::Stream(Stream), nullptr, H);
  controls::PictureFormats Formats;
  controls::RegisterJpegFormat(Formats);
  controls::TExtendedPicture Picture(Formats);
  const bool Decoded = Picture.LoadFromStream(Stream);
  const controls::Bitmap *Bmp = Decoded ? &Picture.Graphic() : nullptr;
  const std::string Name = H.NameText();
  switch (H.EntryType) {
  case package::EntryBackground:
    FModel.BGImage = Bmp ? std::make_unique<controls::Bitmap>(*Bmp) : nullptr;
    break;
  case package::EntryImageFrame:
    if (Bmp)
      AddImageGroupFrame(FModel, *Bmp, Name);
    break;
  case package::EntryPageLogo: {
    if (!Bmp)
      break;
    ui::TImage *Logo = nullptr;
    switch (LogoPageOf(Name)) {
    case LogoPage::Welcome:
      Logo = FPages.Welcome ? FPages.Welcome->Image1 : nullptr;
      break;
    case LogoPage::Destination:
      Logo = FPages.Destination ? FPages.Destination->Image1 : nullptr;
      break;
    case LogoPage::ProgramFolder:
      Logo = FPages.ProgramFolder ? FPages.ProgramFolder->Image1 : nullptr;
      break;
    case LogoPage::SelectComponents:
      Logo = FPages.SelectComponents ? FPages.SelectComponents->Image1 : nullptr;
      break;
    case LogoPage::ReadyToInstall:
      Logo = FPages.Ready ? FPages.Ready->Image1 : nullptr;
      break;
    case LogoPage::None:
      break;
    }
    if (Logo)
      Logo->SetPicture(*Bmp);
    break;
  }
  default:
    break;
  }
}

void TForm1::FormShow() {
  if (!FFirstShow)
    return;
  FFirstShow = false;

  std::unique_ptr<platform::File> File =
      FSystem.Files->Open(FHost.ExecutablePath(), platform::OpenMode::Read);
  LauncherPackage Loaded;
  if (File)
    Loaded = LoadLauncherPackage(*File, FModel, *FSystem.Msg,
                                 [this, &File](uint64_t Pos, const package::TEntryHeader &H) {
                                   LoadPictures(*File, Pos, H);
                                   return true;
                                 });
  if (Loaded.Result == package::OpenPackageResult::Corrupted)
    return Fatal("File corrupted!");
  if (Loaded.Result == package::OpenPackageResult::NothingToDo)
    return Fatal("Nothing to do!");
  FFilesPosition = Loaded.FilesPosition;
  File.reset();

  const uint8_t Code = OSCode();
  BindPageServices(*this, Code);
  if (!IsTargetOS(FModel.TargetOS, Code))
    return Fatal("This installation is not intended for " + OSName(Code) + "!");
  if (FModel.SetupTypes.Empty())
    return Fatal("Nothing to do!");

  Color = FModel.BGStartingColor;
  ComposeBackground();
  CreateGroupAnimations();
  FillPageTexts();
  EvaluateSetupTypes();
  LayOutPages();

  for (ui::TForm *F : Application().Forms())
    for (const auto &C : F->Controls())
      if (C->Kind() == ui::ControlKind::RichEdit)
        static_cast<ui::TRichEdit &>(*C).SetWordWrap(true);

  auto *List = FPages.SelectComponents ? FPages.SelectComponents->VemoTreeViewList1 : nullptr;
  if (List && List->List().Items().Count() > 0) {
    controls::SetupTypeListAdapter Adapter(List->List());
    FillSetupTypeList(FModel, Code, Adapter);
    ShowWizardPage(pages::PageWelcome, true);
    FWizardStarted = true;
  } else {
    Close();
  }
}

void TForm1::FillPageTexts() {
  if (FPages.Welcome) {
    auto &W = *FPages.Welcome;
    std::vector<std::string> Text = FModel.Welcome.Text;
    W.RichEdit1->ClearLines();
    W.RichEdit2->ClearLines();
    if (!Text.empty()) {
      W.RichEdit1->AddLine(Text.front());
      Text.erase(Text.begin());
    }
    W.RichEdit2->SetLines(Text);
    FModel.Welcome.Text = Text;
  }
  auto Fill = [](ui::TRichEdit *Box, const package::TWindowType &Page) {
    if (Box)
      Box->SetLines(Page.Text);
  };
  if (FPages.License)
    Fill(FPages.License->RichEdit1, FModel.License);
  if (FPages.Destination)
    Fill(FPages.Destination->RichEdit1, FModel.Destination);
  if (FPages.ProgramFolder)
    Fill(FPages.ProgramFolder->RichEdit1, FModel.ProgramFolder);
  if (FPages.SelectComponents)
    Fill(FPages.SelectComponents->RichEdit1, FModel.SelectComponents);
  if (FPages.Ready)
    Fill(FPages.Ready->RichEdit1, FModel.ReadyToInstall);

  for (ui::TRichEdit *Box : {FPages.Welcome ? FPages.Welcome->RichEdit1 : nullptr,
                             FPages.Welcome ? FPages.Welcome->RichEdit2 : nullptr,
                             FPages.License ? FPages.License->RichEdit1 : nullptr,
                             FPages.Destination ? FPages.Destination->RichEdit1 : nullptr,
                             FPages.ExitSetup ? FPages.ExitSetup->RichEdit1 : nullptr,
                             FPages.Ready ? FPages.Ready->RichEdit1 : nullptr,
                             FPages.Finish ? FPages.Finish->RichEdit1 : nullptr,
                             FPages.Aborted ? FPages.Aborted->RichEdit1 : nullptr})
    if (Box)
      ExpandTitleMacro(*Box);
  if (FPages.License)
    FPages.License->Label2->SetCaption(ExpandTitleMacro(FPages.License->Label2->Caption()));
}

void TForm1::EvaluateSetupTypes() {
  if (!FPages.SelectComponents)
    return;
  controls::SetupTypeListAdapter List(FPages.SelectComponents->VemoTreeViewList1->List());
  List.Clear();
  EventContext Context{PathContext{*FSystem.Files, *FSystem.Reg, nullptr}, *FSystem.Msg};
  for (package::SetupType *T = FModel.SetupTypes.First(); T; T = T->Next.get()) {
    const uint8_t Action = EvaluateSetupTypeEvents(Context, *T);
    if (Action == ActionAbort) {
      List.Clear();
      break;
    }
    if (Action == ActionPrevent)
      continue;
    List.AddSetupType(T->Name, false, *T);
    if (Action == ActionInstall)
      T->Windows95Selected = T->Windows98Selected = T->WindowsNT40Selected =
          T->Windows2000Selected = 1;
  }
}

void TForm1::LayOutPages() {
  std::unique_ptr<controls::Canvas> Measure = ui::NewControlCanvas();
  Measure->Resize(1, 1);
  controls::Canvas &C = *Measure;
  if (FPages.Welcome)
    LayoutPage(*FPages.Welcome, FPages.Welcome->Image1, FPages.Welcome->RichEdit2->Left(), C);
  if (FPages.License && FPages.Welcome)
    FitPageToSize(*FPages.License, FPages.Welcome->Width(), FPages.Welcome->Height(), C);
  auto Lay = [&C](ui::TForm *Page, ui::TImage *Logo, ui::TRichEdit *Text) {
    if (Page)
      LayoutPage(*Page, Logo, Text->Left(), C);
  };
  if (auto *P = FPages.Destination)
    Lay(P, P->Image1, P->RichEdit1);
  if (auto *P = FPages.SelectComponents)
    Lay(P, P->Image1, P->RichEdit1);
  if (auto *P = FPages.ProgramFolder)
    Lay(P, P->Image1, P->RichEdit1);
  if (auto *P = FPages.Ready)
    Lay(P, P->Image1, P->RichEdit1);
  if (auto *P = FPages.Finish)
    Lay(P, P->Image1, P->RichEdit1);
  if (auto *P = FPages.Aborted)
    Lay(P, P->Image1, P->RichEdit1);
}

void TForm1::FormActivate() {
  if (!Application().Terminated() && !FInstalling)
    for (ui::TForm *F : Application().Forms())
      if (F->Visible() && F != this && !F->InModalLoop())
        F->Show();
  Application().ProcessMessages();
}

void TForm1::FormCloseQuery(bool &CanClose) {
  if (!FWizardStarted) {
    CanClose = true;
    return;
  }
  if (FInstalling) {
    CanClose = false;
    CancelButtonClick();
    return;
  }
  if (!Application().Terminated())
    ShowWizardPage(pages::PageExit, true);
  CanClose = Application().Terminated();
}

void TForm1::CancelButtonClick() {
  if (FSystem.Msg->ShowMessage("Are you sure you want to cancel the installation?", "Warning",
                               platform::MbYesNo | platform::MbIconWarning) == platform::IdYes)
    FCancelRequested = true;
}

void TForm1::FormDestroy() {
  FreeGroupAnimations();
  package::FreeSetupModel(FModel);
  FBackgroundImage.reset();
  FPaintBuffer.reset();
}

std::string TForm1::ExpandTitleMacro(const std::string &Text) const {
  std::string T = Text;
  ReplaceMacro(T, "%TITLE%", FModel.Title);
  return T;
}

void TForm1::ExpandTitleMacro(ui::TRichEdit &Box) const {
  std::vector<std::string> Lines = Box.Lines();
  for (std::string &L : Lines)
    L = ExpandTitleMacro(L);
  Box.SetLines(Lines);
  Box.SetWordWrap(true);
}

void TForm1::ShowPage(ui::TForm &Page) {
  FCurrentPage = &Page;
  Page.Show();
}

void TForm1::ShowWizardPage(uint16_t Code, bool Forward) {
  switch (Code) {
  case pages::PageWelcome:
    if (FModel.Welcome.Show && FPages.Welcome)
      ShowPage(*FPages.Welcome);
    else
      ShowWizardPage(pages::PageLicense, true);
    break;
  case pages::PageLicense:
    if (FModel.License.Show && FPages.License)
      ShowPage(*FPages.License);
    else
      ShowWizardPage(Forward ? pages::PageComponents : pages::PageWelcome, Forward);
    break;
  case pages::PageComponents: {
    const package::SetupType *First = FModel.SetupTypes.First();
    auto *Page = FPages.SelectComponents;
    if (First && First->Next && Page && Page->VemoTreeViewList1->List().Items().Count() > 0) {
      ShowPage(*Page);
      Page->VemoTreeViewList1->SetFocus();
      auto &L = Page->VemoTreeViewList1->List();
      L.SetSelected(L.Items().Item(0));
    } else {
      ShowWizardPage(Forward ? pages::PageDestination : pages::PageLicense, Forward);
    }
    break;
  }
  case pages::PageDestination:
    PrepareDestinationPage(*this);
    if (FModel.Destination.Show && FPages.Destination)
      ShowPage(*FPages.Destination);
    else
      ShowWizardPage(Forward ? pages::PageProgramFolder : pages::PageComponents, Forward);
    break;
  case pages::PageProgramFolder:
    if (FModel.ProgramFolder.Show && FPages.ProgramFolder && CollectProgramFolders(*this) > 0) {
      ShowPage(*FPages.ProgramFolder);
      ShowCurrentFolder(*this);
    } else {
      ShowWizardPage(Forward ? pages::PageReady : pages::PageDestination, Forward);
    }
    break;
  case pages::PageReady:
    PrepareReadyPage(*this);
    if (FPages.Ready)
      ShowPage(*FPages.Ready);
    break;
  case pages::PageInstall:
    RunInstallation();
    break;
  case pages::PageFinish:
    if (FPages.Finish)
      ShowPage(*FPages.Finish);
    break;
  case pages::PageAborted:
    if (FPages.Aborted)
      ShowPage(*FPages.Aborted);
    break;
  case pages::PageExit:
    if (FPages.ExitSetup)
      FPages.ExitSetup->ShowModal();
    break;
  default:
    break;
  }
}

void TForm1::RunInstallation() {
  FCancelRequested = false;
  FInstalling = true;
  if (FPages.Ready)
    FPages.Ready->Close();
  FCurrentPage = nullptr;
  int Page = install::AbortedPage;
  if (std::unique_ptr<platform::File> File =
          FSystem.Files->Open(FHost.ExecutablePath(), platform::OpenMode::Read)) {
    StatusPanelBinding Status(*this);
    const install::ProgramFolderTable &Folders =
        FPages.ProgramFolder ? FPages.ProgramFolder->Folders() : FNoProgramFolders;
    install::InstallServices Services = MakeEngineServices(
        *FSystem.Files, *FSystem.Reg, DestinationAliases(), FRandom, FVersionInfo);
    Services.PumpIntervalMs = InstallPumpIntervalMs;
    install::InstallationEngine Engine(FSystem, FModel, Status, Folders, std::move(Services));
    Page = Engine.RunInstallation(*File, FFilesPosition);
  } else {
    FSystem.Msg->ShowMessage("Failed to read file!", ErrorCaption,
                             platform::MbOk | platform::MbIconError);
  }
  FInstalling = false;
  ShowWizardPage(static_cast<uint16_t>(Page), true);
}

void TForm1::ComposeBackground() {
  if (FFirstShow)
    return;
  const int W = ClientWidth(), H = ClientHeight();
  if (!FBackgroundImage) {
    FBackgroundImage = ui::NewControlCanvas();
    FPaintBuffer = ui::NewControlCanvas();
    if (!FBackgroundImage->Resize(W, H) || !FPaintBuffer->Resize(W, H)) {
      FBackgroundImage.reset();
      FPaintBuffer.reset();
      return;
    }
    ComposeBackgroundOn(*FBackgroundImage, FModel, FHost.ScreenDpi());
  }
  FPaintBuffer->CopyFrom(0, 0, *FBackgroundImage, controls::CopyMode::Copy);
  FHost.Repaint(nullptr);
}

void TForm1::CreateGroupAnimations() {
  for (package::ImageGroupType *G = FModel.ImageGroups.First(); G; G = G->Next.get()) {
    AnimationLayout A = LayOutAnimation(*G, FHost.ScreenWidth(), FHost.ScreenHeight());
    if (!A.Animated)
      continue;
    auto R = std::make_unique<AnimationRecord>();
    R->Name = G->Name;
    R->Left = A.Place.X;
    R->Top = A.Place.Y;
    R->SavedInterval = A.Interval;
    R->Control.SetBounds({A.Place.X, A.Place.Y, A.Place.X + A.CellWidth, A.Place.Y + A.CellHeight});
    R->Control.SetColumns(static_cast<uint16_t>(G->Frames.size()));
    R->Control.SetRows(1);
    R->Control.SetBitmap(A.Strip);
    FHost.AnimationAdded(*R);
    R->Control.SetInterval(A.Interval);
    ShowGroupAnimation(*R, G->AlwaysShow);
    FAnimations.push_back(std::move(R));
  }
}

void TForm1::ShowGroupAnimation(AnimationRecord &R, bool Visible) {
  // The place it leaves is painted from the buffer again, or a moved
  // animation would leave its last frame behind.
  const controls::Rect Old = R.Control.Bounds();
  R.Control.SetActivePicture(0);
  R.Control.SetVisible(Visible);
  const int W = Old.Width(), H = Old.Height();
  if (Visible) {
    R.Control.SetBounds({R.Left, R.Top, R.Left + W, R.Top + H});
    R.Control.SetInterval(R.SavedInterval);
  } else {
    if (R.Control.Interval())
      R.SavedInterval = R.Control.Interval();
    R.Control.SetInterval(0);
    const int X = FHost.ScreenWidth() + 10, Y = FHost.ScreenHeight() + 10;
    R.Control.SetBounds({X, Y, X + W, Y + H});
  }
  FHost.Repaint(&Old);
  const controls::Rect New = R.Control.Bounds();
  FHost.Repaint(&New);
}

void TForm1::ShowAnimationsForGroup(const package::GroupType &Group, bool Visible) {
  auto Upper = [](std::string S) {
    for (char &C : S)
      if (C >= 'a' && C <= 'z')
        C = static_cast<char>(C - 'a' + 'A');
    return S;
  };
  for (auto &R : FAnimations)
    for (const std::string &Name : Group.ImageGroups)
      if (Upper(Name) == Upper(R->Name)) {
        ShowGroupAnimation(*R, Visible);
        break;
      }
}

void TForm1::FreeGroupAnimations() {
  for (auto &R : FAnimations) {
    FHost.AnimationRemoved(*R);
    const controls::Rect Old = R->Control.Bounds();
    FHost.Repaint(&Old);
  }
  FAnimations.clear();
}

void TForm1::PaintTo(controls::Canvas &Target) {
  if (!FPaintBuffer) {
    Target.FillRect({0, 0, Target.Width(), Target.Height()}, ui::ColorToPixel(Color));
    return;
  }
  Target.CopyFrom(0, 0, *FPaintBuffer, controls::CopyMode::Copy);
  for (auto &R : FAnimations)
    if (R->Control.Visible() && !R->Control.Bitmap().Empty())
      R->Control.Paint(Target, R->Control.Bounds());
}

} // namespace driver
