#include "pages/InstallAborted.h"

#include "pages/Finish.h"

namespace pages {

TInstallAbortedForm::TInstallAbortedForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "InstallAbortedForm", "Installation aborted", 467, 339) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox(
      "RichEdit1", 144, 16, 297, 161,
      {"Setup was aborted during installation of %TITLE% on your computer.", "",
       "All files that was installed on your computer by this setup program has been removed.", "",
       "You may run the setup program at a later time to complete the installation."});
  RichEdit2 = &AddTextBox("RichEdit2", 144, 192, 297, 41, {"Click Close to abort Setup."});
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "Close", SlotForward, true);
  Bevel1 = &AddBevel(16, 288, 438);
  MakeEndPage(*this, *Button4, *Button1);
}

void TInstallAbortedForm::Button1Click() {
  Button1->Click();
}

} // namespace pages
