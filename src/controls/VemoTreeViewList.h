// TVemoTreeViewList: a self-drawn tree with optional check boxes, expand
// buttons, dotted connector lines and per-item pictures. All drawing goes to
// an off-screen picture; clicks are answered from the table of hit rectangles
// written while drawing. It never propagates check marks between parents and
// children: such rules belong to whoever handles OnChecked.
// This is the portable half; the window that scrolls the picture and feeds it
// mouse and keys lives in VemoTreeViewList_win.cpp.
#pragma once

#include "controls/Canvas.h"
#include "controls/ControlEvents.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace controls {

class TVemoTreeViewList;
class TVemoTreeViewItem;

// An item's (or the control's) child collection, in insertion order.
class TVemoTreeViewItems {
public:
  TVemoTreeViewItems(const TVemoTreeViewItems &) = delete;
  TVemoTreeViewItems &operator=(const TVemoTreeViewItems &) = delete;
  ~TVemoTreeViewItems();

  TVemoTreeViewItem *Owner() const { return FOwner; }
  TVemoTreeViewList *TreeView() const { return FTree; }
  int Count() const { return static_cast<int>(FList.size()); }
  // Appends a new child of this collection's owner.
  TVemoTreeViewItem *Add(const std::string &Text = std::string());
  // None when out of range.
  TVemoTreeViewItem *Item(int Index) const;
  int IndexOf(const TVemoTreeViewItem *I) const;
  // Frees every item below; the control is left without a selection.
  void Clear();
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool V);

private:
  friend class TVemoTreeViewItem;
  friend class TVemoTreeViewList;
  TVemoTreeViewItems(TVemoTreeViewList *Tree, TVemoTreeViewItem *Owner);

  TVemoTreeViewList *FTree;
  TVemoTreeViewItem *FOwner;
  std::vector<std::unique_ptr<TVemoTreeViewItem>> FList;
  bool FExpanded = false;
};

class TVemoTreeViewItem {
public:
  TVemoTreeViewItem(const TVemoTreeViewItem &) = delete;
  TVemoTreeViewItem &operator=(const TVemoTreeViewItem &) = delete;

  TVemoTreeViewItem *Owner() const { return FOwner; }
  TVemoTreeViewList *TreeView() const { return FTree; }
  TVemoTreeViewItems &Items() { return FItems; }
  const TVemoTreeViewItems &Items() const { return FItems; }
  const std::string &Text() const { return FText; }
  void SetText(const std::string &V);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int V);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int V);
  bool Checked() const { return FChecked; }
  void SetChecked(bool V);
  // Free for the user of the control.
  std::vector<std::string> &Data() { return FData; }
  bool IsSelected() const;
  // The identity written into the hit table.
  uint32_t Id() const { return FId; }

private:
  friend class TVemoTreeViewItems;
  TVemoTreeViewItem(TVemoTreeViewList *Tree, TVemoTreeViewItem *Owner, uint32_t Id);

  TVemoTreeViewList *FTree;
  TVemoTreeViewItem *FOwner;
  uint32_t FId;
  std::string FText;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  bool FChecked = false;
  std::vector<std::string> FData;
  TVemoTreeViewItems FItems;
};

// Pictures for the items; each keeps the colour of its top-left pixel as its
// transparent colour.
class TVemoImageList {
public:
  struct Image {
    Bitmap Picture;
    Pixel Transparent = 0;
  };
  int Add(const Bitmap &Picture); // index of the new image
  void Delete(int Index);
  const Image *Get(int Index) const;
  int Count() const { return static_cast<int>(FImages.size()); }

private:
  std::vector<Image> FImages;
};

// One drawn row: the button zone is [A, B), the check zone [B, C), the text
// zone [C, Right], all between Top and Bottom (exclusive).
struct HitRecord {
  int A = 0, B = 0, C = 0, Top = 0, Bottom = 0, Right = 0;
  TVemoTreeViewItem *Item = nullptr;
};

class TVemoTreeViewList {
public:
  using ItemHandler = std::function<void(TVemoTreeViewList &, TVemoTreeViewItem *)>;
  using MouseHandler = std::function<void(TVemoTreeViewList &, const MouseEvent &)>;

  // Picture is the off-screen surface the control draws into; its kind
  // (GDI or software) decides how text is measured and drawn.
  explicit TVemoTreeViewList(std::unique_ptr<Canvas> Picture);
  TVemoTreeViewList(const TVemoTreeViewList &) = delete;
  TVemoTreeViewList &operator=(const TVemoTreeViewList &) = delete;
  ~TVemoTreeViewList();

  TVemoTreeViewItems &Items() { return FItems; }
  TVemoImageList &Images() { return FImages; }

  Pixel Color() const { return FColor; }
  void SetColor(Pixel V);
  const controls::Font &Font() const { return FFont; }
  void SetFont(const controls::Font &V);
  int Indent() const { return FIndent; }
  void SetIndent(int V);
  TVemoTreeViewItem *Selected() const { return FSelected; }
  // Items of another control are refused.
  void SetSelected(TVemoTreeViewItem *V);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool V);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool V);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool V);
  bool ShowCheckBoxes() const { return FShowCheckBoxes; }
  void SetShowCheckBoxes(bool V);

  MouseHandler OnMouseDown;
  MouseHandler OnMouseMove;
  MouseHandler OnMouseUp;
  ItemHandler OnChange;
  ItemHandler OnExpand;
  ItemHandler OnChecked;
  // Set by the host window: the picture needs painting and showing again.
  RepaintRequest OnRepaint;

  // Measures and draws every visible row into the picture and rebuilds the
  // hit table.
  void Paint();
  const Canvas &Picture() const { return *FPicture; }
  bool NeedsPaint() const { return FNeedsPaint; }
  const std::vector<HitRecord> &HitTable() const { return FHits; }
  // The table as text, one "a,b,c,top,bottom,right,item" line per row.
  std::vector<std::string> HitTableLines() const;
  int RowHeight() const;

  // Point in picture coordinates. With ButtonsActive a point in a row's
  // button zone flips its children's Expanded, one in its check zone flips
  // its Checked; only a text zone yields an item.
  TVemoTreeViewItem *HitTest(int X, int Y, bool ButtonsActive);

  // Input, in picture coordinates, as the host window delivers it.
  void MouseDown(const MouseEvent &E);
  void MouseMove(const MouseEvent &E);
  void MouseUp(const MouseEvent &E);
  void DblClick(int X, int Y);
  // Up and Down move the selection among its siblings; Space flips the
  // selected item's check box (when check boxes show) as a click on it does.
  enum class Key { Up, Down, Space };
  void KeyDown(Key K);
  void FocusChanged() { Invalidate(); }

  // Called by items and collections.
  void Invalidate();
  void ItemsRemoved();
  uint32_t NextItemId() { return ++FLastId; }

private:
  void MeasureRows(const TVemoTreeViewItems &Items, int X, int &Rows, int &Widest);
  void DrawRows(TVemoTreeViewItems &Items, int X, int L, int &Y);
  int LevelShift(const TVemoTreeViewItem &I) const;
  const TVemoImageList::Image *PictureOf(const TVemoTreeViewItem &I) const;
  void DrawButton(int BX, int M, bool Expanded);
  void DrawCheckBox(int X, int Y, bool Checked);
  template <class T> void Store(T &Field, const T &V) {
    if (Field == V)
      return;
    Field = V;
    Invalidate();
  }

  std::unique_ptr<Canvas> FPicture;
  TVemoImageList FImages;
  Pixel FColor = ClWindow;
  controls::Font FFont;
  int FIndent = 19;
  TVemoTreeViewItem *FSelected = nullptr;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FShowCheckBoxes = false;
  std::vector<HitRecord> FHits;
  bool FNeedsPaint = true;
  uint32_t FLastId = 0;
  // Declared last: its items reach the fields above while they are destroyed.
  TVemoTreeViewItems FItems;
};

} // namespace controls
