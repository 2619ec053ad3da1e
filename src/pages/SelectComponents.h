// The component page (code 30): the setup types as a check list and the
// space they need.
#pragma once

#include "pages/PageServices.h"
#include "pages/WizardPage.h"

namespace pages {

class TSelectComponentsForm : public TWizardPage {
public:
  TSelectComponentsForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next, when the selection check passes
  void Button2Click(); // Cancel
  void Button4Click(); // Back
  // The check before Next; true lets the wizard go on.
  std::function<bool()> SelectionCheck;
  // The check rules after the list flipped an entry's mark.
  void VemoTreeViewList1Checked(controls::TVemoTreeViewItem &Item);
  // The space the selection needs, into Label3.
  void UpdateSpaceRequired();
  // Next's check: at least one entry checked, else the warning.
  bool CheckSelection();

  PageServices Services;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TLabel *Label1, *Label2, *Label3;
  ui::TTreeList *VemoTreeViewList1;
  ui::TBevel *Bevel1;
  ui::TButton *Button4, *Button1, *Button2;
};

} // namespace pages
