#include "pages/Welcome.h"

namespace pages {

TWelcomeForm::TWelcomeForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "WelcomeForm", "Welcome", 467, 339) {
  SetStayOnTop(true);
  Image1 = &AddLogo();
  Image2 = &AddIcon("Image2", 144, 16);
  Image2->SetIcon(ui::StockIcon::Application);
  RichEdit1 = &AddTextBox("RichEdit1", 208, 16, 246, 57);
  RichEdit2 = &AddTextBox("RichEdit2", 144, 72, 310, 201);
  Bevel1 = &AddBevel(16, 288, 438);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
}

void TWelcomeForm::Button1Click() {
  PageButton(PageLicense, true);
}
void TWelcomeForm::Button2Click() {
  CancelButton();
}

} // namespace pages
