#include "pages/SelectComponents.h"

#include "pages/ComponentChoice.h"

namespace pages {

TSelectComponentsForm::TSelectComponentsForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "SelectComponentsForm", "Select Components", 467, 340) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 57,
                          {"Select the components you want to install, clear the components you "
                           "do not want to install."});
  Label1 = &AddLabel("Label1", "&Components", 144, 72, 62, 13);
  VemoTreeViewList1 = &Add<ui::TTreeList>(nullptr, "VemoTreeViewList1");
  VemoTreeViewList1->SetBounds(144, 88, 310, 153);
  VemoTreeViewList1->SetTabStop(false);
  auto &L = VemoTreeViewList1->List();
  L.SetShowButtons(false);
  L.SetShowLines(false);
  L.SetShowRoot(false);
  L.SetShowCheckBoxes(true);
  L.SetIndent(19);
  Label2 = &AddLabel("Label2", "Space Required:", 144, 248, 80, 13);
  Label3 = &AddLabel("Label3", "", 304, 248, 150, 13);
  Label3->SetAlignment(ui::TextAlign::Right);
  Bevel1 = &AddBevel(16, 288, 438);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
  Label3->SetCaption("0K");
  L.OnChecked = [this](controls::TVemoTreeViewList &, controls::TVemoTreeViewItem *Item) {
    if (Item)
      VemoTreeViewList1Checked(*Item);
  };
  SelectionCheck = [this] { return CheckSelection(); };
  OnShow = [this](ui::TForm &) { UpdateSpaceRequired(); };
}

void TSelectComponentsForm::Button1Click() {
  if (SelectionCheck && !SelectionCheck())
    return;
  PageButton(PageDestination, true);
}
void TSelectComponentsForm::Button2Click() {
  CancelButton();
}
void TSelectComponentsForm::Button4Click() {
  PageButton(PageLicense, false);
}

void TSelectComponentsForm::VemoTreeViewList1Checked(controls::TVemoTreeViewItem &Item) {
  if (!Services.Model)
    return;
  ApplyCheckRules(*Services.Model, VemoTreeViewList1->List(), Item);
  UpdateSpaceRequired();
}

void TSelectComponentsForm::UpdateSpaceRequired() {
  if (Services.Model)
    Label3->SetCaption(SpaceRequiredText(*Services.Model));
}

bool TSelectComponentsForm::CheckSelection() {
  if (AnyComponentChecked(VemoTreeViewList1->List()))
    return true;
  bool Multi = Services.Model && Services.Model->MultiSelectSetupTypes;
  if (Services.Msg)
    Services.Msg->ShowMessage(EmptySelectionWarning(Multi), "Warning",
                              platform::MbOk | platform::MbIconWarning);
  return false;
}

} // namespace pages
