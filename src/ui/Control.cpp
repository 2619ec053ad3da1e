#include "ui/Control.h"

#include "ui/Form.h"

namespace ui {

TControl::TControl(TForm &Form, TControl *Parent, ControlKind Kind, std::string Name)
    : FForm(Form), FParent(Parent), FKind(Kind), FName(std::move(Name)),
      FIndex(Form.NextControlIndex()) {}

TControl::~TControl() = default;

void TControl::SetBounds(int L, int T, int W, int H) {
  if (L == FLeft && T == FTop && W == FWidth && H == FHeight)
    return;
  FLeft = L;
  FTop = T;
  FWidth = W;
  FHeight = H;
  Changed(ControlChange::Bounds);
}

void TControl::SetVisible(bool V) {
  if (V == FVisible)
    return;
  FVisible = V;
  Changed(ControlChange::Visible);
}

bool TControl::Showing() const {
  for (const TControl *C = this; C; C = C->FParent)
    if (!C->FVisible)
      return false;
  return true;
}

void TControl::SetEnabled(bool V) {
  if (V == FEnabled)
    return;
  FEnabled = V;
  Changed(ControlChange::Enabled);
}

void TControl::SetCaption(const std::string &V) {
  FCaption = V;
  Changed(ControlChange::Caption);
}

void TControl::SetTabStop(bool V) {
  FTabStop = V;
  Changed(ControlChange::Style);
}

void TControl::SetFont(const controls::Font &V) {
  FFont = V;
  Changed(ControlChange::Style);
}

void TControl::SetFocus() {
  FForm.FocusControl(*this);
}

TButton::TButton(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Button, std::move(Name)) {
  FTabStop = true;
  SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool V) {
  FDefault = V;
  Changed(ControlChange::Style);
}

void TButton::Click() {
  if (!Enabled() || !Showing())
    return;
  if (OnClick)
    OnClick(*this);
  if (ModalResult != MrNone)
    Form().SetModalResult(ModalResult);
}

TLabel::TLabel(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Label, std::move(Name)) {}

void TLabel::SetWordWrap(bool V) {
  FWordWrap = V;
  Changed(ControlChange::Style);
}

void TLabel::SetAlignment(TextAlign V) {
  FAlignment = V;
  Changed(ControlChange::Style);
}

TEdit::TEdit(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Edit, std::move(Name)) {
  FTabStop = true;
  SetBounds(0, 0, 121, 21);
}

void TEdit::SetReadOnly(bool V) {
  FReadOnly = V;
  Changed(ControlChange::Style);
}

TRichEdit::TRichEdit(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::RichEdit, std::move(Name)) {
  FTabStop = true;
}

void TRichEdit::SetLines(std::vector<std::string> V) {
  FLines = std::move(V);
  Changed(ControlChange::Content);
}

void TRichEdit::ClearLines() {
  SetLines({});
}

void TRichEdit::AddLine(const std::string &Line) {
  FLines.push_back(Line);
  Changed(ControlChange::Content);
}

std::string TRichEdit::Text() const {
  std::string T;
  for (size_t I = 0; I < FLines.size(); ++I) {
    if (I)
      T += "\r\n";
    T += FLines[I];
  }
  return T;
}

void TRichEdit::SetReadOnly(bool V) {
  FReadOnly = V;
  Changed(ControlChange::Style);
}
void TRichEdit::SetBordered(bool V) {
  FBordered = V;
  Changed(ControlChange::Style);
}
void TRichEdit::SetScrolling(ScrollBars V) {
  FScroll = V;
  Changed(ControlChange::Style);
}
void TRichEdit::SetWordWrap(bool V) {
  FWordWrap = V;
  Changed(ControlChange::Style);
}
void TRichEdit::SetAlignment(TextAlign V) {
  FAlignment = V;
  Changed(ControlChange::Style);
}
void TRichEdit::SetParentColor(bool V) {
  FParentColor = V;
  Changed(ControlChange::Style);
}

TImage::TImage(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Image, std::move(Name)) {}

void TImage::SetPicture(const controls::Bitmap &V) {
  FPicture = V;
  if (FAutoSize && !FPicture.Empty())
    SetBounds(Left(), Top(), FPicture.Width, FPicture.Height);
  Changed(ControlChange::Content);
}

void TImage::SetAutoSize(bool V) {
  FAutoSize = V;
  if (FAutoSize && !FPicture.Empty())
    SetBounds(Left(), Top(), FPicture.Width, FPicture.Height);
}

void TImage::SetIcon(StockIcon V) {
  FIcon = V;
  Changed(ControlChange::Content);
}

TBevel::TBevel(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Bevel, std::move(Name)) {}

void TBevel::SetShape(BevelShape V) {
  FShape = V;
  Changed(ControlChange::Style);
}

TScrollBox::TScrollBox(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::ScrollBox, std::move(Name)) {}

void TScrollBox::SetBordered(bool V) {
  FBordered = V;
  Changed(ControlChange::Style);
}
void TScrollBox::SetHorzScrollBar(bool V) {
  FHorz = V;
  Changed(ControlChange::Style);
}

TPanel::TPanel(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::Panel, std::move(Name)) {}

void TPanel::SetBorderWidth(int V) {
  FBorderWidth = V;
  Changed(ControlChange::Style);
}

TTreeList::TTreeList(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::TreeList, std::move(Name)),
      FList(std::make_unique<controls::TVemoTreeViewList>(NewControlCanvas())) {
  FTabStop = true;
  SetBounds(0, 0, 200, 200);
}

void TTreeList::SetBordered(bool V) {
  FBordered = V;
  Changed(ControlChange::Style);
}

TListBox::TListBox(TForm &Form, TControl *Parent, std::string Name, ControlKind Kind)
    : TControl(Form, Parent, Kind, std::move(Name)) {
  FTabStop = true;
}

void TListBox::SetItems(std::vector<std::string> V) {
  FItems = std::move(V);
  FItemIndex = -1;
  Changed(ControlChange::Content);
}

void TListBox::ClearItems() {
  SetItems({});
}

void TListBox::AddItem(const std::string &Item) {
  FItems.push_back(Item);
  Changed(ControlChange::Content);
}

void TListBox::SetItemIndex(int V) {
  FItemIndex = V >= 0 && V < static_cast<int>(FItems.size()) ? V : -1;
  Changed(ControlChange::Content);
}

void TListBox::ItemPicked(int Index) {
  FItemIndex = Index >= 0 && Index < static_cast<int>(FItems.size()) ? Index : -1;
  if (OnChange)
    OnChange(*this);
}

TComboBox::TComboBox(TForm &Form, TControl *Parent, std::string Name)
    : TListBox(Form, Parent, std::move(Name), ControlKind::ComboBox) {}

TProgressBar::TProgressBar(TForm &Form, TControl *Parent, std::string Name)
    : TControl(Form, Parent, ControlKind::ProgressBar, std::move(Name)) {
  SetBounds(0, 0, 200, 17);
}

} // namespace ui
