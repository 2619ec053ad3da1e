// The welcome page (code 10): logo, icon, headline and body text.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TWelcomeForm : public TWizardPage {
public:
  TWelcomeForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next
  void Button2Click(); // Cancel

  ui::TImage *Image1, *Image2;
  ui::TRichEdit *RichEdit1, *RichEdit2;
  ui::TBevel *Bevel1;
  ui::TButton *Button1, *Button2;
};

} // namespace pages
