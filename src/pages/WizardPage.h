// What every page form shares: the page furniture (logo, text box, bevel,
// buttons in their Tag slots), the button protocol and the close query that
// turns an unrequested close into the exit confirmation.
#pragma once

#include "ui/Form.h"

#include <cstdint>

namespace pages {

// Page codes.
enum : uint16_t {
  PageWelcome = 10,
  PageLicense = 20,
  PageComponents = 30,
  PageDestination = 40,
  PageProgramFolder = 50,
  PageReady = 60,
  PageInstall = 500,
  PageFinish = 800,
  PageAborted = 900,
  PageExit = 1000,
};

// Button slots, in the buttons' Tag.
enum : int { SlotBack = 1, SlotForward = 2, SlotCancel = 3 };

// The setup window's navigator, as the pages reach it.
class WizardNavigator {
public:
  virtual ~WizardNavigator() = default;
  virtual void ShowWizardPage(uint16_t Code, bool Forward) = 0;
  // The page the navigator showed last (null before the first).
  virtual ui::TForm *CurrentPage() const { return nullptr; }
};

class TWizardPage : public ui::TForm {
public:
  TWizardPage(ui::TApplication &App, WizardNavigator &Nav, std::string Name, std::string Caption,
              int ClientWidth, int ClientHeight);

  bool ClosingByButton() const { return FClosingByButton; }

  // A page button: Back or forward. Marks the close as the button's, calls
  // the navigator, hides the page (unless KeepPage, or unless the navigator
  // came back to this very page, as Back does when every page before it is
  // switched off) and clears the mark.
  void PageButton(uint16_t Code, bool Forward, bool KeepPage = false);
  // Cancel and No: only the exit confirmation.
  void CancelButton();

  // Page furniture, created by the pages in their design order.
  ui::TImage &AddLogo(int Left = 16, int Top = 16, int Width = 113, int Height = 260);
  ui::TImage &AddIcon(const std::string &Name, int Left, int Top);
  // A borderless, disabled, read-only text box on the page's face colour.
  ui::TRichEdit &AddTextBox(const std::string &Name, int Left, int Top, int Width, int Height,
                            std::vector<std::string> Lines = {});
  ui::TBevel &AddBevel(int Left, int Top, int Width);
  ui::TButton &AddButton(const std::string &Name, const std::string &Caption, int Tag,
                         bool Default = false);
  ui::TLabel &AddLabel(const std::string &Name, const std::string &Caption, int Left, int Top,
                       int Width, int Height, bool WordWrap = false);

protected:
  WizardNavigator &FNav;
  bool FClosingByButton = false;
};

} // namespace pages
