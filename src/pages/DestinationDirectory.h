// The destination page (code 40): one row per directory alias in a scroll
// box, copied from the three invisible templates inside it.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TDestinationDirectoryForm : public TWizardPage {
public:
  TDestinationDirectoryForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next
  void Button2Click(); // Cancel
  void Button4Click(); // Back

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TScrollBox *ScrollBox1;
  // Row templates inside the scroll box.
  ui::TLabel *Label1;
  ui::TEdit *Edit1;
  ui::TButton *Button3;
  ui::TBevel *Bevel1;
  ui::TButton *Button4, *Button1, *Button2;
};

} // namespace pages
