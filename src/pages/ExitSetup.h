// The exit confirmation (code 1000), modal: "&Resume" goes back to the
// page, "E&xit Setup" ends the program. Escape resumes.
#pragma once

#include "ui/Form.h"

namespace pages {

class TExitSetupForm : public ui::TForm {
public:
  explicit TExitSetupForm(ui::TApplication &App);
  void ResumeButtonClick();
  void ExitSetupButtonClick();
  // Escape resumes, whichever control has the focus.
  bool FormKeyDown(int Key);
  // What the setup window releases before the program ends (its animations).
  std::function<void()> OnExitSetup;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TButton *ResumeButton, *ExitSetupButton;
};

} // namespace pages
