// The ready page (code 60): the summary of what will be created and the
// Install button.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TReadyToInstallForm : public TWizardPage {
public:
  TReadyToInstallForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Install: the installation closes the page itself
  void Button2Click(); // Cancel
  void Button4Click(); // Back

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TBevel *Bevel1;
  ui::TRichEdit *RichEdit2;
  ui::TButton *Button4, *Button1, *Button2;
};

} // namespace pages
