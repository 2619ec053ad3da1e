#include "pages/WizardPage.h"

namespace pages {

TWizardPage::TWizardPage(ui::TApplication &App, WizardNavigator &Nav, std::string Name,
                         std::string Caption, int ClientWidth, int ClientHeight)
    : ui::TForm(App, std::move(Name), std::move(Caption), ClientWidth, ClientHeight), FNav(Nav) {
  // A close that no page button asked for is a request to leave the wizard:
  // it goes ahead only when the user chose to exit.
  OnCloseQuery = [this](ui::TForm &, bool &CanClose) {
    if (FClosingByButton)
      return;
    FNav.ShowWizardPage(PageExit, true);
    CanClose = Application().Terminated();
  };
}

void TWizardPage::PageButton(uint16_t Code, bool Forward, bool KeepPage) {
  FClosingByButton = true;
  FNav.ShowWizardPage(Code, Forward);
  if (!KeepPage && FNav.CurrentPage() != this)
    Close();
  FClosingByButton = false;
}

void TWizardPage::CancelButton() {
  FNav.ShowWizardPage(PageExit, true);
}

ui::TImage &TWizardPage::AddLogo(int Left, int Top, int Width, int Height) {
  auto &I = Add<ui::TImage>(nullptr, "Image1");
  I.SetBounds(Left, Top, Width, Height);
  I.SetAutoSize(true);
  return I;
}

ui::TImage &TWizardPage::AddIcon(const std::string &Name, int Left, int Top) {
  auto &I = Add<ui::TImage>(nullptr, Name);
  I.SetBounds(Left, Top, 32, 32);
  I.SetIcon(ui::StockIcon::Information);
  return I;
}

ui::TRichEdit &TWizardPage::AddTextBox(const std::string &Name, int Left, int Top, int Width,
                                       int Height, std::vector<std::string> Lines) {
  auto &R = Add<ui::TRichEdit>(nullptr, Name);
  R.SetBounds(Left, Top, Width, Height);
  R.SetBordered(false);
  R.SetReadOnly(true);
  R.SetParentColor(true);
  R.SetTabStop(false);
  R.SetEnabled(false);
  R.SetLines(std::move(Lines));
  return R;
}

ui::TBevel &TWizardPage::AddBevel(int Left, int Top, int Width) {
  auto &B = Add<ui::TBevel>(nullptr, "Bevel1");
  B.SetBounds(Left, Top, Width, 2);
  return B;
}

ui::TButton &TWizardPage::AddButton(const std::string &Name, const std::string &Caption, int Tag,
                                    bool Default) {
  auto &B = Add<ui::TButton>(nullptr, Name);
  B.SetCaption(Caption);
  B.Tag = Tag;
  B.SetDefault(Default);
  // Design places; the layout puts them into their slots.
  B.SetBounds(ClientWidth() - 16 - 75 * (4 - Tag) - 8 * (3 - Tag), ClientHeight() - 33, 75, 25);
  return B;
}

ui::TLabel &TWizardPage::AddLabel(const std::string &Name, const std::string &Caption, int Left,
                                  int Top, int Width, int Height, bool WordWrap) {
  auto &L = Add<ui::TLabel>(nullptr, Name);
  L.SetBounds(Left, Top, Width, Height);
  L.SetCaption(Caption);
  L.SetWordWrap(WordWrap);
  return L;
}

} // namespace pages
