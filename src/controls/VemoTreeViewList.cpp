#include "controls/VemoTreeViewList.h"

#include <algorithm>
#include <cstdlib>

namespace controls {

namespace {

constexpr Pixel LineColor = ClGray;
constexpr Pixel FocusYellow = Rgb(255, 255, 127);

// The tick of a checked box, 9 x 9, rows from the top, bit 8 the leftmost column.
constexpr uint16_t TickMask[9] = {
    0x000, // row 1
    0x002, // row 2: column 8
    0x006, // row 3: columns 7-8
    0x08E, // row 4: columns 2, 6-8
    0x0DC, // row 5: columns 2-3, 5-7
    0x0F8, // row 6: columns 2-6
    0x070, // row 7: columns 3-5
    0x020, // row 8: column 4
    0x000, // row 9
};

} // namespace

// --- TVemoTreeViewItems -----------------------------------------------------

TVemoTreeViewItems::TVemoTreeViewItems(TVemoTreeViewList *Tree, TVemoTreeViewItem *Owner)
    : FTree(Tree), FOwner(Owner) {}

TVemoTreeViewItems::~TVemoTreeViewItems() = default;

TVemoTreeViewItem *TVemoTreeViewItems::Add(const std::string &Text) {
  FList.emplace_back(new TVemoTreeViewItem(FTree, FOwner, FTree->NextItemId()));
  TVemoTreeViewItem *I = FList.back().get();
  I->FText = Text;
  FTree->Invalidate();
  return I;
}

TVemoTreeViewItem *TVemoTreeViewItems::Item(int Index) const {
  if (Index < 0 || Index >= Count())
    return nullptr;
  return FList[static_cast<size_t>(Index)].get();
}

int TVemoTreeViewItems::IndexOf(const TVemoTreeViewItem *I) const {
  for (size_t K = 0; K < FList.size(); ++K)
    if (FList[K].get() == I)
      return static_cast<int>(K);
  return -1;
}

void TVemoTreeViewItems::Clear() {
  FList.clear();
  // The selection and the hit table may have pointed below here.
  FTree->ItemsRemoved();
}

void TVemoTreeViewItems::SetExpanded(bool V) {
  if (FExpanded == V)
    return;
  FExpanded = V;
  FTree->Invalidate();
}

// --- TVemoTreeViewItem ------------------------------------------------------

TVemoTreeViewItem::TVemoTreeViewItem(TVemoTreeViewList *Tree, TVemoTreeViewItem *Owner, uint32_t Id)
    : FTree(Tree), FOwner(Owner), FId(Id), FItems(Tree, this) {}

void TVemoTreeViewItem::SetText(const std::string &V) {
  FText = V;
  FTree->Invalidate();
}

void TVemoTreeViewItem::SetImageIndex(int V) {
  FImageIndex = V;
  FTree->Invalidate();
}

void TVemoTreeViewItem::SetSelectedIndex(int V) {
  FSelectedIndex = V;
  FTree->Invalidate();
}

void TVemoTreeViewItem::SetChecked(bool V) {
  FChecked = V;
  FTree->Invalidate();
}

bool TVemoTreeViewItem::IsSelected() const {
  return FTree->Selected() == this;
}

// --- TVemoImageList ---------------------------------------------------------

int TVemoImageList::Add(const Bitmap &Picture) {
  Image I;
  I.Picture = Picture;
  I.Transparent = Picture.Empty() ? 0 : Picture.At(0, 0);
  FImages.push_back(std::move(I));
  return Count() - 1;
}

void TVemoImageList::Delete(int Index) {
  if (Index >= 0 && Index < Count())
    FImages.erase(FImages.begin() + Index);
}

const TVemoImageList::Image *TVemoImageList::Get(int Index) const {
  if (Index < 0 || Index >= Count())
    return nullptr;
  return &FImages[static_cast<size_t>(Index)];
}

// --- TVemoTreeViewList ------------------------------------------------------

TVemoTreeViewList::TVemoTreeViewList(std::unique_ptr<Canvas> Picture)
    : FPicture(std::move(Picture)), FItems(this, nullptr) {}

TVemoTreeViewList::~TVemoTreeViewList() {
  OnRepaint = nullptr;
}

void TVemoTreeViewList::SetColor(Pixel V) {
  Store(FColor, V);
}
void TVemoTreeViewList::SetFont(const controls::Font &V) {
  Store(FFont, V);
}
void TVemoTreeViewList::SetIndent(int V) {
  Store(FIndent, V);
}
void TVemoTreeViewList::SetShowButtons(bool V) {
  Store(FShowButtons, V);
}
void TVemoTreeViewList::SetShowLines(bool V) {
  Store(FShowLines, V);
}
void TVemoTreeViewList::SetShowRoot(bool V) {
  Store(FShowRoot, V);
}
void TVemoTreeViewList::SetShowCheckBoxes(bool V) {
  Store(FShowCheckBoxes, V);
}

void TVemoTreeViewList::SetSelected(TVemoTreeViewItem *V) {
  if (V && V->TreeView() != this)
    return;
  FSelected = V;
  Invalidate();
}

void TVemoTreeViewList::Invalidate() {
  FNeedsPaint = true;
  if (OnRepaint)
    OnRepaint();
}

void TVemoTreeViewList::ItemsRemoved() {
  FSelected = nullptr;
  FHits.clear();
  Invalidate();
}

int TVemoTreeViewList::RowHeight() const {
  const int H = std::abs(FFont.Height) + 5;
  return H % 2 ? H + 1 : H;
}

int TVemoTreeViewList::LevelShift(const TVemoTreeViewItem &I) const {
  if (I.Owner() || (FShowRoot && (FShowButtons || FShowLines)))
    return FIndent + 1;
  return 0;
}

const TVemoImageList::Image *TVemoTreeViewList::PictureOf(const TVemoTreeViewItem &I) const {
  if (I.IsSelected())
    if (const TVemoImageList::Image *P = FImages.Get(I.SelectedIndex()))
      return P;
  return FImages.Get(I.ImageIndex());
}

void TVemoTreeViewList::MeasureRows(const TVemoTreeViewItems &Items, int X, int &Rows,
                                    int &Widest) {
  for (int K = 0; K < Items.Count(); ++K) {
    const TVemoTreeViewItem &I = *Items.Item(K);
    const int Shift = LevelShift(I);
    int TextX = X + Shift;
    if (const TVemoImageList::Image *P = PictureOf(I))
      TextX += P->Picture.Width + 4;
    if (FShowCheckBoxes)
      TextX += 16;
    Widest = std::max(Widest, TextX + FPicture->TextExtent(I.Text(), FFont).Cx);
    ++Rows;
    if (I.Items().Expanded())
      MeasureRows(I.Items(), X + Shift + (FShowCheckBoxes ? 16 : 0), Rows, Widest);
  }
}

void TVemoTreeViewList::DrawButton(int BX, int M, bool Expanded) {
  Canvas &C = *FPicture;
  C.FillRect({BX - 4, M - 4, BX + 5, M + 5}, LineColor);
  C.FillRect({BX - 3, M - 3, BX + 4, M + 4}, FColor);
  C.FillRect({BX - 2, M, BX + 3, M + 1}, ClBlack);
  if (!Expanded)
    C.FillRect({BX, M - 2, BX + 1, M + 3}, ClBlack);
}

void TVemoTreeViewList::DrawCheckBox(int X, int Y, bool Checked) {
  Canvas &C = *FPicture;
  C.FillRect({X + 2, Y + 2, X + 11, Y + 11}, FColor);
  C.Bevel({X, Y, X + 13, Y + 13}, ClGray, ClWhite);
  C.Bevel({X + 1, Y + 1, X + 12, Y + 12}, ClBlack, ClSilver);
  if (!Checked)
    return;
  for (int Row = 0; Row < 9; ++Row)
    for (int Col = 0; Col < 9; ++Col)
      if (TickMask[Row] & (0x100 >> Col))
        C.SetPixel(X + 2 + Col, Y + 2 + Row, ClBlack);
}

void TVemoTreeViewList::DrawRows(TVemoTreeViewItems &Items, int X, int L, int &Y) {
  Canvas &C = *FPicture;
  const int H = RowHeight();
  for (int K = 0; K < Items.Count(); ++K) {
    TVemoTreeViewItem &I = *Items.Item(K);
    const int Top = Y;
    const int M = Top + H / 2 - 1;
    const int BX = X + (FIndent - 9) / 2 + 3;
    int Cx = X;

    if ((FShowLines || FShowButtons) && (I.Owner() || FShowRoot)) {
      if (FShowLines) {
        C.DottedHLine(BX, X + FIndent - 2, M, LineColor);
        if (L >= 0)
          C.DottedVLine(BX, L, M - 1, LineColor);
      }
      L = M;
      if (I.Items().Count() > 0 && FShowButtons) {
        DrawButton(BX, M, I.Items().Expanded());
        L += 5;
      }
    }

    const int Shift = LevelShift(I);
    Cx += Shift;
    HitRecord R;
    R.A = X;
    R.B = Cx;
    if (const TVemoImageList::Image *P = PictureOf(I)) {
      C.DrawTransparent(Cx, M - P->Picture.Height / 2, P->Picture, P->Transparent);
      Cx += P->Picture.Width + 4;
    }
    if (FShowCheckBoxes) {
      DrawCheckBox(Cx, M - 6, I.Checked());
      Cx += 16;
    }
    R.C = Cx - 2;

    const int TextW = C.TextExtent(I.Text(), FFont).Cx;
    controls::Font F = FFont;
    if (I.IsSelected()) {
      C.FillRect({Cx - 1, Top, Cx + TextW + 1, Top + H - 2}, ClNavy);
      // A dotted frame just outside the highlight, light yellow and black.
      const Rect Frame{Cx - 2, Top - 1, Cx + TextW + 2, Top + H - 1};
      for (int Fx = Frame.Left; Fx < Frame.Right; ++Fx)
        for (int Fy : {Frame.Top, Frame.Bottom - 1})
          C.SetPixel(Fx, Fy, (Fx + Fy) % 2 ? ClBlack : FocusYellow);
      for (int Fy = Frame.Top + 1; Fy < Frame.Bottom - 1; ++Fy)
        for (int Fx : {Frame.Left, Frame.Right - 1})
          C.SetPixel(Fx, Fy, (Fx + Fy) % 2 ? ClBlack : FocusYellow);
      F.Color = ClWhite;
    } else {
      F.Color = ClBlack;
    }
    C.WriteText(Cx, Top, I.Text(), F, nullptr);

    R.Top = Top;
    R.Bottom = Top + H;
    R.Right = Cx + TextW;
    R.Item = &I;
    Y += H;
    FHits.push_back(R);
    if (I.Items().Expanded())
      DrawRows(I.Items(), X + Shift + (FShowCheckBoxes ? 16 : 0), Top + H - 1, Y);
  }
}

void TVemoTreeViewList::Paint() {
  int Rows = 0, Widest = 0;
  MeasureRows(FItems, 4, Rows, Widest);
  const int W = Widest + 6;
  const int H = 3 + Rows * RowHeight();
  if (FPicture->Width() != W || FPicture->Height() != H)
    FPicture->Resize(W, H);
  FPicture->FillRect({0, 0, W, H}, FColor);
  FHits.clear();
  int Y = 3;
  DrawRows(FItems, 4, -1, Y);
  FNeedsPaint = false;
}

std::vector<std::string> TVemoTreeViewList::HitTableLines() const {
  std::vector<std::string> Lines;
  Lines.reserve(FHits.size());
  for (const HitRecord &R : FHits)
    Lines.push_back(std::to_string(R.A) + "," + std::to_string(R.B) + "," + std::to_string(R.C) +
                    "," + std::to_string(R.Top) + "," + std::to_string(R.Bottom) + "," +
                    std::to_string(R.Right) + "," + std::to_string(R.Item->Id()));
  return Lines;
}

TVemoTreeViewItem *TVemoTreeViewList::HitTest(int X, int Y, bool ButtonsActive) {
  const auto It = std::find_if(FHits.begin(), FHits.end(),
                               [Y](const HitRecord &R) { return R.Top <= Y && Y < R.Bottom; });
  if (It == FHits.end())
    return nullptr;
  // A copy: the handlers below may repaint or clear and so rebuild the table.
  const HitRecord R = *It;
  if (R.C <= X && X <= R.Right)
    return R.Item;
  if (!ButtonsActive)
    return nullptr;
  if (R.A <= X && X < R.B) {
    R.Item->Items().SetExpanded(!R.Item->Items().Expanded());
    if (OnExpand)
      OnExpand(*this, FSelected);
  } else if (R.B <= X && X < R.C) {
    R.Item->SetChecked(!R.Item->Checked());
    if (OnChecked)
      OnChecked(*this, R.Item);
  }
  return nullptr;
}

void TVemoTreeViewList::MouseDown(const MouseEvent &E) {
  TVemoTreeViewItem *Hit = HitTest(E.X, E.Y, true);
  if (Hit && Hit != FSelected) {
    SetSelected(Hit);
    if (OnChange)
      OnChange(*this, FSelected);
  }
  if (OnMouseDown)
    OnMouseDown(*this, E);
}

void TVemoTreeViewList::MouseMove(const MouseEvent &E) {
  if (OnMouseMove)
    OnMouseMove(*this, E);
}

void TVemoTreeViewList::MouseUp(const MouseEvent &E) {
  if (OnMouseUp)
    OnMouseUp(*this, E);
}

void TVemoTreeViewList::DblClick(int X, int Y) {
  TVemoTreeViewItem *Hit = HitTest(X, Y, false);
  if (!Hit)
    return;
  SetSelected(Hit);
  Hit->Items().SetExpanded(!Hit->Items().Expanded());
  if (OnChange)
    OnChange(*this, FSelected);
}

void TVemoTreeViewList::KeyDown(Key K) {
  if (!FSelected)
    return;
  if (K == Key::Space) {
    // Without it a keyboard user could not change a check list at all.
    if (!FShowCheckBoxes)
      return;
    TVemoTreeViewItem *Item = FSelected;
    Item->SetChecked(!Item->Checked());
    if (OnChecked)
      OnChecked(*this, Item);
    return;
  }
  TVemoTreeViewItems &Siblings = FSelected->Owner() ? FSelected->Owner()->Items() : FItems;
  const int Index = Siblings.IndexOf(FSelected);
  TVemoTreeViewItem *Next = Siblings.Item(K == Key::Up ? Index - 1 : Index + 1);
  if (Next)
    FSelected = Next;
  Invalidate();
}

} // namespace controls
