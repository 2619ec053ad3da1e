#include "pages/ExitSetup.h"

namespace pages {

namespace {
constexpr int KeyEscape = 27;
}

TExitSetupForm::TExitSetupForm(ui::TApplication &App)
    : ui::TForm(App, "ExitSetupForm", "Exit Setup", 305, 193) {
  SetCloseBox(false);
  Image1 = &Add<ui::TImage>(nullptr, "Image1");
  Image1->SetBounds(8, 8, 32, 32);
  Image1->SetIcon(ui::StockIcon::Question);
  RichEdit1 = &Add<ui::TRichEdit>(nullptr, "RichEdit1");
  RichEdit1->SetBounds(56, 8, 233, 137);
  RichEdit1->SetBordered(false);
  RichEdit1->SetReadOnly(true);
  RichEdit1->SetParentColor(true);
  RichEdit1->SetTabStop(false);
  RichEdit1->SetEnabled(false);
  RichEdit1->SetLines({"Setup is not complete. If you quit the setup  program now, %Title% will "
                       "not be installed.",
                       "",
                       "You may run the setup program at a later time to complete the "
                       "installation.",
                       "",
                       "To continue installing %Title%, click Resume. To quit the setup "
                       "program, click Exit Setup."});
  ResumeButton = &Add<ui::TButton>(nullptr, "ResumeButton");
  ResumeButton->SetBounds(65, 160, 80, 25);
  ResumeButton->SetCaption("&Resume");
  ResumeButton->SetDefault(true);
  // Escape arrives as the cancel button's click.
  ResumeButton->SetCancel(true);
  ExitSetupButton = &Add<ui::TButton>(nullptr, "ExitSetupButton");
  ExitSetupButton->SetBounds(160, 160, 80, 25);
  ExitSetupButton->SetCaption("E&xit Setup");
  ResumeButton->OnClick = [this](ui::TButton &) { ResumeButtonClick(); };
  ExitSetupButton->OnClick = [this](ui::TButton &) { ExitSetupButtonClick(); };
  OnKeyDown = [this](ui::TForm &, int Key) { return FormKeyDown(Key); };
}

void TExitSetupForm::ResumeButtonClick() {
  SetModalResult(ui::MrCancel);
}

void TExitSetupForm::ExitSetupButtonClick() {
  if (OnExitSetup)
    OnExitSetup();
  Application().Terminate();
  SetModalResult(ui::MrOk);
}

bool TExitSetupForm::FormKeyDown(int Key) {
  if (Key != KeyEscape)
    return false;
  ResumeButton->Click();
  return true;
}

} // namespace pages
