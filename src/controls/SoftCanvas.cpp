#include "controls/SoftCanvas.h"

#include "controls/FixedFont.h"

#include <algorithm>
#include <cstdlib>

namespace controls {

namespace {

int CellHeightOf(const Font &F) {
  const int H = std::abs(F.Height);
  return H == 0 ? fixedfont::CellHeight : H;
}

} // namespace

bool SoftCanvas::Resize(int W, int H) {
  // Refuse absurd sizes rather than allocating gigabytes.
  constexpr long long MaxPixels = 64LL * 1024 * 1024;
  if (W < 0 || H < 0 || static_cast<long long>(W) * H > MaxPixels) {
    Surface.Resize(0, 0);
    return false;
  }
  Surface.Resize(W, H, 0);
  return true;
}

void SoftCanvas::Put(int X, int Y, Pixel P, CopyMode Mode) {
  if (X < 0 || Y < 0 || X >= Surface.Width || Y >= Surface.Height)
    return;
  Pixel &D = Surface.At(X, Y);
  D = Mode == CopyMode::Xor ? (D ^ P) & 0xFFFFFF : P & 0xFFFFFF;
}

void SoftCanvas::FillRect(const Rect &R, Pixel Color) {
  const int L = std::max(R.Left, 0), T = std::max(R.Top, 0);
  const int Ri = std::min(R.Right, Surface.Width), B = std::min(R.Bottom, Surface.Height);
  if (Ri <= L)
    return;
  for (int Y = T; Y < B; ++Y)
    std::fill_n(&Surface.At(L, Y), Ri - L, Color & 0xFFFFFF);
}

void SoftCanvas::SetPixel(int X, int Y, Pixel Color) {
  Put(X, Y, Color, CopyMode::Copy);
}

Pixel SoftCanvas::GetPixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Surface.Width || Y >= Surface.Height)
    return 0;
  return Surface.At(X, Y);
}

void SoftCanvas::Line(int X0, int Y0, int X1, int Y1, Pixel Color) {
  // Bresenham, stopping one step before the end point.
  const int Dx = std::abs(X1 - X0), Dy = -std::abs(Y1 - Y0);
  const int Sx = X0 < X1 ? 1 : -1, Sy = Y0 < Y1 ? 1 : -1;
  int Err = Dx + Dy;
  int X = X0, Y = Y0;
  while (X != X1 || Y != Y1) {
    Put(X, Y, Color, CopyMode::Copy);
    const int E2 = 2 * Err;
    if (E2 >= Dy) {
      Err += Dy;
      X += Sx;
    }
    if (E2 <= Dx) {
      Err += Dx;
      Y += Sy;
    }
  }
}

Size SoftCanvas::TextExtent(const std::string &Text, const Font &F) {
  return {static_cast<int>(Text.size()) * fixedfont::CellWidth, CellHeightOf(F)};
}

void SoftCanvas::WriteText(int X, int Y, const std::string &Text, const Font &F,
                           const Pixel *Background) {
  const Size Ext = TextExtent(Text, F);
  if (Background)
    FillRect({X, Y, X + Ext.Cx, Y + Ext.Cy}, *Background);
  const int Rows = std::min(Ext.Cy, fixedfont::CellHeight);
  for (size_t I = 0; I < Text.size(); ++I) {
    const uint8_t *G = fixedfont::Glyph(static_cast<unsigned char>(Text[I]));
    const int CellX = X + static_cast<int>(I) * fixedfont::CellWidth;
    for (int Row = 0; Row < Rows; ++Row) {
      // Bold smears each row one pixel to the right, inside the cell.
      const unsigned Mask = F.Bold ? (G[Row] | G[Row] >> 1) & 0x3F : G[Row];
      for (int Col = 0; Col < fixedfont::CellWidth; ++Col)
        if (Mask & (0x20u >> Col))
          Put(CellX + Col, Y + Row, F.Color, CopyMode::Copy);
    }
    if (F.Underline && Rows > 0)
      FillRect({CellX, Y + Rows - 1, CellX + fixedfont::CellWidth, Y + Rows}, F.Color);
  }
}

void SoftCanvas::DrawBitmap(int X, int Y, const Bitmap &B, CopyMode Mode) {
  for (int Sy = 0; Sy < B.Height; ++Sy)
    for (int Sx = 0; Sx < B.Width; ++Sx)
      Put(X + Sx, Y + Sy, B.At(Sx, Sy), Mode);
}

void SoftCanvas::DrawTransparent(int X, int Y, const Bitmap &B, Pixel Transparent) {
  for (int Sy = 0; Sy < B.Height; ++Sy)
    for (int Sx = 0; Sx < B.Width; ++Sx)
      if ((B.At(Sx, Sy) & 0xFFFFFF) != (Transparent & 0xFFFFFF))
        Put(X + Sx, Y + Sy, B.At(Sx, Sy), CopyMode::Copy);
}

void SoftCanvas::StretchBitmap(const Rect &Dst, const Bitmap &B, const Rect &Src) {
  const int Dw = Dst.Width(), Dh = Dst.Height();
  const int Sw = Src.Width(), Sh = Src.Height();
  if (Dw <= 0 || Dh <= 0 || Sw <= 0 || Sh <= 0)
    return;
  for (int Y = 0; Y < Dh; ++Y) {
    const int Sy = Src.Top + static_cast<int>(static_cast<long long>(Y) * Sh / Dh);
    if (Sy < 0 || Sy >= B.Height)
      continue;
    for (int X = 0; X < Dw; ++X) {
      const int Sx = Src.Left + static_cast<int>(static_cast<long long>(X) * Sw / Dw);
      if (Sx >= 0 && Sx < B.Width)
        Put(Dst.Left + X, Dst.Top + Y, B.At(Sx, Sy), CopyMode::Copy);
    }
  }
}

std::unique_ptr<Canvas> SoftCanvas::CreateCompatible(int W, int H) const {
  return std::make_unique<SoftCanvas>(W, H);
}

void SoftCanvas::CopyFrom(int X, int Y, const Canvas &Src, CopyMode Mode) {
  if (auto *Soft = dynamic_cast<const SoftCanvas *>(&Src))
    DrawBitmap(X, Y, Soft->Surface, Mode);
  else
    DrawBitmap(X, Y, Src.Snapshot(), Mode);
}

} // namespace controls
