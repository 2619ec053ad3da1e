#include "pages/ReadyToInstall.h"

namespace pages {

TReadyToInstallForm::TReadyToInstallForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "ReadyToInstallForm", "Ready to install", 471, 339) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 65,
                          {"Setup is now ready to install %TITLE% on your computer.", "",
                           "Below you see a list of what the installation program will install."});
  Bevel1 = &AddBevel(16, 288, 438);
  RichEdit2 = &Add<ui::TRichEdit>(nullptr, "RichEdit2");
  RichEdit2->SetBounds(144, 88, 310, 188);
  RichEdit2->SetReadOnly(true);
  RichEdit2->SetScrolling(ui::ScrollBars::Vertical);
  RichEdit2->SetWordWrap(true);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "Install", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
  OnShow = [this](ui::TForm &) { FormShow(); };
}

void TReadyToInstallForm::Button1Click() {
  PageButton(PageInstall, true, true);
}
void TReadyToInstallForm::Button2Click() {
  CancelButton();
}
void TReadyToInstallForm::Button4Click() {
  PageButton(PageProgramFolder, false);
}

void TReadyToInstallForm::PrepareSummary(const install::ProgramFolderTable &Folders,
                                         const DirectoryRows &Rows) {
  if (Services.Model && Services.Files && Services.Reg)
    FSummary.PrepareSummary(*Services.Model, Folders, Rows, *Services.Files, *Services.Reg);
  else
    FSummary.ClearSummaryLists();
}

void TReadyToInstallForm::FormShow() {
  RichEdit2->SetLines(FSummary.SummaryLines());
}

} // namespace pages
