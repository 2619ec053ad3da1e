// Pixel tests of the gradient progress bar on the software raster: a
// 200 x 17 bar with the frame on has its bar area at x 2..196, y 2..14.
#include "controls/VemoProgressbar.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace controls;

namespace {

constexpr Pixel Face = ClBtnFace;
constexpr Pixel Red = Rgb(255, 0, 0);
constexpr Pixel Blue = Rgb(0, 0, 255);

SoftCanvas Draw(const TVemoProgressBar &Bar, int W = 200, int H = 17) {
  SoftCanvas C(W, H);
  Bar.Paint(C);
  return C;
}

TVemoProgressBar Plain(int64_t Progress, int64_t Max = 100) {
  TVemoProgressBar Bar;
  Bar.SetShowProgressText(false);
  Bar.SetMax(Max);
  Bar.SetProgress(Progress);
  return Bar;
}

} // namespace

TEST(VemoProgressBar, CreatedValues) {
  TVemoProgressBar Bar;
  EXPECT_EQ(Bar.Progress(), 0);
  EXPECT_EQ(Bar.Max(), 100);
  EXPECT_EQ(Bar.ProgressColor(), Rgb(0, 0, 128));
  EXPECT_EQ(Bar.ProgressColorDestination(), Rgb(0, 0, 128));
  EXPECT_TRUE(Bar.ShowProgressText());
  EXPECT_EQ(Bar.BorderStyle(), BorderStyle::Single);
  EXPECT_EQ(Bar.Font().Name, "MS Sans Serif");
  int Repaints = 0;
  Bar.OnRepaint = [&] { ++Repaints; };
  Bar.SetProgress(-7); // stored as given
  Bar.SetMax(0);
  EXPECT_EQ(Bar.Progress(), -7);
  EXPECT_EQ(Bar.Max(), 0);
  EXPECT_EQ(Repaints, 2);
}

TEST(VemoProgressBar, SunkenFrame) {
  const SoftCanvas C = Draw(Plain(0));
  // Grey up the left and along the top, white down the right and along the
  // bottom; the bottom-left corner is white.
  EXPECT_EQ(C.GetPixel(0, 0), ClGray);
  EXPECT_EQ(C.GetPixel(198, 0), ClGray);
  EXPECT_EQ(C.GetPixel(0, 15), ClGray);
  EXPECT_EQ(C.GetPixel(199, 0), ClWhite);
  EXPECT_EQ(C.GetPixel(199, 16), ClWhite);
  EXPECT_EQ(C.GetPixel(100, 16), ClWhite);
  EXPECT_EQ(C.GetPixel(0, 16), ClWhite);
  for (int Y = 1; Y < 16; ++Y)
    for (int X = 1; X < 199; ++X)
      ASSERT_EQ(C.GetPixel(X, Y), Face) << X << "," << Y;
}

TEST(VemoProgressBar, FullBarKeepsTheMarginsInsideTheFrame) {
  const SoftCanvas C = Draw(Plain(100));
  for (int Y = 0; Y < 17; ++Y)
    for (int X = 0; X < 200; ++X) {
      const bool Bar = X >= 2 && X <= 196 && Y >= 2 && Y <= 14;
      const bool Frame = X == 0 || Y == 0 || X == 199 || Y == 16;
      if (Bar) {
        ASSERT_EQ(C.GetPixel(X, Y), ClNavy) << X << "," << Y;
      } else if (!Frame) {
        ASSERT_EQ(C.GetPixel(X, Y), Face) << X << "," << Y;
      }
    }
}

TEST(VemoProgressBar, ProgressAboveMaxIsDrawnFull) {
  const SoftCanvas Full = Draw(Plain(100));
  const SoftCanvas Over = Draw(Plain(5000));
  EXPECT_EQ(Full.Pixels().Pixels, Over.Pixels().Pixels);
  EXPECT_EQ(TVemoProgressBar::ProgressText(100, 100), "100%");
}

TEST(VemoProgressBar, NoBarForZeroNegativeOrMaxZero) {
  const SoftCanvas Empty = Draw(Plain(0));
  EXPECT_EQ(Draw(Plain(-5)).Pixels().Pixels, Empty.Pixels().Pixels);
  EXPECT_EQ(Draw(Plain(50, 0)).Pixels().Pixels, Empty.Pixels().Pixels);
  EXPECT_EQ(Draw(Plain(-3, -10)).Pixels().Pixels, Empty.Pixels().Pixels);
  EXPECT_EQ(Empty.GetPixel(2, 2), Face);
}

TEST(VemoProgressBar, GradientAtFullProgressStopsOneStepShort) {
  TVemoProgressBar Bar = Plain(100);
  Bar.SetProgressColor(Red);
  Bar.SetProgressColorDestination(Blue);
  const SoftCanvas C = Draw(Bar);
  // 195 columns, steps of 255/195 per column.
  EXPECT_EQ(C.GetPixel(2, 2), Red);
  EXPECT_EQ(C.GetPixel(2, 14), Red);
  EXPECT_EQ(C.GetPixel(99, 8), Rgb(128, 0, 127));
  EXPECT_EQ(C.GetPixel(196, 8), Rgb(1, 0, 254));
  EXPECT_EQ(C.GetPixel(197, 8), Face);
  // Each column is one solid colour, and red never rises along the bar.
  for (int X = 2; X <= 196; ++X) {
    for (int Y = 3; Y <= 14; ++Y)
      ASSERT_EQ(C.GetPixel(X, Y), C.GetPixel(X, 2)) << X;
    if (X > 2) {
      ASSERT_LE(RedOf(C.GetPixel(X, 2)), RedOf(C.GetPixel(X - 1, 2))) << X;
    }
  }
}

TEST(VemoProgressBar, HalfProgressShowsHalfTheGradient) {
  TVemoProgressBar Bar = Plain(50);
  Bar.SetProgressColor(Red);
  Bar.SetProgressColorDestination(Blue);
  const SoftCanvas C = Draw(Bar);
  // Last column Round(97.5) + 1 = 99; end colour red 255 + Round(-127.5) =
  // 127 and blue Round(127.5) = 128, over 98 columns.
  EXPECT_EQ(C.GetPixel(2, 5), Red);
  EXPECT_EQ(C.GetPixel(99, 5), Rgb(128, 0, 127));
  EXPECT_EQ(C.GetPixel(100, 5), Face);
  EXPECT_EQ(C.GetPixel(51, 5), Rgb(191, 0, 64));
}

TEST(VemoProgressBar, EqualColoursGiveASolidBar) {
  TVemoProgressBar Bar = Plain(30);
  const Pixel Green = Rgb(0, 160, 0);
  Bar.SetProgressColor(Green);
  Bar.SetProgressColorDestination(Green);
  const SoftCanvas C = Draw(Bar);
  const int Last = 58 + 1; // Round(195 * 0.3) + 1: 58.5 rounds to the even 58
  for (int X = 2; X <= Last; ++X)
    ASSERT_EQ(C.GetPixel(X, 9), Green) << X;
  EXPECT_EQ(C.GetPixel(Last + 1, 9), Face);
}

TEST(VemoProgressBar, WithoutFrameTheBarStartsAtColumnOne) {
  TVemoProgressBar Bar = Plain(100);
  Bar.SetBorderStyle(BorderStyle::None);
  const SoftCanvas C = Draw(Bar);
  EXPECT_EQ(C.GetPixel(0, 5), Face);
  EXPECT_EQ(C.GetPixel(1, 0), Face);
  EXPECT_EQ(C.GetPixel(1, 1), ClNavy);
  EXPECT_EQ(C.GetPixel(198, 15), ClNavy);
  EXPECT_EQ(C.GetPixel(199, 5), Face);
  EXPECT_EQ(C.GetPixel(100, 16), Face);
}

TEST(VemoProgressBar, PercentageTexts) {
  EXPECT_EQ(TVemoProgressBar::ProgressText(0, 100), "0%");
  EXPECT_EQ(TVemoProgressBar::ProgressText(-5, 100), "-5%");
  EXPECT_EQ(TVemoProgressBar::ProgressText(1, 3), "33%");
  EXPECT_EQ(TVemoProgressBar::ProgressText(1, 8), "12%"); // 12.5: halves go to even
  EXPECT_EQ(TVemoProgressBar::ProgressText(3, 8), "38%"); // 37.5
  EXPECT_EQ(TVemoProgressBar::ProgressText(-1, 1000), "0%");
  EXPECT_EQ(TVemoProgressBar::ProgressText(7, 0), "0/100%");
  const int64_t Big = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(TVemoProgressBar::ProgressText(Big, Big), "100%");
  EXPECT_EQ(TVemoProgressBar::ProgressText(Big / 2, Big), "50%");
  // Absurd ratios saturate instead of overflowing.
  EXPECT_EQ(TVemoProgressBar::ProgressText(std::numeric_limits<int64_t>::min(), 1),
            std::to_string(std::numeric_limits<int64_t>::min()) + "%");
}

namespace {

// Compares a bar drawn with its text to the same bar without: the text may
// only change pixels inside its centred box, each one by XOR with the font
// colour, and must change some in every character cell.
void ExpectXorText(TVemoProgressBar Bar, const std::string &Text, int BoxX, int BoxY) {
  controls::Font F = Bar.Font();
  F.Color = ClWhite;
  Bar.SetFont(F);
  Bar.SetShowProgressText(false);
  const SoftCanvas Ref = Draw(Bar);
  Bar.SetShowProgressText(true);
  const SoftCanvas C = Draw(Bar);
  const Pixel Ink = Bar.Font().Color;
  const int W = 6 * static_cast<int>(Text.size()), H = 11;
  std::vector<int> PerCell(Text.size(), 0);
  for (int Y = 0; Y < 17; ++Y)
    for (int X = 0; X < 200; ++X) {
      const Pixel A = Ref.GetPixel(X, Y), B = C.GetPixel(X, Y);
      if (A == B)
        continue;
      ASSERT_TRUE(X >= BoxX && X < BoxX + W && Y >= BoxY && Y < BoxY + H)
          << "changed outside the text box at " << X << "," << Y;
      ASSERT_EQ(B, (A ^ Ink) & 0xFFFFFF) << X << "," << Y;
      ++PerCell[static_cast<size_t>((X - BoxX) / 6)];
    }
  for (size_t I = 0; I < Text.size(); ++I)
    EXPECT_GT(PerCell[I], 0) << "character " << Text[I];
}

} // namespace

TEST(VemoProgressBar, TextIsCentredAndExclusiveOred) {
  TVemoProgressBar Bar = Plain(50);
  controls::Font F = Bar.Font();
  F.Color = ClWhite;
  Bar.SetFont(F);
  // Rectangle (2, 2, 197, 15): x = 2 + 97 - 9, y = 2 + 6 - 5.
  ExpectXorText(Bar, "50%", 90, 3);
  // Over navy, white ink turns light yellow; over the background it turns dark.
  Bar.SetShowProgressText(true);
  SoftCanvas C = Draw(Bar);
  bool OnBar = false, OnFace = false;
  for (int Y = 3; Y < 14; ++Y)
    for (int X = 90; X < 108; ++X) {
      OnBar |= C.GetPixel(X, Y) == Rgb(255, 255, 127);
      OnFace |= C.GetPixel(X, Y) == Rgb(63, 63, 63);
    }
  EXPECT_TRUE(OnBar);
  EXPECT_TRUE(OnFace);
}

TEST(VemoProgressBar, TextWithoutBarUsesTheInnerRectangle) {
  // No bar: the rectangle is (1, 1, 198, 15), so x = 1 + 98 - 9 and y = 1 + 7 - 5.
  ExpectXorText(Plain(-5), "-5%", 90, 3);
  ExpectXorText(Plain(3, 0), "0/100%", 1 + 98 - 18, 3);
  ExpectXorText(Plain(0), "0%", 1 + 98 - 6, 3);
}

TEST(VemoProgressBar, TinyAndEmptyClientsDoNotFault) {
  TVemoProgressBar Bar;
  Bar.SetProgress(60);
  for (int W : {0, 1, 2, 3, 5})
    for (int H : {0, 1, 2, 4}) {
      SoftCanvas C(W, H);
      Bar.Paint(C);
      EXPECT_EQ(C.Width(), W);
    }
}

// The look decides whether the window paints again: two positions that
// give the same look must draw the same picture, or a paint is skipped that
// would have changed the screen (a look that changes for the same picture
// costs only a paint).
TEST(VemoProgressBar, EqualLooksAreEqualPictures) {
  for (bool Frame : {true, false})
    for (bool Text : {false, true}) {
      TVemoProgressBar Bar;
      Bar.SetBorderStyle(Frame ? BorderStyle::Single : BorderStyle::None);
      Bar.SetShowProgressText(Text);
      Bar.SetProgressColor(Red);
      Bar.SetProgressColorDestination(Blue);
      Bar.SetMax(1'000'003);
      std::string PrevLook;
      Bitmap PrevPicture;
      int Changes = 0;
      for (int64_t P = -5; P <= 1'000'010; P += 997) {
        Bar.SetProgress(P);
        const std::string Look = Bar.Look(120);
        const Bitmap Picture = Draw(Bar, 120, 17).Pixels();
        if (!PrevLook.empty()) {
          if (Look == PrevLook)
            EXPECT_EQ(Picture.Pixels, PrevPicture.Pixels)
                << "position " << P << ", frame " << Frame << ", text " << Text;
          Changes += Look != PrevLook;
        }
        PrevLook = Look;
        PrevPicture = Picture;
      }
      // Fewer paints than the 1004 positions (at most one per column, per
      // step of the gradient's end colour and per percent), and the bar
      // still moves.
      EXPECT_GT(Changes, 100);
      EXPECT_LT(Changes, 500);
    }
}

TEST(VemoProgressBar, AnyOtherPropertyChangesTheLook) {
  TVemoProgressBar Bar;
  Bar.SetProgress(40);
  const std::string Before = Bar.Look(200);
  Bar.SetColor(Red);
  EXPECT_NE(Bar.Look(200), Before);
  const std::string Coloured = Bar.Look(200);
  Bar.SetProgress(40);
  EXPECT_EQ(Bar.Look(200), Coloured) << "the same position again";
  EXPECT_NE(Bar.Look(201), Coloured) << "another width";
}
