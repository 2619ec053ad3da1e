// The program folder page (code 50): the name of each program folder to
// create and the folders that exist already.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TSelectProgramFolderForm : public TWizardPage {
public:
  TSelectProgramFolderForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next
  void Button2Click(); // Cancel
  void Button4Click(); // Back
  // The page's own stepping through its folders before Back or Next leave
  // it; true lets the wizard go on.
  std::function<bool()> BeforeNext;
  std::function<bool()> BeforeBack;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TLabel *Label1;
  ui::TEdit *Edit1;
  ui::TLabel *Label2;
  ui::TTreeList *VemoTreeViewList1;
  ui::TBevel *Bevel1;
  ui::TButton *Button4, *Button1, *Button2;
};

} // namespace pages
