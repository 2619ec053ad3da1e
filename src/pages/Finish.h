// The finish page (code 800): the installation ended; its button or any
// close ends the program.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TFinishForm : public TWizardPage {
public:
  TFinishForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Finish

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1, *RichEdit2;
  ui::TButton *Button4, *Button1;
  ui::TBevel *Bevel1;
};

// The end pages' common behaviour: no close query, closing terminates.
void MakeEndPage(TWizardPage &Page, ui::TButton &Back, ui::TButton &Close);

} // namespace pages
