#include "pages/Finish.h"

namespace pages {

void MakeEndPage(TWizardPage &Page, ui::TButton &Back, ui::TButton &Close) {
  Back.SetEnabled(false);
  Page.OnCloseQuery = nullptr;
  Page.OnClose = [](ui::TForm &F) { F.Application().Terminate(); };
  Close.OnClick = [](ui::TButton &B) { B.Form().Application().Terminate(); };
}

TFinishForm::TFinishForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "FinishForm", "Setup Complete", 467, 339) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 297, 81,
                          {"Setup has finished installing %TITLE% on your computer."});
  RichEdit2 = &AddTextBox("RichEdit2", 144, 192, 297, 41, {"Click Finish to complete Setup."});
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "Finish", SlotForward, true);
  Bevel1 = &AddBevel(16, 288, 438);
  MakeEndPage(*this, *Button4, *Button1);
}

void TFinishForm::Button1Click() {
  Button1->Click();
}

} // namespace pages
