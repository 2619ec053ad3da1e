// TForm1, the setup window: a borderless window over the whole screen that
// owns the setup model, loads the package when it is first shown, paints the
// background, hosts the status panel of the installation and navigates the
// wizard. Everything here is portable; Unit1_win.cpp paints it and runs its
// timers through a SetupWindowHost.
#pragma once

#include "controls/AnimatedBitmap.h"
#include "driver/PathMacros.h"
#include "driver/TempFileName.h"
#include "driver/mainform/WizardPreparation.h"
#include "package/Package.h"
#include "package/SetupModel.h"
#include "pages/DestinationDirectory.h"
#include "pages/ExitSetup.h"
#include "pages/Finish.h"
#include "pages/InstallAborted.h"
#include "pages/LicenseAgreement.h"
#include "pages/ReadyToInstall.h"
#include "pages/SelectComponents.h"
#include "pages/SelectDir.h"
#include "pages/SelectProgramFolder.h"
#include "pages/Welcome.h"
#include "platform/Platform.h"
#include "ui/Form.h"

#include <memory>
#include <string>
#include <vector>

namespace driver {

// One animated image group on the setup window.
struct AnimationRecord {
  controls::TAnimatedBitmap Control;
  std::string Name;
  uint16_t SavedInterval = 0;
  int Left = 0, Top = 0;
};

// What the setup window needs from the windowing system.
class SetupWindowHost {
public:
  virtual ~SetupWindowHost() = default;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual int ScreenDpi() = 0;
  // The program's own file.
  virtual std::string ExecutablePath() = 0;
  // Timers and repainting of an animation; Removed before it is freed.
  virtual void AnimationAdded(AnimationRecord &) {}
  virtual void AnimationRemoved(AnimationRecord &) {}
  // Repaints a part of the window from the buffer (null: all of it).
  virtual void Repaint(const controls::Rect *) {}
};

// The page forms, created after the setup window in this order.
struct WizardPages {
  pages::TWelcomeForm *Welcome = nullptr;
  pages::TLicenseAgreementForm *License = nullptr;
  pages::TDestinationDirectoryForm *Destination = nullptr;
  pages::TExitSetupForm *ExitSetup = nullptr;
  pages::TSelectDirForm *SelectDir = nullptr;
  pages::TSelectComponentsForm *SelectComponents = nullptr;
  pages::TSelectProgramFolderForm *ProgramFolder = nullptr;
  pages::TFinishForm *Finish = nullptr;
  pages::TReadyToInstallForm *Ready = nullptr;
  pages::TInstallAbortedForm *Aborted = nullptr;
};

// Creates the ten page forms in their order.
struct OwnedPages {
  std::vector<std::unique_ptr<ui::TForm>> Forms;
  WizardPages Pages;
};
OwnedPages CreatePages(ui::TApplication &App, pages::WizardNavigator &Nav);

class TForm1 : public ui::TForm, public pages::WizardNavigator {
public:
  TForm1(ui::TApplication &App, const platform::Platform &System, SetupWindowHost &Host);
  ~TForm1() override;

  void AttachPages(const WizardPages &Pages);

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormCloseQuery(bool &CanClose);
  void CancelButtonClick();
  void FormDestroy();

  // The navigator.
  void ShowWizardPage(uint16_t Code, bool Forward) override;
  ui::TForm *CurrentPage() const override { return FCurrentPage; }
  void RunInstallation();

  // "%TITLE%" in any letter case replaced by the setup title.
  std::string ExpandTitleMacro(const std::string &Text) const;
  void ExpandTitleMacro(ui::TRichEdit &Box) const;

  // Background and animations.
  void ComposeBackground();
  void CreateGroupAnimations();
  void ShowGroupAnimation(AnimationRecord &R, bool Visible);
  void ShowAnimationsForGroup(const package::GroupType &Group, bool Visible);
  void FreeGroupAnimations();
  // The paint buffer with each animation's current frame, onto Target.
  void PaintTo(controls::Canvas &Target);

  package::TOpenFileType &Model() { return FModel; }
  const WizardPages &Pages() const { return FPages; }
  const std::vector<std::unique_ptr<AnimationRecord>> &Animations() const { return FAnimations; }
  controls::Canvas *BackgroundImage() const { return FBackgroundImage.get(); }
  const platform::OsVersionInfo &VersionInfo() const { return FVersionInfo; }
  uint8_t OSCode();
  // The destination aliases that path expansion reads.
  const DestinationAliasSource *DestinationAliases() const {
    if (FPages.Destination)
      return &FPages.Destination->Rows();
    return &FDestinationRows;
  }
  MinimalDestinationRows &DestinationRows() { return FDestinationRows; }
  // The machine as path expansion sees it, with the destination aliases.
  PathContext PathMachine() { return {*FSystem.Files, *FSystem.Reg, DestinationAliases()}; }
  const platform::Platform &System() const { return FSystem; }
  // The script's starting colour, which the window shows before the
  // background is composed.
  uint32_t Color = 0;

  bool FCancelRequested = false;
  bool FInstalling = false;
  uint64_t FFilesPosition = 0;
  bool FWizardStarted = false;

  // Controls.
  ui::TImage *JPGimageRegistrator;
  ui::TPanel *StatusPanel;
  ui::TLabel *Label1, *Label2;
  ui::TProgressBar *VemoProgressBar1;
  ui::TButton *CancelButton;
  ui::TRichEdit *ProductCommercialMemo;

private:
  void ShowPage(ui::TForm &Page);
  // Messages of the start-up: an error box, then the window closes.
  void Fatal(const std::string &Text);
  void LoadPictures(platform::File &File, uint64_t Position, const package::TEntryHeader &H);
  void FillPageTexts();
  void EvaluateSetupTypes();
  void LayOutPages();

  platform::Platform FSystem;
  SetupWindowHost &FHost;
  package::TOpenFileType FModel;
  WizardPages FPages;
  ui::TForm *FCurrentPage = nullptr;
  bool FFirstShow = true;
  std::unique_ptr<controls::Canvas> FBackgroundImage;
  std::unique_ptr<controls::Canvas> FPaintBuffer;
  std::vector<std::unique_ptr<AnimationRecord>> FAnimations;
  platform::OsVersionInfo FVersionInfo;
  TempNameRandom FRandom;
  MinimalDestinationRows FDestinationRows;
  // The folder table when no program folder page exists: empty, so the
  // shortcut phase makes no program folders.
  pages::ProgramFolderList FNoProgramFolders;
};

} // namespace driver
