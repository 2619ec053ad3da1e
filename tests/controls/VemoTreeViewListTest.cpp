// Rows, lines, buttons, check boxes and hit zones of the tree list, drawn on
// the software raster (6-pixel characters, rows 16 high for the 8-point font).
#include "controls/VemoTreeViewList.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

constexpr Pixel Bg = ClWindow;
constexpr Pixel Gray = ClGray;
constexpr Pixel Navy = ClNavy;
constexpr Pixel Yellow = Rgb(255, 255, 127);

struct Tree {
  TVemoTreeViewList List{std::make_unique<SoftCanvas>()};
  Pixel At(int X, int Y) const { return List.Picture().GetPixel(X, Y); }
};

// Alpha { One, Two { Deep } }, Beta with Alpha and Two expanded.
struct Nested : Tree {
  TVemoTreeViewItem *Alpha, *One, *Two, *Deep, *Beta;
  Nested() {
    Alpha = List.Items().Add("Alpha");
    One = Alpha->Items().Add("One");
    Two = Alpha->Items().Add("Two");
    Deep = Two->Items().Add("Deep");
    Beta = List.Items().Add("Beta");
    Alpha->Items().SetExpanded(true);
    Two->Items().SetExpanded(true);
    List.Paint();
  }
};

std::string Line(int A, int B, int C, int Top, int Bottom, int Right, const TVemoTreeViewItem *I) {
  return std::to_string(A) + "," + std::to_string(B) + "," + std::to_string(C) + "," +
         std::to_string(Top) + "," + std::to_string(Bottom) + "," + std::to_string(Right) + "," +
         std::to_string(I->Id());
}

} // namespace

TEST(VemoTreeViewList, CreatedValues) {
  Tree T;
  EXPECT_EQ(T.List.Indent(), 19);
  EXPECT_TRUE(T.List.ShowButtons());
  EXPECT_TRUE(T.List.ShowLines());
  EXPECT_TRUE(T.List.ShowRoot());
  EXPECT_FALSE(T.List.ShowCheckBoxes());
  EXPECT_EQ(T.List.Selected(), nullptr);
  EXPECT_EQ(T.List.RowHeight(), 16);
  TVemoTreeViewItem *I = T.List.Items().Add("x");
  EXPECT_EQ(I->ImageIndex(), -1);
  EXPECT_EQ(I->SelectedIndex(), -1);
  EXPECT_FALSE(I->Checked());
  EXPECT_FALSE(I->Items().Expanded());
  EXPECT_EQ(I->Owner(), nullptr);
  EXPECT_EQ(I->Items().Add("y")->Owner(), I);
  controls::Font F;
  F.Height = -12; // 17 is odd, so 18
  T.List.SetFont(F);
  EXPECT_EQ(T.List.RowHeight(), 18);
}

TEST(VemoTreeViewList, CollectionsKeepOrderAndIndex) {
  Tree T;
  TVemoTreeViewItems &Top = T.List.Items();
  TVemoTreeViewItem *A = Top.Add("a"), *B = Top.Add("b"), *C = Top.Add("c");
  EXPECT_EQ(Top.Count(), 3);
  EXPECT_EQ(Top.Item(0), A);
  EXPECT_EQ(Top.Item(2), C);
  EXPECT_EQ(Top.Item(3), nullptr);
  EXPECT_EQ(Top.Item(-1), nullptr);
  EXPECT_EQ(Top.IndexOf(B), 1);
  EXPECT_EQ(Top.IndexOf(B->Items().Add("child")), -1);
  EXPECT_NE(A->Id(), B->Id());
}

TEST(VemoTreeViewList, HitTableOfANestedTree) {
  Nested T;
  const std::vector<std::string> Expected = {
      Line(4, 24, 22, 3, 19, 54, T.Alpha), Line(24, 44, 42, 19, 35, 62, T.One),
      Line(24, 44, 42, 35, 51, 62, T.Two), Line(44, 64, 62, 51, 67, 88, T.Deep),
      Line(4, 24, 22, 67, 83, 48, T.Beta),
  };
  EXPECT_EQ(T.List.HitTableLines(), Expected);
  // Widest text end 88 + 6, and 3 + 5 rows of 16.
  EXPECT_EQ(T.List.Picture().Width(), 94);
  EXPECT_EQ(T.List.Picture().Height(), 83);

  // Collapsing Two hides Deep.
  T.Two->Items().SetExpanded(false);
  T.List.Paint();
  ASSERT_EQ(T.List.HitTable().size(), 4u);
  EXPECT_EQ(T.List.HitTable()[3].Item, T.Beta);
  EXPECT_EQ(T.List.HitTable()[3].Top, 51);
  EXPECT_EQ(T.List.Picture().Width(), 68);
}

TEST(VemoTreeViewList, ButtonsAndDottedLines) {
  Nested T;
  // Alpha's button: 9 x 9 grey square around (12, 10), a minus because it is expanded.
  EXPECT_EQ(T.At(8, 6), Gray);
  EXPECT_EQ(T.At(16, 14), Gray);
  EXPECT_EQ(T.At(16, 10), Gray);
  EXPECT_EQ(T.At(9, 7), Bg);
  for (int X = 10; X <= 14; ++X)
    EXPECT_EQ(T.At(X, 10), ClBlack) << X;
  EXPECT_EQ(T.At(12, 8), Bg);
  EXPECT_EQ(T.At(12, 12), Bg);
  EXPECT_EQ(T.At(17, 10), Bg);
  // The horizontal dots of Alpha's row stop short of x + Indent - 2 = 21.
  EXPECT_EQ(T.At(18, 10), Gray);
  EXPECT_EQ(T.At(19, 10), Bg);
  EXPECT_EQ(T.At(20, 10), Gray);
  EXPECT_EQ(T.At(21, 10), Bg);
  // Alpha's vertical line to Beta starts below the button (15) and runs in
  // column 12 down to Beta's middle line 74.
  EXPECT_EQ(T.At(12, 15), Gray);
  EXPECT_EQ(T.At(12, 16), Bg);
  EXPECT_EQ(T.At(12, 73), Gray);
  EXPECT_EQ(T.At(12, 74), Gray); // Beta's own horizontal line starts there
  EXPECT_EQ(T.At(12, 76), Bg);
  // One hangs from Alpha's row bottom - 1 = 18 in column 32, to its middle 26.
  EXPECT_EQ(T.At(32, 18), Gray);
  EXPECT_EQ(T.At(32, 19), Bg);
  EXPECT_EQ(T.At(32, 24), Gray);
  EXPECT_EQ(T.At(34, 26), Gray);
  EXPECT_EQ(T.At(41, 26), Bg);
  // Two is expanded too (minus); One and Beta have no children and no button.
  EXPECT_EQ(T.At(28, 38), Gray);
  EXPECT_EQ(T.At(32, 42), ClBlack);
  EXPECT_EQ(T.At(32, 40), Bg);
  EXPECT_EQ(T.At(8, 70), Bg);
  // A collapsed item with children shows a plus.
  T.Alpha->Items().SetExpanded(false);
  T.List.Paint();
  for (int Y = 8; Y <= 12; ++Y)
    EXPECT_EQ(T.At(12, Y), ClBlack) << Y;
  EXPECT_EQ(T.At(12, 7), Bg);
}

TEST(VemoTreeViewList, TextRowsAndTheSelectedHighlight) {
  Nested T;
  T.List.SetSelected(T.One);
  T.List.Paint();
  // One's text at (44, 19), 18 wide: navy from x 43 to 62 and y 19 to 33.
  int White = 0;
  for (int Y = 19; Y < 33; ++Y)
    for (int X = 43; X < 63; ++X) {
      const Pixel P = T.At(X, Y);
      ASSERT_TRUE(P == Navy || P == ClWhite) << X << "," << Y;
      White += P == ClWhite;
    }
  EXPECT_GT(White, 20);
  // The dotted frame one pixel outside, alternating light yellow and black.
  EXPECT_EQ(T.At(42, 18), Yellow);
  EXPECT_EQ(T.At(43, 18), ClBlack);
  EXPECT_EQ(T.At(63, 18), ClBlack);
  EXPECT_EQ(T.At(42, 19), ClBlack);
  EXPECT_EQ(T.At(42, 33), ClBlack);
  EXPECT_EQ(T.At(43, 33), Yellow);
  EXPECT_EQ(T.At(64, 25), Bg);
  // Unselected rows: black text on the background only.
  int Black = 0;
  for (int Y = 35; Y < 49; ++Y)
    for (int X = 44; X < 62; ++X) {
      const Pixel P = T.At(X, Y);
      ASSERT_TRUE(P == Bg || P == ClBlack) << X << "," << Y;
      Black += P == ClBlack;
    }
  EXPECT_GT(Black, 20);
}

TEST(VemoTreeViewList, HitZonesOfTheNestedTree) {
  Nested T;
  int Expands = 0, Checks = 0;
  T.List.OnExpand = [&](TVemoTreeViewList &, TVemoTreeViewItem *) { ++Expands; };
  T.List.OnChecked = [&](TVemoTreeViewList &, TVemoTreeViewItem *) { ++Checks; };
  EXPECT_EQ(T.List.HitTest(30, 10, false), T.Alpha);
  EXPECT_EQ(T.List.HitTest(22, 3, true), T.Alpha);  // c is inclusive
  EXPECT_EQ(T.List.HitTest(54, 18, true), T.Alpha); // so is right
  EXPECT_EQ(T.List.HitTest(55, 10, true), nullptr);
  EXPECT_EQ(T.List.HitTest(50, 19, false), T.One); // bottom is exclusive
  EXPECT_EQ(T.List.HitTest(70, 60, false), T.Deep);
  EXPECT_EQ(T.List.HitTest(30, 90, true), nullptr);
  EXPECT_EQ(T.List.HitTest(2, 10, true), nullptr); // left of the row
  EXPECT_EQ(Expands + Checks, 0);

  // Button zone of Two: children collapse, selection unchanged.
  T.List.SetSelected(T.Beta);
  TVemoTreeViewItem *ExpandArg = nullptr;
  T.List.OnExpand = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) {
    ++Expands;
    ExpandArg = I;
  };
  EXPECT_EQ(T.List.HitTest(30, 40, true), nullptr);
  EXPECT_FALSE(T.Two->Items().Expanded());
  EXPECT_EQ(ExpandArg, T.Beta);
  EXPECT_EQ(T.List.Selected(), T.Beta);
  // The table stays what was painted until the next paint.
  EXPECT_EQ(T.List.HitTest(70, 60, false), T.Deep);
  // An item without children still flips its (empty) collection.
  EXPECT_EQ(T.List.HitTest(10, 70, true), nullptr);
  EXPECT_TRUE(T.Beta->Items().Expanded());
  EXPECT_EQ(Expands, 2);
  // Buttons inactive: nothing flips.
  T.List.HitTest(30, 40, false);
  EXPECT_FALSE(T.Two->Items().Expanded());
  EXPECT_EQ(Checks, 0);
}

TEST(VemoTreeViewList, CheckBoxesOfAFlatList) {
  Tree T;
  T.List.SetShowButtons(false);
  T.List.SetShowLines(false);
  T.List.SetShowRoot(false);
  T.List.SetShowCheckBoxes(true);
  TVemoTreeViewItem *A = T.List.Items().Add("A");
  TVemoTreeViewItem *B = T.List.Items().Add("B");
  A->SetChecked(true);
  T.List.Paint();
  EXPECT_EQ(T.List.HitTableLines(), (std::vector<std::string>{Line(4, 4, 18, 3, 19, 26, A),
                                                              Line(4, 4, 18, 19, 35, 26, B)}));
  // A's box at (4, 4): grey outer left and top, white right and bottom with a
  // white bottom-left corner; black inner left and top, silver right and bottom.
  EXPECT_EQ(T.At(4, 4), Gray);
  EXPECT_EQ(T.At(15, 4), Gray);
  EXPECT_EQ(T.At(16, 4), ClWhite);
  EXPECT_EQ(T.At(4, 15), Gray);
  EXPECT_EQ(T.At(4, 16), ClWhite);
  EXPECT_EQ(T.At(16, 16), ClWhite);
  EXPECT_EQ(T.At(5, 5), ClBlack);
  EXPECT_EQ(T.At(14, 5), ClBlack);
  EXPECT_EQ(T.At(15, 5), ClSilver);
  EXPECT_EQ(T.At(5, 14), ClBlack);
  EXPECT_EQ(T.At(5, 15), ClSilver);
  EXPECT_EQ(T.At(15, 15), ClSilver);
  // The tick, as black pixels of the 9 x 9 mask at (6, 6), rows and columns from 1.
  const std::vector<std::vector<int>> Tick = {
      {}, {8}, {7, 8}, {2, 6, 7, 8}, {2, 3, 5, 6, 7}, {2, 3, 4, 5, 6}, {3, 4, 5}, {4}, {}};
  for (int Row = 1; Row <= 9; ++Row)
    for (int Col = 1; Col <= 9; ++Col) {
      const auto &Cols = Tick[static_cast<size_t>(Row - 1)];
      const bool Ink = std::find(Cols.begin(), Cols.end(), Col) != Cols.end();
      EXPECT_EQ(T.At(5 + Col, 5 + Row), Ink ? ClBlack : Bg) << Row << "," << Col;
    }
  // B's box at (4, 20) is empty inside.
  for (int Y = 22; Y <= 30; ++Y)
    for (int X = 6; X <= 14; ++X)
      ASSERT_EQ(T.At(X, Y), Bg) << X << "," << Y;
  EXPECT_EQ(T.At(4, 20), Gray);
  // No lines, no buttons: nothing grey left of the boxes.
  for (int Y = 0; Y < T.List.Picture().Height(); ++Y)
    for (int X = 0; X < 4; ++X)
      ASSERT_EQ(T.At(X, Y), Bg);
}

TEST(VemoTreeViewList, ClickingACheckBoxChecksWithoutSelecting) {
  Tree T;
  T.List.SetShowCheckBoxes(true);
  TVemoTreeViewItem *A = T.List.Items().Add("A");
  TVemoTreeViewItem *B = T.List.Items().Add("B");
  T.List.Paint();
  std::vector<TVemoTreeViewItem *> Checked, Changed;
  int Downs = 0;
  T.List.OnChecked = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) { Checked.push_back(I); };
  T.List.OnChange = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) { Changed.push_back(I); };
  T.List.OnMouseDown = [&](TVemoTreeViewList &, const MouseEvent &) { ++Downs; };
  // Check zone of row 2 is [24, 38) with the root level shift.
  T.List.MouseDown({MouseButton::Left, 30, 26});
  EXPECT_TRUE(B->Checked());
  EXPECT_EQ(Checked, std::vector<TVemoTreeViewItem *>{B});
  EXPECT_TRUE(Changed.empty());
  EXPECT_EQ(T.List.Selected(), nullptr);
  EXPECT_EQ(Downs, 1);
  // Text of A: selects and raises OnChange once; a second click does not.
  T.List.MouseDown({MouseButton::Right, 45, 10});
  T.List.MouseDown({MouseButton::Left, 45, 10});
  EXPECT_EQ(T.List.Selected(), A);
  EXPECT_EQ(Changed, std::vector<TVemoTreeViewItem *>{A});
  EXPECT_EQ(Downs, 3);
  // Clicking blank space keeps the selection.
  T.List.MouseDown({MouseButton::Left, 45, 200});
  EXPECT_EQ(T.List.Selected(), A);
}

TEST(VemoTreeViewList, PicturesAndTheirCheckZone) {
  Tree T;
  Bitmap Red(8, 6, Rgb(255, 0, 0)), Blue(8, 6, Rgb(0, 0, 255));
  Red.At(0, 0) = Rgb(1, 2, 3); // transparent colour of the red picture
  Red.At(5, 5) = Rgb(1, 2, 3);
  Blue.At(0, 0) = Rgb(9, 9, 9);
  T.List.Images().Add(Red);
  T.List.Images().Add(Blue);
  TVemoTreeViewItem *A = T.List.Items().Add("A");
  A->SetImageIndex(0);
  A->SetSelectedIndex(1);
  TVemoTreeViewItem *B = T.List.Items().Add("B");
  B->SetImageIndex(7); // no such picture: no space either
  T.List.Paint();
  // A: picture at x 24, top M - 3 = 7; text at 24 + 8 + 4.
  EXPECT_EQ(T.At(25, 7), Rgb(255, 0, 0));
  EXPECT_EQ(T.At(24, 7), Bg); // transparent pixel
  EXPECT_EQ(T.At(29, 12), Bg);
  EXPECT_EQ(T.At(31, 12), Rgb(255, 0, 0));
  EXPECT_EQ(T.At(31, 13), Bg);
  EXPECT_EQ(T.List.HitTable()[0].C, 34);
  EXPECT_EQ(T.List.HitTable()[1].C, 22);
  // The selected item shows its SelectedIndex picture.
  T.List.SetSelected(A);
  T.List.Paint();
  EXPECT_EQ(T.At(25, 7), Rgb(0, 0, 255));
  EXPECT_EQ(T.At(24, 7), Bg);
  // A picture whose top-left colour is everywhere is wholly transparent.
  T.List.Images().Add(Bitmap(4, 4, Rgb(0, 99, 0)));
  A->SetSelectedIndex(2);
  T.List.Paint();
  EXPECT_EQ(T.At(25, 8), Bg);
  // Without check boxes the picture is the check zone.
  int Checks = 0;
  T.List.OnChecked = [&](TVemoTreeViewList &, TVemoTreeViewItem *) { ++Checks; };
  EXPECT_EQ(T.List.HitTest(27, 10, true), nullptr);
  EXPECT_TRUE(A->Checked());
  EXPECT_EQ(Checks, 1);
  EXPECT_EQ(T.List.Images().Get(3), nullptr);
  T.List.Images().Delete(0);
  EXPECT_EQ(T.List.Images().Count(), 2);
}

TEST(VemoTreeViewList, ClearLeavesAnEmptySurface) {
  Nested T;
  T.List.SetSelected(T.Deep);
  T.List.Items().Clear();
  EXPECT_EQ(T.List.Selected(), nullptr);
  EXPECT_TRUE(T.List.HitTable().empty()); // no row points at freed items
  EXPECT_EQ(T.List.HitTest(30, 10, true), nullptr);
  T.List.SetColor(Rgb(10, 20, 30));
  T.List.Paint();
  ASSERT_EQ(T.List.Picture().Width(), 6);
  ASSERT_EQ(T.List.Picture().Height(), 3);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 6; ++X)
      EXPECT_EQ(T.At(X, Y), Rgb(10, 20, 30));
}

TEST(VemoTreeViewList, ClearingAChildCollectionFromAHandlerIsSafe) {
  Nested T;
  T.List.OnChecked = [](TVemoTreeViewList &L, TVemoTreeViewItem *) { L.Items().Clear(); };
  T.List.SetShowCheckBoxes(true);
  T.List.Paint();
  const HitRecord Row = T.List.HitTable()[2];
  EXPECT_EQ(T.List.HitTest(Row.B + 3, Row.Top + 1, true), nullptr);
  EXPECT_EQ(T.List.Items().Count(), 0);
  T.List.Paint();
  EXPECT_TRUE(T.List.HitTable().empty());
}

TEST(VemoTreeViewList, UpAndDownMoveAmongSiblings) {
  Nested T;
  int Changes = 0;
  T.List.OnChange = [&](TVemoTreeViewList &, TVemoTreeViewItem *) { ++Changes; };
  T.List.KeyDown(TVemoTreeViewList::Key::Down); // no selection: nothing
  EXPECT_EQ(T.List.Selected(), nullptr);
  T.List.SetSelected(T.One);
  T.List.KeyDown(TVemoTreeViewList::Key::Up);
  EXPECT_EQ(T.List.Selected(), T.One);
  T.List.KeyDown(TVemoTreeViewList::Key::Down);
  EXPECT_EQ(T.List.Selected(), T.Two);
  T.List.KeyDown(TVemoTreeViewList::Key::Down); // last sibling: stays
  EXPECT_EQ(T.List.Selected(), T.Two);
  T.List.SetSelected(T.Alpha);
  T.List.KeyDown(TVemoTreeViewList::Key::Down);
  EXPECT_EQ(T.List.Selected(), T.Beta);
  EXPECT_EQ(Changes, 0);
}

TEST(VemoTreeViewList, DoubleClickSelectsAndToggles) {
  Nested T;
  std::vector<TVemoTreeViewItem *> Changed;
  T.List.OnChange = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) { Changed.push_back(I); };
  T.List.DblClick(30, 5);
  EXPECT_EQ(T.List.Selected(), T.Alpha);
  EXPECT_FALSE(T.Alpha->Items().Expanded());
  EXPECT_EQ(Changed, std::vector<TVemoTreeViewItem *>{T.Alpha});
  T.List.DblClick(10, 5); // a button zone is not a text zone
  EXPECT_FALSE(T.Alpha->Items().Expanded());
  EXPECT_EQ(Changed.size(), 1u);
}

TEST(VemoTreeViewList, SettersAskForARepaint) {
  Tree T;
  int Requests = 0;
  T.List.OnRepaint = [&] { ++Requests; };
  TVemoTreeViewItem *I = T.List.Items().Add("a");
  I->SetText("b");
  I->SetChecked(true);
  I->Items().SetExpanded(true);
  T.List.SetIndent(25);
  T.List.SetSelected(I);
  EXPECT_EQ(Requests, 6);
  EXPECT_TRUE(T.List.NeedsPaint());
  T.List.Paint();
  EXPECT_FALSE(T.List.NeedsPaint());
  Tree Other;
  TVemoTreeViewItem *Foreign = Other.List.Items().Add("z");
  T.List.SetSelected(Foreign);
  EXPECT_EQ(T.List.Selected(), I);
}
