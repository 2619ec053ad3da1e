#include "driver/mainform/Background.h"

#include "ui/Colors.h"

#include <algorithm>
#include <cmath>

namespace driver {

using controls::Pixel;

void DrawGradient(controls::Canvas &C, const controls::Rect &R, uint32_t Start, uint32_t End) {
  const Pixel S = ui::ColorToPixel(Start);
  const Pixel E = ui::ColorToPixel(End);
  C.FillRect(R, S);
  if (S == E)
    return;
  const double Dr = (double(controls::RedOf(E)) - controls::RedOf(S)) / 128;
  const double Dg = (double(controls::GreenOf(E)) - controls::GreenOf(S)) / 128;
  const double Db = (double(controls::BlueOf(E)) - controls::BlueOf(S)) / 128;
  const int64_t H = R.Bottom - R.Top;
  for (int K = 1; K <= 128; ++K) {
    const int Y0 = R.Top + static_cast<int>(H * (K - 1) / 128);
    const int Y1 = K == 128 ? R.Bottom : R.Top + static_cast<int>(H * K / 128);
    auto Chan = [K](uint8_t From, double D) {
      return static_cast<uint8_t>(From + static_cast<int>(std::trunc(K * D)));
    };
    C.FillRect({R.Left, Y0, R.Right, Y1},
               controls::Rgb(Chan(controls::RedOf(S), Dr), Chan(controls::GreenOf(S), Dg),
                             Chan(controls::BlueOf(S), Db)));
  }
}

Point AlignedPosition(uint8_t Alignment, int W, int H, int w, int h) {
  Point P;
  switch (Alignment % 3) {
  case 0:
    P.X = 0;
    break;
  case 1:
    P.X = W / 2 - w / 2;
    break;
  default:
    P.X = W - w;
    break;
  }
  switch (Alignment / 3) {
  case 0:
    P.Y = 0;
    break;
  case 1:
    P.Y = H / 2 - h / 2;
    break;
  default:
    P.Y = H - h;
    break;
  }
  return P;
}

Point TileOrigin(Point P, int w, int h) {
  if (h > 0)
    while (P.Y > 0)
      P.Y -= h;
  if (w > 0)
    while (P.X > 0)
      P.X -= w;
  return P;
}

void DrawBackgroundPicture(controls::Canvas &C, const controls::Bitmap *Picture, uint8_t Alignment,
                           uint8_t Display) {
  if (!Picture || Picture->Empty())
    return;
  const int W = C.Width(), H = C.Height(), w = Picture->Width, h = Picture->Height;
  const Point At = Alignment <= 8 ? AlignedPosition(Alignment, W, H, w, h) : Point{};
  if (Display == 2) {
    C.StretchBitmap({0, 0, W, H}, *Picture, {0, 0, w, h});
  } else if (Display == 1) {
    const Point O = TileOrigin(At, w, h);
    for (int Y = O.Y; Y < H; Y += h)
      for (int X = O.X; X < W; X += w)
        C.DrawBitmap(X, Y, *Picture, controls::CopyMode::Copy);
  } else {
    C.DrawBitmap(At.X, At.Y, *Picture, controls::CopyMode::Copy);
  }
}

Point ImageGroupPosition(const package::ImageGroupType &G, int W, int H, int w, int h) {
  // 32-bit signed like the script's values; wrapping is defined in unsigned.
  auto Part = [](int Total, int32_t Percent) {
    return static_cast<int32_t>(static_cast<uint32_t>(Total) * static_cast<uint32_t>(Percent)) /
           100;
  };
  Point P;
  const int Hs = Part(W, G.HorizontalSpace), Vs = Part(H, G.VerticalSpace);
  switch (G.HorizontalAlign) {
  case 0:
    P.X = Hs;
    break;
  case 1:
    P.X = W / 2 - w / 2 + Hs;
    break;
  default:
    P.X = W - w - Hs;
    break;
  }
  switch (G.VerticalAlign) {
  case 0:
    P.Y = Vs;
    break;
  case 1:
    P.Y = H / 2 - h / 2 + Vs;
    break;
  default:
    P.Y = H - h - Vs;
    break;
  }
  return P;
}

uint16_t FrameInterval(int32_t Fps) {
  if (Fps <= 0)
    Fps = 10;
  return static_cast<uint16_t>((1000 + Fps / 2) / Fps);
}

void DrawStaticImageGroups(controls::Canvas &C, const package::TOpenFileType &Model) {
  for (const package::ImageGroupType *G = Model.ImageGroups.First(); G; G = G->Next.get()) {
    if (G->Frames.size() != 1 || !G->AlwaysShow || G->Frames[0].Empty())
      continue;
    const controls::Bitmap &F = G->Frames[0];
    const Point P = ImageGroupPosition(*G, C.Width(), C.Height(), F.Width, F.Height);
    C.DrawBitmap(P.X, P.Y, F, controls::CopyMode::Copy);
  }
}

void DrawTitle(controls::Canvas &C, package::TOpenFileType &Model, int Dpi) {
  if (!Model.ShowTitle)
    return;
  controls::Font F =
      ui::FontFromPoints(Model.Font.Name, Model.Font.Size, Model.Font.Style, Model.TitleColor, Dpi);
  const controls::Size S = C.TextExtent(Model.Title, F);
  if (Model.TitleCenterHorizontal)
    Model.TitleLeft = C.Width() / 2 - S.Cx / 2;
  if (Model.TitleCenterVertical)
    Model.TitleTop = C.Height() / 2 - S.Cy / 2;
  C.WriteText(Model.TitleLeft, Model.TitleTop, Model.Title, F, nullptr);
}

void ComposeBackgroundOn(controls::Canvas &C, package::TOpenFileType &Model, int Dpi) {
  if (!Model.BGImage || Model.BGImage->Empty() || Model.BGDisplay == 0)
    DrawGradient(C, {0, 0, C.Width(), C.Height()}, Model.BGStartingColor,
                 Model.BGGradient ? Model.BGEndingColor : Model.BGStartingColor);
  DrawBackgroundPicture(C, Model.BGImage.get(), Model.BGAlignment, Model.BGDisplay);
  DrawStaticImageGroups(C, Model);
  DrawTitle(C, Model, Dpi);
}

AnimationLayout LayOutAnimation(const package::ImageGroupType &G, int ScreenW, int ScreenH) {
  AnimationLayout A;
  for (const controls::Bitmap &F : G.Frames) {
    A.CellWidth = std::max(A.CellWidth, F.Width);
    A.CellHeight = std::max(A.CellHeight, F.Height);
  }
  A.Animated = A.CellWidth >= 1 && A.CellHeight >= 1 && G.Frames.size() >= 2;
  if (!A.Animated)
    return A;
  const int N = static_cast<int>(G.Frames.size());
  A.Strip.Resize(N * A.CellWidth, A.CellHeight);
  for (int I = 0; I < N; ++I) {
    const controls::Bitmap &F = G.Frames[I];
    for (int Y = 0; Y < F.Height; ++Y)
      for (int X = 0; X < F.Width; ++X)
        A.Strip.At(I * A.CellWidth + X, Y) = F.At(X, Y);
  }
  A.Place = ImageGroupPosition(G, ScreenW, ScreenH, A.CellWidth, A.CellHeight);
  A.Interval = FrameInterval(G.FramesPerSecond);
  return A;
}

} // namespace driver
