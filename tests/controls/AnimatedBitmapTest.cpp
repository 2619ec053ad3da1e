// Frame selection, timing requests and the colour-on-colour stretch of the
// animated bitmap.
#include "controls/AnimatedBitmap.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

#include <vector>

using namespace controls;

namespace {

Pixel FrameColor(int N) {
  return Rgb(static_cast<uint8_t>(10 + N * 20), 0, 0);
}

// A Columns x Rows sheet of FrameW x FrameH frames, each one solid colour.
Bitmap Sheet(int Columns, int Rows, int FrameW, int FrameH, int ExtraW = 0) {
  Bitmap B(Columns * FrameW + ExtraW, Rows * FrameH, Rgb(0, 255, 0));
  for (int N = 0; N < Columns * Rows; ++N)
    for (int Y = 0; Y < FrameH; ++Y)
      for (int X = 0; X < FrameW; ++X)
        B.At(N % Columns * FrameW + X, N / Columns * FrameH + Y) = FrameColor(N);
  return B;
}

// The frame number a paint shows, read back from the pixels.
int Shown(TAnimatedBitmap &A) {
  SoftCanvas C(30, 30);
  A.Paint(C, {0, 0, 30, 30});
  for (int N = 0; N < 64; ++N)
    if (C.GetPixel(15, 15) == FrameColor(N))
      return N;
  return -1;
}

TAnimatedBitmap FourByTwo() {
  TAnimatedBitmap A;
  A.SetColumns(4);
  A.SetRows(2);
  A.SetBitmap(Sheet(4, 2, 10, 10));
  return A;
}

} // namespace

TEST(AnimatedBitmap, CreatedValues) {
  TAnimatedBitmap A;
  EXPECT_EQ(A.ActivePicture(), 0);
  EXPECT_EQ(A.Columns(), 1);
  EXPECT_EQ(A.Rows(), 1);
  EXPECT_EQ(A.Interval(), 0);
  EXPECT_FALSE(A.ReversePlay());
  EXPECT_EQ(A.Bounds(), (Rect{0, 0, 30, 30}));
  SoftCanvas C(30, 30);
  A.Paint(C, {0, 0, 30, 30}); // no bitmap: nothing drawn
  EXPECT_EQ(C.GetPixel(3, 3), 0u);
}

TEST(AnimatedBitmap, ForwardPlayRunsThroughTheGridAndWraps) {
  TAnimatedBitmap A = FourByTwo();
  std::vector<int> Seen{Shown(A)};
  for (int I = 0; I < 9; ++I) {
    A.Tick();
    Seen.push_back(Shown(A));
  }
  EXPECT_EQ(Seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0, 1}));
  // An index beyond the grid is reset to 0 by the next paint.
  A.SetActivePicture(20);
  EXPECT_EQ(Shown(A), 0);
  EXPECT_EQ(A.ActivePicture(), 0);
}

TEST(AnimatedBitmap, ReversePlayRunsBackwardsFromTheLastFrame) {
  TAnimatedBitmap A = FourByTwo();
  A.SetReversePlay(true);
  std::vector<int> Seen{Shown(A)};
  for (int I = 0; I < 9; ++I) {
    A.Tick();
    Seen.push_back(Shown(A));
  }
  EXPECT_EQ(Seen, (std::vector<int>{0, 7, 6, 5, 4, 3, 2, 1, 0, 7}));
  // Beyond the grid it shows the last frame and keeps the index.
  A.SetActivePicture(20);
  EXPECT_EQ(Shown(A), 7);
  EXPECT_EQ(A.ActivePicture(), 20);
  A.Tick();
  EXPECT_EQ(A.ActivePicture(), 19);
}

TEST(AnimatedBitmap, FramesComeFromTheirColumnAndRow) {
  TAnimatedBitmap A = FourByTwo();
  EXPECT_EQ(A.FrameRect(0), (Rect{0, 0, 10, 10}));
  EXPECT_EQ(A.FrameRect(3), (Rect{30, 0, 40, 10}));
  EXPECT_EQ(A.FrameRect(5), (Rect{10, 10, 20, 20}));
  // A width that is no multiple of Columns drops the leftover columns.
  A.SetBitmap(Sheet(4, 2, 10, 10, 3));
  EXPECT_EQ(A.FrameWidth(), 10);
  A.SetActivePicture(3);
  SoftCanvas C(10, 10);
  A.Paint(C, {0, 0, 10, 10});
  for (int X = 0; X < 10; ++X)
    EXPECT_EQ(C.GetPixel(X, 5), FrameColor(3)) << X; // no green leftover
}

TEST(AnimatedBitmap, StretchCopiesColoursWithoutBlending) {
  TAnimatedBitmap A;
  A.SetColumns(2);
  Bitmap B(4, 2);
  B.At(0, 0) = Rgb(255, 0, 0);
  B.At(1, 0) = Rgb(0, 0, 255);
  B.At(0, 1) = Rgb(0, 255, 0);
  B.At(1, 1) = Rgb(255, 255, 255);
  B.At(2, 0) = B.At(3, 0) = B.At(2, 1) = B.At(3, 1) = Rgb(7, 7, 7);
  A.SetBitmap(B);
  SoftCanvas C(20, 20);
  A.Paint(C, {4, 6, 10, 12}); // 2 x 2 frame onto 6 x 6 at (4, 6)
  for (int Y = 0; Y < 6; ++Y)
    for (int X = 0; X < 6; ++X)
      EXPECT_EQ(C.GetPixel(4 + X, 6 + Y), B.At(X / 3, Y / 3)) << X << "," << Y;
  EXPECT_EQ(C.GetPixel(3, 6), 0u);
  EXPECT_EQ(C.GetPixel(10, 6), 0u);
  EXPECT_EQ(C.GetPixel(4, 12), 0u);
}

TEST(AnimatedBitmap, OpaqueExactlyWhenTheBitmapMatchesTheControl) {
  TAnimatedBitmap A;
  int Invalidations = 0;
  A.OnInvalidate = [&] { ++Invalidations; };
  A.SetBitmap(Bitmap(30, 30));
  EXPECT_TRUE(A.Opaque());
  A.SetBitmap(Bitmap(60, 30));
  EXPECT_FALSE(A.Opaque());
  A.SetBounds({5, 5, 65, 35});
  EXPECT_TRUE(A.Opaque());
  EXPECT_EQ(Invalidations, 3);
}

TEST(AnimatedBitmap, IntervalStartsAndStopsTheTimer) {
  TAnimatedBitmap A = FourByTwo();
  std::vector<int> Requests;
  A.OnTimer = [&](uint16_t I) { Requests.push_back(I); };
  int PaintsNow = 0;
  A.OnPaintNow = [&] { ++PaintsNow; };
  A.SetInterval(100);
  A.SetInterval(100); // unchanged: no new request
  A.SetInterval(0);
  EXPECT_EQ(Requests, (std::vector<int>{100, 0}));
  A.SetActivePicture(2);
  A.Tick();
  EXPECT_EQ(PaintsNow, 2);
}

TEST(AnimatedBitmap, ZeroColumnsOrRowsAreRefused) {
  TAnimatedBitmap A = FourByTwo();
  A.SetColumns(0);
  A.SetRows(0);
  EXPECT_EQ(A.Columns(), 4);
  EXPECT_EQ(A.Rows(), 2);
  EXPECT_EQ(Shown(A), 0);
}

TEST(AnimatedBitmap, ASheetSmallerThanItsGridDrawsNothing) {
  TAnimatedBitmap A;
  A.SetColumns(8);
  A.SetBitmap(Bitmap(5, 5, Rgb(1, 1, 1))); // frame width 0
  SoftCanvas C(30, 30);
  A.Paint(C, {0, 0, 30, 30});
  EXPECT_EQ(C.GetPixel(2, 2), 0u);
}
