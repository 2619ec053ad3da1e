// The aspect keeper's arithmetic for each dragged edge and for the
// maximised size; divisions truncate towards zero.
#include "controls/Aspect.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

void FourByThree(TAspect &A) {
  A.AspectX = 4;
  A.AspectY = 3;
}

} // namespace

TEST(Aspect, CreatedValues) {
  TAspect A;
  EXPECT_TRUE(A.Active);
  EXPECT_EQ(A.AspectX, 1);
  EXPECT_EQ(A.AspectY, 1);
  EXPECT_TRUE(A.Client);
  EXPECT_FALSE(A.Loaded()); // no window to hook
}

TEST(Aspect, RightEdgeSetsTheHeightFromTheClientWidth) {
  TAspect A;
  FourByThree(A);
  int Dx = 0, Dy = 0;
  A.NonClientSizes(416, 327, 408, 300, Dx, Dy);
  EXPECT_EQ(Dx, 8);
  EXPECT_EQ(Dy, 27);
  Rect R{100, 50, 508, 200}; // dragged to a width of 408
  A.Sizing(SizingEdge::Right, R, Dx, Dy);
  EXPECT_EQ(R, (Rect{100, 50, 508, 50 + 300 + 27}));
}

TEST(Aspect, EachEdgeMovesTheEdgeItShould) {
  TAspect A;
  FourByThree(A);
  const Rect Start{100, 100, 509, 300}; // 409 x 200 outside
  const int Dx = 8, Dy = 27;
  // W = 401, W * 3 / 4 = 300 (300.75 truncated); H = 173, H * 4 / 3 = 230.
  struct Case {
    SizingEdge Edge;
    Rect Expected;
  };
  const Case Cases[] = {
      {SizingEdge::Left, {100, 300 - 300 - 27, 509, 300}},
      {SizingEdge::TopRight, {100, 300 - 300 - 27, 509, 300}},
      {SizingEdge::Right, {100, 100, 509, 100 + 300 + 27}},
      {SizingEdge::BottomLeft, {100, 100, 509, 100 + 300 + 27}},
      {SizingEdge::Top, {509 - 230 - 8, 100, 509, 300}},
      {SizingEdge::TopLeft, {509 - 230 - 8, 100, 509, 300}},
      {SizingEdge::Bottom, {100, 100, 100 + 230 + 8, 300}},
      {SizingEdge::BottomRight, {100, 100, 100 + 230 + 8, 300}},
  };
  for (const Case &C : Cases) {
    Rect R = Start;
    A.Sizing(C.Edge, R, Dx, Dy);
    EXPECT_EQ(R, C.Expected) << static_cast<int>(C.Edge);
  }
}

TEST(Aspect, TruncatesTowardsZeroAndHonoursTheHandlers) {
  TAspect A;
  FourByThree(A);
  // A rectangle narrower than its frame gives a negative W: -5 * 3 / 4 is -3.
  Rect R{0, 0, 3, 50};
  A.Sizing(SizingEdge::Right, R, 8, 0);
  EXPECT_EQ(R.Bottom, -3);

  A.Client = false;
  int Dx = -1, Dy = -1;
  A.NonClientSizes(416, 327, 408, 300, Dx, Dy);
  EXPECT_EQ(Dx, 0);
  EXPECT_EQ(Dy, 0);
  A.OnModifyClient = [](TAspect &, int &X, int &Y) {
    X += 2;
    Y += 3;
  };
  A.NonClientSizes(416, 327, 408, 300, Dx, Dy);
  EXPECT_EQ(Dx, 2);
  EXPECT_EQ(Dy, 3);

  Rect Seen;
  A.OnBeforeResizing = [&](TAspect &, Rect &Q) {
    Seen = Q;
    Q.Left = 7;
  };
  Rect S{0, 0, 400, 10};
  A.Sizing(SizingEdge::BottomLeft, S, 0, 0);
  EXPECT_EQ(Seen, (Rect{0, 0, 400, 300}));
  EXPECT_EQ(S.Left, 7);
}

TEST(Aspect, MaximisedSize) {
  TAspect A;
  A.AspectX = 16;
  A.AspectY = 9;
  // 1032 * 9 / 16 = 580 (580.5 truncated) fits the screen.
  EXPECT_EQ(A.MaximizedSize({1032, 776}, 768, 8, 27), (Size{1032 + 8, 580 + 27}));
  // Too tall for the screen: keep the proposed height and derive the width.
  A.AspectX = 1;
  A.AspectY = 2;
  EXPECT_EQ(A.MaximizedSize({1032, 776}, 768, 8, 27), (Size{388 + 8, 776 + 27}));
  A.OnBeforeResizing = [](TAspect &, Rect &R) { R.Right = 500; };
  EXPECT_EQ(A.MaximizedSize({1032, 776}, 768, 0, 0), (Size{500, 776}));
}

TEST(Aspect, AZeroRatioTermLeavesTheProposalAlone) {
  TAspect A;
  A.AspectX = 0;
  Rect R{1, 2, 300, 400};
  A.Sizing(SizingEdge::Right, R, 8, 27);
  EXPECT_EQ(R, (Rect{1, 2, 300, 400}));
  A.AspectX = 3;
  A.AspectY = 0;
  A.Sizing(SizingEdge::Bottom, R, 8, 27);
  EXPECT_EQ(R, (Rect{1, 2, 300, 400}));
  EXPECT_EQ(A.MaximizedSize({1032, 776}, 768, 8, 27), (Size{1032, 776}));
}

TEST(Aspect, LargeRatiosDoNotOverflow) {
  TAspect A;
  A.AspectX = 1;
  A.AspectY = 1 << 30;
  Rect R{0, 0, 5000, 10};
  A.Sizing(SizingEdge::Right, R, 0, 0);
  EXPECT_GT(R.Bottom, 0);
  // A term that saturates is not added to past the largest int: the edge
  // stops there (the sanitizer build checks the arithmetic on the way).
  Rect Far{0, 100, 5000, 110};
  A.Sizing(SizingEdge::Right, Far, 0, 50);
  EXPECT_EQ(Far.Bottom, 0x7FFFFFFF);
  Rect Up{0, -100, 5000, 10};
  A.Sizing(SizingEdge::Left, Up, 0, 50);
  EXPECT_EQ(Up.Top, -0x7FFFFFFF - 1);
  A.AspectY = 1;
  const Size M = A.MaximizedSize({0x7FFFFFF0, 0x7FFFFFF0}, 0x7FFFFFFF, 100, 100);
  EXPECT_EQ(M.Cx, 0x7FFFFFFF);
  EXPECT_EQ(M.Cy, 0x7FFFFFFF);
}
