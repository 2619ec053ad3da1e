// The licence page (code 20): the licence text and the question whether the
// user accepts it.
#pragma once

#include "pages/WizardPage.h"

namespace pages {

class TLicenseAgreementForm : public TWizardPage {
public:
  TLicenseAgreementForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Back
  void Button2Click(); // Yes
  void Button3Click(); // No

  ui::TImage *Image2;
  ui::TLabel *Label1, *Label2;
  ui::TRichEdit *RichEdit1;
  ui::TButton *Button1, *Button2, *Button3;
};

} // namespace pages
