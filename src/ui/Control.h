// The toolkit's controls as plain data: kind, name, place, tag, parent,
// visibility, caption and creation order, so that layout and navigation run
// without a window. A control's window (Control_win.cpp) follows the data
// through its ControlPeer; natively there is none.
#pragma once

#include "controls/Bitmap.h"
#include "controls/Canvas.h"
#include "controls/VemoProgressbar.h"
#include "controls/VemoTreeViewList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class TForm;
class TControl;

enum class ControlKind {
  Button,
  Label,
  Edit,
  RichEdit,
  Image,
  Bevel,
  ScrollBox,
  Panel,
  TreeList,
  ListBox,
  ComboBox,
  ProgressBar,
};

// What changed in a control's data, for its window.
enum class ControlChange { Bounds, Caption, Visible, Enabled, Content, Style, Focus };

class ControlPeer {
public:
  virtual ~ControlPeer() = default;
  virtual void Update(ControlChange What) = 0;
};

enum class TextAlign { Left, Center, Right };

class TControl {
public:
  TControl(TForm &Form, TControl *Parent, ControlKind Kind, std::string Name);
  virtual ~TControl();
  TControl(const TControl &) = delete;
  TControl &operator=(const TControl &) = delete;

  ControlKind Kind() const { return FKind; }
  const std::string &Name() const { return FName; }
  TForm &Form() const { return FForm; }
  // The control holding this one; null when it stands on the form itself.
  TControl *Parent() const { return FParent; }
  int CreationIndex() const { return FIndex; }
  bool IsContainer() const {
    return FKind == ControlKind::ScrollBox || FKind == ControlKind::Panel;
  }

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Right() const { return FLeft + FWidth; }
  int Bottom() const { return FTop + FHeight; }
  void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
  void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
  void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
  void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
  void SetBounds(int L, int T, int W, int H);

  int Tag = 0;

  bool Visible() const { return FVisible; }
  void SetVisible(bool V);
  // Visible itself and every container above it visible.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool V);
  const std::string &Caption() const { return FCaption; }
  void SetCaption(const std::string &V);
  // The window's text changed by the user (an edit typed into): stored
  // without writing it back to the window.
  void CaptionFromWindow(const std::string &V) { FCaption = V; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool V);
  const controls::Font &Font() const { return FFont; }
  void SetFont(const controls::Font &V);

  // Gives the control the input focus (remembered by the form when hidden).
  void SetFocus();

  ControlPeer *Peer() const { return FPeer.get(); }
  void SetPeer(std::unique_ptr<ControlPeer> P) { FPeer = std::move(P); }

protected:
  void Changed(ControlChange What) const {
    if (FPeer)
      FPeer->Update(What);
  }
  bool FTabStop = false;

private:
  TForm &FForm;
  TControl *FParent;
  ControlKind FKind;
  std::string FName;
  int FIndex;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  std::string FCaption;
  controls::Font FFont;
  std::unique_ptr<ControlPeer> FPeer;
};

class TButton : public TControl {
public:
  TButton(TForm &Form, TControl *Parent, std::string Name);
  // The button Enter clicks; the one Escape clicks.
  bool Default() const { return FDefault; }
  void SetDefault(bool V);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool V) { FCancel = V; }
  // Non-zero: a click also ends the form's modal loop with this result.
  int ModalResult = 0;
  std::function<void(TButton &)> OnClick;
  // What a click does: the handler, then the modal result. Nothing when the
  // button is disabled or hidden.
  void Click();

private:
  bool FDefault = false;
  bool FCancel = false;
};

class TLabel : public TControl {
public:
  TLabel(TForm &Form, TControl *Parent, std::string Name);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V);
  TextAlign Alignment() const { return FAlignment; }
  void SetAlignment(TextAlign V);

private:
  bool FWordWrap = false;
  TextAlign FAlignment = TextAlign::Left;
};

class TEdit : public TControl {
public:
  TEdit(TForm &Form, TControl *Parent, std::string Name);
  const std::string &Text() const { return Caption(); }
  void SetText(const std::string &V) { SetCaption(V); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool V);
  std::function<void(TEdit &)> OnChange;
  // A key pressed in the box (virtual-key code); true: handled.
  std::function<bool(TEdit &, int Key)> OnKeyDown;

private:
  bool FReadOnly = false;
};

enum class ScrollBars { None, Vertical, Both };

class TRichEdit : public TControl {
public:
  TRichEdit(TForm &Form, TControl *Parent, std::string Name);
  const std::vector<std::string> &Lines() const { return FLines; }
  void SetLines(std::vector<std::string> V);
  void ClearLines();
  void AddLine(const std::string &Line);
  // The lines joined with CR LF.
  std::string Text() const;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool V);
  bool Bordered() const { return FBordered; }
  void SetBordered(bool V);
  ScrollBars Scrolling() const { return FScroll; }
  void SetScrolling(ScrollBars V);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V);
  TextAlign Alignment() const { return FAlignment; }
  void SetAlignment(TextAlign V);
  // Drawn on the form's face colour instead of the window colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool V);

private:
  std::vector<std::string> FLines;
  bool FReadOnly = false;
  bool FBordered = true;
  ScrollBars FScroll = ScrollBars::None;
  bool FWordWrap = false;
  TextAlign FAlignment = TextAlign::Left;
  bool FParentColor = false;
};

// A fixed icon instead of a picture.
enum class StockIcon { None, Application, Information, Warning, Question };

class TImage : public TControl {
public:
  TImage(TForm &Form, TControl *Parent, std::string Name);
  const controls::Bitmap &Picture() const { return FPicture; }
  // With AutoSize the control takes the picture's size.
  void SetPicture(const controls::Bitmap &V);
  bool HasPicture() const { return !FPicture.Empty() || FIcon != StockIcon::None; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool V);
  StockIcon Icon() const { return FIcon; }
  void SetIcon(StockIcon V);

private:
  controls::Bitmap FPicture;
  bool FAutoSize = false;
  StockIcon FIcon = StockIcon::None;
};

enum class BevelShape { TopLine, Box };

class TBevel : public TControl {
public:
  TBevel(TForm &Form, TControl *Parent, std::string Name);
  BevelShape Shape() const { return FShape; }
  void SetShape(BevelShape V);

private:
  BevelShape FShape = BevelShape::TopLine;
};

// Containers: controls created with one as parent stand inside it.
class TScrollBox : public TControl {
public:
  TScrollBox(TForm &Form, TControl *Parent, std::string Name);
  bool Bordered() const { return FBordered; }
  void SetBordered(bool V);
  bool HorzScrollBar() const { return FHorz; }
  void SetHorzScrollBar(bool V);

private:
  bool FBordered = true;
  bool FHorz = true;
};

class TPanel : public TControl {
public:
  TPanel(TForm &Form, TControl *Parent, std::string Name);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int V);

private:
  int FBorderWidth = 0;
};

class TTreeList : public TControl {
public:
  TTreeList(TForm &Form, TControl *Parent, std::string Name);
  controls::TVemoTreeViewList &List() { return *FList; }
  bool Bordered() const { return FBordered; }
  void SetBordered(bool V);

private:
  std::unique_ptr<controls::TVemoTreeViewList> FList;
  bool FBordered = true;
};

class TListBox : public TControl {
public:
  TListBox(TForm &Form, TControl *Parent, std::string Name,
           ControlKind Kind = ControlKind::ListBox);
  const std::vector<std::string> &Items() const { return FItems; }
  void SetItems(std::vector<std::string> V);
  void ClearItems();
  void AddItem(const std::string &Item);
  // -1: nothing selected.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int V);
  std::function<void(TListBox &)> OnChange;
  std::function<void(TListBox &)> OnDblClick;
  // The window side reports the user's pick without calling back into it.
  void ItemPicked(int Index);

private:
  std::vector<std::string> FItems;
  int FItemIndex = -1;
};

// A drop-down list: a list box that shows one item.
class TComboBox : public TListBox {
public:
  TComboBox(TForm &Form, TControl *Parent, std::string Name);
};

class TProgressBar : public TControl {
public:
  TProgressBar(TForm &Form, TControl *Parent, std::string Name);
  controls::TVemoProgressBar &Bar() { return FBar; }

private:
  controls::TVemoProgressBar FBar;
};

// The surface a tree list draws into: GDI on Windows, software raster
// natively.
std::unique_ptr<controls::Canvas> NewControlCanvas();

} // namespace ui
