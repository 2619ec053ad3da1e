#include "controls/VemoProgressbar.h"

#include <cmath>
#include <limits>

namespace controls {

namespace {

// Round to nearest, halves to the even neighbour (the default FPU mode),
// saturated to the 64-bit range so absurd positions cannot overflow.
int64_t RoundEven(long double V) {
  constexpr long double Lim = 9.2e18L;
  if (!(V == V))
    return 0;
  if (V >= Lim)
    return std::numeric_limits<int64_t>::max();
  if (V <= -Lim)
    return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(std::llrint(V));
}

int Channel(Pixel P, int Shift) {
  return static_cast<int>((P >> Shift) & 0xFF);
}

} // namespace

std::string TVemoProgressBar::ProgressText(int64_t P, int64_t Max) {
  if (Max == 0)
    return "0/100%";
  const long double Ratio = 100.0L * static_cast<long double>(P) / static_cast<long double>(Max);
  return std::to_string(RoundEven(Ratio)) + "%";
}

void TVemoProgressBar::DrawProgressText(Canvas &C, const Rect &R, int64_t P) const {
  const std::string Text = ProgressText(P, FMax);
  const Size Ext = C.TextExtent(Text, FFont);
  if (Ext.Cx <= 0 || Ext.Cy <= 0)
    return;
  // Text on black: XOR leaves the bar alone where the text has no ink.
  std::unique_ptr<Canvas> Off = C.CreateCompatible(Ext.Cx, Ext.Cy);
  if (!Off || Off->Width() != Ext.Cx)
    return;
  Off->FillRect({0, 0, Ext.Cx, Ext.Cy}, 0);
  Off->WriteText(0, 0, Text, FFont, nullptr);
  const int X = R.Left + (R.Right - R.Left) / 2 - Ext.Cx / 2;
  const int Y = R.Top + (R.Bottom - R.Top) / 2 - Ext.Cy / 2;
  C.CopyFrom(X, Y, *Off, CopyMode::Xor);
}

// The frame takes a pixel on each side, and the filled part one more.
int TVemoProgressBar::LastFilled(int W) const {
  const int64_t P = Shown();
  if (P <= 0)
    return -1;
  int Left = 1, Right = W - 2;
  if (FBorderStyle == BorderStyle::Single)
    ++Left, --Right;
  const long double Span = static_cast<long double>(Right - Left);
  const int64_t LastWide =
      RoundEven(Span * static_cast<long double>(P) / static_cast<long double>(FMax)) + 1;
  return LastWide > W ? W : static_cast<int>(LastWide);
}

int64_t TVemoProgressBar::GradientEnd(int Shift) const {
  const int S = Channel(FProgressColor, Shift);
  const int D = Channel(FProgressColorDestination, Shift);
  return (S +
          RoundEven(static_cast<long double>(Shown()) * (D - S) / static_cast<long double>(FMax))) &
         0xFF;
}

std::string TVemoProgressBar::Look(int Width) const {
  std::string Text = std::to_string(FStyleChanges) + ' ' + std::to_string(Width) + ' ' +
                     std::to_string(LastFilled(Width));
  for (int Shift : {16, 8, 0})
    Text += ' ' + std::to_string(Shown() > 0 ? GradientEnd(Shift) : 0);
  if (FShowProgressText)
    Text += ' ' + ProgressText(Shown(), FMax);
  return Text;
}

void TVemoProgressBar::Paint(Canvas &C) const {
  const int64_t P = Shown();
  const int W = C.Width(), H = C.Height();
  // The window's background erase, which leaves nothing of an earlier paint.
  C.FillRect({0, 0, W, H}, FColor);

  // Edges as inclusive coordinates, the way the frame is laid out.
  int Left = 0, Top = 0, Right = W - 1, Bottom = H - 1;
  if (FBorderStyle == BorderStyle::Single) {
    C.Bevel({Left, Top, Right + 1, Bottom + 1}, ClGray, ClWhite);
    ++Left, ++Top, --Right, --Bottom;
  }
  C.FillRect({Left, Top, Right, Bottom}, FColor);

  if (P > 0) {
    ++Left, ++Top, --Right, --Bottom;
    const int Last = LastFilled(W);
    ++Bottom;

    double Cur[3], Step[3];
    const int Shifts[3] = {16, 8, 0};
    const int Columns = Last - Left + 1;
    for (int I = 0; I < 3; ++I) {
      const int S = Channel(FProgressColor, Shifts[I]);
      const int64_t E = GradientEnd(Shifts[I]);
      Cur[I] = S;
      Step[I] = Columns > 0 ? static_cast<double>(E - S) / Columns : 0.0;
    }
    for (int X = Left; X <= Last; ++X) {
      auto Level = [](double V) {
        const long long L = std::llrint(V);
        return static_cast<uint8_t>(L < 0 ? 0 : L > 255 ? 255 : L);
      };
      C.FillRect({X, Top, X + 1, Bottom}, Rgb(Level(Cur[0]), Level(Cur[1]), Level(Cur[2])));
      for (int I = 0; I < 3; ++I)
        Cur[I] += Step[I];
    }
  }

  if (FShowProgressText)
    DrawProgressText(C, {Left, Top, Right, Bottom}, P);
}

} // namespace controls
