#include "pages/LicenseAgreement.h"

namespace pages {

TLicenseAgreementForm::TLicenseAgreementForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "LicenseAgreementForm", "Software License Agreement", 467, 339) {
  SetStayOnTop(true);
  Image2 = &AddIcon("Image2", 16, 16);
  Image2->SetIcon(ui::StockIcon::Question);
  Label1 = &AddLabel("Label1",
                     "Please read the following License Agreement. Use the scroll bar to view the "
                     "rest of the agreement.",
                     57, 16, 394, 33, true);
  RichEdit1 = &Add<ui::TRichEdit>(nullptr, "RichEdit1");
  RichEdit1->SetBounds(16, 58, 438, 191);
  RichEdit1->SetReadOnly(true);
  RichEdit1->SetScrolling(ui::ScrollBars::Vertical);
  RichEdit1->SetParentColor(true);
  Label2 = &AddLabel("Label2",
                     "Do you accept all the terms of the preceding License Agreement? If you "
                     "choose No, Setup will close. To Install %Title%, you must accept this "
                     "agreement.",
                     16, 256, 436, 41, true);
  Button1 = &AddButton("Button1", "< &Back", SlotBack);
  Button2 = &AddButton("Button2", "&Yes", SlotForward, true);
  Button3 = &AddButton("Button3", "&No", SlotCancel);
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
  Button3->OnClick = [this](ui::TButton &) { Button3Click(); };
}

void TLicenseAgreementForm::Button1Click() {
  PageButton(PageWelcome, false);
}
void TLicenseAgreementForm::Button2Click() {
  PageButton(PageComponents, true);
}
void TLicenseAgreementForm::Button3Click() {
  CancelButton();
}

} // namespace pages
