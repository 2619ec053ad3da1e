// The software raster is the reference the control tests read pixels from,
// so its own rules (clipping, pen lines, bevels, text cells, copies) come first.
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

constexpr Pixel Red = Rgb(255, 0, 0);
constexpr Pixel Blue = Rgb(0, 0, 255);

int CountColor(const SoftCanvas &C, Pixel P) {
  int N = 0;
  for (Pixel Q : C.Pixels().Pixels)
    N += Q == P;
  return N;
}

} // namespace

TEST(SoftCanvas, FillsClipAndExcludeRightAndBottom) {
  SoftCanvas C(10, 8);
  C.FillRect({-5, -5, 3, 2}, Red);
  EXPECT_EQ(CountColor(C, Red), 3 * 2);
  EXPECT_EQ(C.GetPixel(2, 1), Red);
  EXPECT_EQ(C.GetPixel(3, 1), 0u);
  EXPECT_EQ(C.GetPixel(2, 2), 0u);
  C.FillRect({8, 6, 100, 100}, Blue);
  EXPECT_EQ(CountColor(C, Blue), 2 * 2);
  C.SetPixel(-1, 0, Red);
  C.SetPixel(10, 0, Red);
  EXPECT_EQ(CountColor(C, Red), 6);
  EXPECT_EQ(C.GetPixel(-1, -1), 0u);
  EXPECT_EQ(C.GetPixel(10, 8), 0u);
}

TEST(SoftCanvas, PenLinesLeaveTheEndPointOut) {
  SoftCanvas C(10, 10);
  C.Line(1, 1, 5, 1, Red);
  for (int X = 1; X < 5; ++X)
    EXPECT_EQ(C.GetPixel(X, 1), Red) << X;
  EXPECT_EQ(C.GetPixel(5, 1), 0u);
  C.Line(7, 8, 7, 2, Blue); // upwards
  for (int Y = 3; Y <= 8; ++Y)
    EXPECT_EQ(C.GetPixel(7, Y), Blue) << Y;
  EXPECT_EQ(C.GetPixel(7, 2), 0u);
  C.Line(3, 3, 3, 3, Red); // empty line draws nothing
  EXPECT_EQ(C.GetPixel(3, 3), 0u);
}

TEST(SoftCanvas, BevelAndDottedLines) {
  SoftCanvas C(6, 5);
  C.Bevel({0, 0, 6, 5}, Red, Blue);
  // Top-left colour on the left and top, the other on the right and bottom,
  // and the bottom-left corner belongs to the bottom.
  EXPECT_EQ(C.GetPixel(0, 0), Red);
  EXPECT_EQ(C.GetPixel(4, 0), Red);
  EXPECT_EQ(C.GetPixel(5, 0), Blue);
  EXPECT_EQ(C.GetPixel(0, 3), Red);
  EXPECT_EQ(C.GetPixel(0, 4), Blue);
  EXPECT_EQ(C.GetPixel(5, 4), Blue);
  EXPECT_EQ(C.GetPixel(3, 4), Blue);
  EXPECT_EQ(C.GetPixel(2, 2), 0u);
  EXPECT_EQ(CountColor(C, Red) + CountColor(C, Blue), 2 * 6 + 2 * 3);

  SoftCanvas D(8, 8);
  D.DottedHLine(1, 6, 0, Red);  // 1, 3, 5
  D.DottedVLine(0, 2, 6, Blue); // 2, 4, 6 (inclusive)
  EXPECT_EQ(CountColor(D, Red), 3);
  EXPECT_EQ(D.GetPixel(5, 0), Red);
  EXPECT_EQ(D.GetPixel(2, 0), 0u);
  EXPECT_EQ(CountColor(D, Blue), 3);
  EXPECT_EQ(D.GetPixel(0, 6), Blue);
  EXPECT_EQ(D.GetPixel(0, 5), 0u);
}

TEST(SoftCanvas, TextStaysInsideItsExactCell) {
  SoftCanvas C(40, 20);
  Font F;
  F.Color = Red;
  EXPECT_EQ(C.TextExtent("50%", F), (Size{18, 11}));
  F.Height = 14;
  EXPECT_EQ(C.TextExtent("ab", F), (Size{12, 14}));
  F.Height = -11;
  const Pixel Back = Blue;
  C.WriteText(5, 4, "W%", F, &Back);
  int Ink = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 40; ++X) {
      const bool Inside = X >= 5 && X < 17 && Y >= 4 && Y < 15;
      const Pixel P = C.GetPixel(X, Y);
      if (!Inside)
        EXPECT_EQ(P, 0u) << X << "," << Y;
      else
        EXPECT_TRUE(P == Red || P == Blue) << X << "," << Y;
      Ink += P == Red;
    }
  EXPECT_GT(Ink, 10);
  // Transparent text leaves the background alone.
  SoftCanvas T(12, 11);
  T.FillRect({0, 0, 12, 11}, Blue);
  T.WriteText(0, 0, "  ", F, nullptr);
  EXPECT_EQ(CountColor(T, Blue), 12 * 11);
}

TEST(SoftCanvas, XorCopyAndColourOnColourStretch) {
  SoftCanvas C(4, 4);
  C.FillRect({0, 0, 4, 4}, Rgb(0, 0, 128));
  auto Off = C.CreateCompatible(2, 2);
  ASSERT_EQ(Off->Width(), 2);
  EXPECT_EQ(Off->GetPixel(1, 1), 0u); // new surfaces start black
  Off->SetPixel(0, 0, Rgb(255, 255, 255));
  C.CopyFrom(1, 1, *Off, CopyMode::Xor);
  EXPECT_EQ(C.GetPixel(1, 1), Rgb(255, 255, 127));
  EXPECT_EQ(C.GetPixel(2, 2), Rgb(0, 0, 128)); // black XOR leaves it

  Bitmap B(2, 2);
  B.At(0, 0) = Red;
  B.At(1, 0) = Blue;
  B.At(0, 1) = Rgb(0, 255, 0);
  B.At(1, 1) = Rgb(9, 9, 9);
  SoftCanvas S(4, 4);
  S.StretchBitmap({0, 0, 4, 4}, B, {0, 0, 2, 2});
  for (int Y = 0; Y < 4; ++Y)
    for (int X = 0; X < 4; ++X)
      EXPECT_EQ(S.GetPixel(X, Y), B.At(X / 2, Y / 2)) << X << "," << Y;
  // A source rectangle reaching beyond the bitmap draws only what exists.
  SoftCanvas E(4, 4);
  E.StretchBitmap({0, 0, 4, 4}, B, {1, 0, 3, 2});
  EXPECT_EQ(E.GetPixel(0, 0), Blue);
  EXPECT_EQ(E.GetPixel(3, 0), 0u);
}

TEST(SoftCanvas, RefusesAbsurdSizes) {
  SoftCanvas C;
  EXPECT_FALSE(C.Resize(1 << 20, 1 << 20));
  EXPECT_EQ(C.Width(), 0);
  EXPECT_FALSE(C.Resize(-1, 5));
  EXPECT_TRUE(C.Resize(3, 2));
  EXPECT_EQ(C.Pixels().Pixels.size(), 6u);
}
