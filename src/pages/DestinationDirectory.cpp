#include "pages/DestinationDirectory.h"

namespace pages {

TDestinationDirectoryForm::TDestinationDirectoryForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "DestinationDirectoryForm", "Destination Location", 467, 339) {
  SetStayOnTop(true);
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 49);
  ScrollBox1 = &Add<ui::TScrollBox>(nullptr, "ScrollBox1");
  ScrollBox1->SetBounds(144, 72, 310, 204);
  ScrollBox1->SetBordered(false);
  ScrollBox1->SetHorzScrollBar(false);
  ScrollBox1->SetTabStop(false);
  Label1 = &Add<ui::TLabel>(ScrollBox1, "Label1");
  Label1->SetBounds(0, 0, 80, 13);
  Label1->SetCaption("Program Files:");
  Label1->SetVisible(false);
  Edit1 = &Add<ui::TEdit>(ScrollBox1, "Edit1");
  Edit1->SetBounds(12, 14, 205, 22);
  Edit1->SetVisible(false);
  Button3 = &Add<ui::TButton>(ScrollBox1, "Button3");
  Button3->SetBounds(223, 14, 67, 22);
  Button3->SetCaption("B&rowse...");
  Button3->SetVisible(false);
  Bevel1 = &AddBevel(16, 288, 438);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
}

void TDestinationDirectoryForm::Button1Click() {
  PageButton(PageProgramFolder, true);
}
void TDestinationDirectoryForm::Button2Click() {
  CancelButton();
}
void TDestinationDirectoryForm::Button4Click() {
  PageButton(PageComponents, false);
}

} // namespace pages
