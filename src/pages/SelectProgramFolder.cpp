#include "pages/SelectProgramFolder.h"

namespace pages {

TSelectProgramFolderForm::TSelectProgramFolderForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "SelectProgramFolderForm", "Select Program Folder", 470, 339) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 49);
  Label1 = &AddLabel("Label1", "&Program Folders:", 144, 72, 90, 13);
  Edit1 = &Add<ui::TEdit>(nullptr, "Edit1");
  Edit1->SetBounds(144, 88, 310, 21);
  Label2 = &AddLabel("Label2", "E&xisting Folders:", 144, 120, 200, 13);
  VemoTreeViewList1 = &Add<ui::TTreeList>(nullptr, "VemoTreeViewList1");
  VemoTreeViewList1->SetBounds(144, 136, 310, 140);
  VemoTreeViewList1->SetTabStop(false);
  auto &L = VemoTreeViewList1->List();
  L.SetShowButtons(true);
  L.SetShowLines(false);
  L.SetShowRoot(true);
  L.SetShowCheckBoxes(false);
  Bevel1 = &AddBevel(16, 288, 438);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
}

void TSelectProgramFolderForm::Button1Click() {
  if (BeforeNext && !BeforeNext())
    return;
  PageButton(PageReady, true);
}
void TSelectProgramFolderForm::Button2Click() {
  CancelButton();
}
void TSelectProgramFolderForm::Button4Click() {
  if (BeforeBack && !BeforeBack())
    return;
  PageButton(PageDestination, false);
}

} // namespace pages
