#include "driver/mainform/PageLayout.h"

#include <algorithm>

namespace driver {

const char TextHeightSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC6\xD8\xC5"
                                "abcdefghijklmnopqrstuvwxyz\xE6\xF8\xE5";

std::vector<std::string> WrapLine(controls::Canvas &C, const controls::Font &F,
                                  const std::string &Text, int Width) {
  std::vector<std::string> Out;
  std::string Line;
  size_t P = 0;
  while (P < Text.size()) {
    size_t Blank = Text.find(' ', P);
    size_t End = Blank == std::string::npos ? Text.size() : Blank + 1;
    const std::string Word = Text.substr(P, End - P);
    const std::string Bare = Blank == std::string::npos ? Word : Word.substr(0, Word.size() - 1);
    P = End;
    if (Line.empty() || C.TextExtent(Line + Bare, F).Cx < Width) {
      Line += Word;
    } else {
      Out.push_back(Line);
      Line = Word;
    }
  }
  if (!Line.empty())
    Out.push_back(Line);
  return Out;
}

namespace {

// The box's client width: its width less the border.
int ClientWidthOf(const ui::TRichEdit &Box) {
  int W = Box.Width() - (Box.Bordered() ? 4 : 0);
  if (Box.Scrolling() != ui::ScrollBars::None)
    W -= 16;
  return W;
}

bool OnPage(const ui::TControl &C) {
  return C.Parent() == nullptr;
}

} // namespace

int TextHeight(controls::Canvas &C, const ui::TRichEdit &Box) {
  const controls::Font &F = Box.Font();
  const int W = ClientWidthOf(Box);
  int H = 0;
  for (const std::string &Line : Box.Lines()) {
    if (Line.empty()) {
      H += C.TextExtent(TextHeightSample, F).Cy;
      continue;
    }
    for (const std::string &Part : WrapLine(C, F, Line, W))
      H += C.TextExtent(Part, F).Cy;
  }
  return H;
}

void PlaceWizardButtons(ui::TForm &Page) {
  for (const auto &P : Page.Controls()) {
    ui::TControl &B = *P;
    if (B.Kind() != ui::ControlKind::Button || !OnPage(B) || B.Tag < 1 || B.Tag > 3)
      continue;
    int Sum = 0;
    for (int I = B.Tag - 1; I < 3; ++I)
      Sum += WizardButtonOffsets[I];
    B.SetBounds(Page.ClientWidth() - 16 - Sum, Page.ClientHeight() - 8 - B.Height(), B.Width(),
                B.Height());
  }
}

void LayoutPage(ui::TForm &Page, const ui::TImage *Logo, int TextLeft, controls::Canvas &C) {
  int S;
  if (Logo) {
    S = TextLeft - Logo->Left();
    if (!Logo->Picture().Empty())
      S -= Logo->Width() + 16;
  } else {
    S = TextLeft - 16;
  }
  int MaxRight = 0, MaxBottom = 0;
  for (const auto &P : Page.Controls()) {
    ui::TControl &Ctl = *P;
    if (!OnPage(Ctl))
      continue;
    MaxRight = std::max(MaxRight, Ctl.Right());
    MaxBottom = std::max(MaxBottom, Ctl.Bottom());
    if (Ctl.Kind() == ui::ControlKind::Bevel) {
      Ctl.SetWidth(Ctl.Width() - S);
      continue;
    }
    if (&Ctl == Logo)
      continue;
    Ctl.SetLeft(Ctl.Left() - S);
    if (Ctl.Kind() == ui::ControlKind::RichEdit) {
      auto &R = static_cast<ui::TRichEdit &>(Ctl);
      if (R.Scrolling() == ui::ScrollBars::None)
        R.SetHeight(TextHeight(C, R));
    }
  }
  Page.SetClientSize(MaxRight - S + 16, MaxBottom + 8);
  PlaceWizardButtons(Page);
}

void FitPageToSize(ui::TForm &Page, int W, int H, controls::Canvas &C) {
  const int Dx = W - Page.Width(), Dy = H - Page.Height();
  Page.SetOuterSize(W, H);
  for (const auto &P : Page.Controls()) {
    ui::TControl &Ctl = *P;
    if (!OnPage(Ctl))
      continue;
    switch (Ctl.Kind()) {
    case ui::ControlKind::Bevel:
      Ctl.SetBounds(Ctl.Left(), Ctl.Top() + Dy, Ctl.Width() + Dx, Ctl.Height());
      break;
    case ui::ControlKind::RichEdit: {
      auto &R = static_cast<ui::TRichEdit &>(Ctl);
      R.SetBounds(R.Left(), R.Top(), R.Width() + Dx, R.Height() + Dy);
      if (R.Scrolling() == ui::ScrollBars::None)
        R.SetHeight(TextHeight(C, R));
      break;
    }
    case ui::ControlKind::Button:
      Ctl.SetBounds(Ctl.Left() + Dx, Ctl.Top() + Dy, Ctl.Width(), Ctl.Height());
      break;
    case ui::ControlKind::Image:
      break;
    default:
      Ctl.SetBounds(Ctl.Left(), Ctl.Top(), Ctl.Width() + Dx, Ctl.Height() + Dy);
      break;
    }
  }
  PlaceWizardButtons(Page);
}

} // namespace driver
