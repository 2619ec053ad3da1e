// The installation-aborted page (code 900): the installation was cancelled
// and rolled back; its button or any close ends the program.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TInstallAbortedForm : public TWizardPage {
public:
  TInstallAbortedForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Close

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1, *RichEdit2;
  ui::TButton *Button4, *Button1;
  ui::TBevel *Bevel1;
};

} // namespace pages
