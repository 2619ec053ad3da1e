#include "controls/GdiCanvas_win.h"

#include <algorithm>

namespace controls {

namespace {

BITMAPINFO TopDownInfo(int W, int H) {
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H; // top-down rows, as Bitmap keeps them
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  return Info;
}

// Src of B as a bitmap of its own, clipped to B; empty when nothing is left.
Bitmap Crop(const Bitmap &B, const Rect &Src, Rect &Used) {
  Used = {std::max(Src.Left, 0), std::max(Src.Top, 0), std::min(Src.Right, B.Width),
          std::min(Src.Bottom, B.Height)};
  if (Used.Width() <= 0 || Used.Height() <= 0)
    return {};
  Bitmap Out(Used.Width(), Used.Height());
  for (int Y = 0; Y < Out.Height; ++Y)
    std::copy_n(B.Pixels.begin() + (static_cast<size_t>(Used.Top + Y) * B.Width + Used.Left),
                Out.Width, &Out.At(0, Y));
  return Out;
}

} // namespace

Font DefaultScreenFont() {
  Font F;
  HDC Screen = GetDC(nullptr);
  F.Height = -MulDiv(8, Screen ? GetDeviceCaps(Screen, LOGPIXELSY) : 96, 72);
  if (Screen)
    ReleaseDC(nullptr, Screen);
  return F;
}

GdiCanvas::GdiCanvas() {
  FDc = CreateCompatibleDC(nullptr);
}

GdiCanvas::GdiCanvas(int W, int H) : GdiCanvas() {
  Resize(W, H);
}

GdiCanvas::~GdiCanvas() {
  Release();
  if (FFont) {
    SelectObject(FDc, FOldFont);
    DeleteObject(FFont);
  }
  if (FDc)
    DeleteDC(FDc);
}

void GdiCanvas::Release() {
  if (FBitmap) {
    SelectObject(FDc, FOldBitmap);
    DeleteObject(FBitmap);
  }
  FBitmap = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
}

bool GdiCanvas::Resize(int W, int H) {
  Release();
  if (!FDc || W < 0 || H < 0 || static_cast<long long>(W) * H > 64LL * 1024 * 1024)
    return false;
  if (W == 0 || H == 0)
    return true;
  BITMAPINFO Info = TopDownInfo(W, H);
  void *Bits = nullptr;
  HBITMAP B = CreateDIBSection(FDc, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!B || !Bits)
    return false;
  FBitmap = B;
  FOldBitmap = SelectObject(FDc, B);
  FBits = static_cast<Pixel *>(Bits);
  FWidth = W;
  FHeight = H;
  std::fill_n(FBits, static_cast<size_t>(W) * H, 0u);
  return true;
}

void GdiCanvas::FillRect(const Rect &R, Pixel Color) {
  if (!FBits || R.Width() <= 0 || R.Height() <= 0)
    return;
  RECT Area{R.Left, R.Top, R.Right, R.Bottom};
  HBRUSH Brush = CreateSolidBrush(ToColorRef(Color));
  ::FillRect(FDc, &Area, Brush);
  DeleteObject(Brush);
}

void GdiCanvas::SetPixel(int X, int Y, Pixel Color) {
  if (!FBits || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
    return;
  GdiFlush(); // pending GDI output must land before a direct write
  FBits[static_cast<size_t>(Y) * FWidth + X] = Color & 0xFFFFFF;
}

Pixel GdiCanvas::GetPixel(int X, int Y) const {
  if (!FBits || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
    return 0;
  GdiFlush();
  return FBits[static_cast<size_t>(Y) * FWidth + X] & 0xFFFFFF;
}

void GdiCanvas::Line(int X0, int Y0, int X1, int Y1, Pixel Color) {
  if (!FBits)
    return;
  HPEN Pen = CreatePen(PS_SOLID, 1, ToColorRef(Color));
  HGDIOBJ Old = SelectObject(FDc, Pen);
  MoveToEx(FDc, X0, Y0, nullptr);
  LineTo(FDc, X1, Y1);
  SelectObject(FDc, Old);
  DeleteObject(Pen);
}

void GdiCanvas::SelectFont(const Font &F) {
  if (FFont && F.Name == FFontKey.Name && F.Height == FFontKey.Height && F.Bold == FFontKey.Bold &&
      F.Italic == FFontKey.Italic && F.Underline == FFontKey.Underline &&
      F.StrikeOut == FFontKey.StrikeOut)
    return;
  HFONT New = CreateFontA(F.Height, 0, 0, 0, F.Bold ? FW_BOLD : FW_NORMAL, F.Italic, F.Underline,
                          F.StrikeOut, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, F.Name.c_str());
  if (!New)
    return;
  HGDIOBJ Prev = SelectObject(FDc, New);
  if (FFont)
    DeleteObject(FFont);
  else
    FOldFont = Prev;
  FFont = New;
  FFontKey = F;
}

Size GdiCanvas::TextExtent(const std::string &Text, const Font &F) {
  SelectFont(F);
  SIZE S{0, 0};
  if (!Text.empty())
    GetTextExtentPoint32A(FDc, Text.data(), static_cast<int>(Text.size()), &S);
  else {
    TEXTMETRICA Tm{};
    GetTextMetricsA(FDc, &Tm);
    S.cy = Tm.tmHeight;
  }
  return {S.cx, S.cy};
}

void GdiCanvas::WriteText(int X, int Y, const std::string &Text, const Font &F,
                          const Pixel *Background) {
  if (!FBits || Text.empty())
    return;
  SelectFont(F);
  SetTextColor(FDc, ToColorRef(F.Color));
  if (Background) {
    SetBkMode(FDc, OPAQUE);
    SetBkColor(FDc, ToColorRef(*Background));
  } else {
    SetBkMode(FDc, TRANSPARENT);
  }
  TextOutA(FDc, X, Y, Text.data(), static_cast<int>(Text.size()));
}

void GdiCanvas::DrawBitmap(int X, int Y, const Bitmap &B, CopyMode Mode) {
  if (!FBits || B.Empty())
    return;
  BITMAPINFO Info = TopDownInfo(B.Width, B.Height);
  StretchDIBits(FDc, X, Y, B.Width, B.Height, 0, 0, B.Width, B.Height, B.Pixels.data(), &Info,
                DIB_RGB_COLORS, Mode == CopyMode::Xor ? SRCINVERT : SRCCOPY);
}

void GdiCanvas::DrawTransparent(int X, int Y, const Bitmap &B, Pixel Transparent) {
  if (!FBits)
    return;
  GdiFlush();
  for (int Sy = 0; Sy < B.Height; ++Sy) {
    const int Dy = Y + Sy;
    if (Dy < 0 || Dy >= FHeight)
      continue;
    for (int Sx = 0; Sx < B.Width; ++Sx) {
      const int Dx = X + Sx;
      const Pixel P = B.At(Sx, Sy) & 0xFFFFFF;
      if (Dx >= 0 && Dx < FWidth && P != (Transparent & 0xFFFFFF))
        FBits[static_cast<size_t>(Dy) * FWidth + Dx] = P;
    }
  }
}

void GdiCanvas::StretchBitmap(const Rect &Dst, const Bitmap &B, const Rect &Src) {
  if (!FBits || Dst.Width() <= 0 || Dst.Height() <= 0 || Src.Width() <= 0 || Src.Height() <= 0)
    return;
  // A cropped copy avoids the source-origin quirks of top-down DIBs.
  Rect Used;
  const Bitmap Part = Crop(B, Src, Used);
  if (Part.Empty())
    return;
  // The destination share of the part that exists, as the software raster maps it.
  const auto MapX = [&](int Sx) {
    return Dst.Left + static_cast<int>(
                          (static_cast<long long>(Sx - Src.Left) * Dst.Width() + Src.Width() - 1) /
                          Src.Width());
  };
  const auto MapY = [&](int Sy) {
    return Dst.Top + static_cast<int>(
                         (static_cast<long long>(Sy - Src.Top) * Dst.Height() + Src.Height() - 1) /
                         Src.Height());
  };
  const int L = MapX(Used.Left), T = MapY(Used.Top), R = MapX(Used.Right), Bo = MapY(Used.Bottom);
  BITMAPINFO Info = TopDownInfo(Part.Width, Part.Height);
  const int OldMode = SetStretchBltMode(FDc, COLORONCOLOR);
  StretchDIBits(FDc, L, T, R - L, Bo - T, 0, 0, Part.Width, Part.Height, Part.Pixels.data(), &Info,
                DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(FDc, OldMode);
}

std::unique_ptr<Canvas> GdiCanvas::CreateCompatible(int W, int H) const {
  return std::make_unique<GdiCanvas>(W, H);
}

void GdiCanvas::CopyFrom(int X, int Y, const Canvas &Src, CopyMode Mode) {
  if (!FBits)
    return;
  if (auto *Gdi = dynamic_cast<const GdiCanvas *>(&Src)) {
    if (Gdi->FBits)
      BitBlt(FDc, X, Y, Gdi->FWidth, Gdi->FHeight, Gdi->FDc, 0, 0,
             Mode == CopyMode::Xor ? SRCINVERT : SRCCOPY);
    return;
  }
  DrawBitmap(X, Y, Src.Snapshot(), Mode);
}

Bitmap GdiCanvas::Snapshot() const {
  Bitmap Out(FWidth, FHeight);
  if (FBits) {
    GdiFlush();
    for (size_t I = 0; I < Out.Pixels.size(); ++I)
      Out.Pixels[I] = FBits[I] & 0xFFFFFF;
  }
  return Out;
}

void GdiCanvas::BlitTo(HDC Dest, int X, int Y, int W, int H, int SrcX, int SrcY) const {
  if (FBits)
    BitBlt(Dest, X, Y, W, H, FDc, SrcX, SrcY, SRCCOPY);
}

void GdiCanvas::GrabFrom(HDC Src, int X, int Y) {
  if (FBits)
    BitBlt(FDc, 0, 0, FWidth, FHeight, Src, X, Y, SRCCOPY);
}

} // namespace controls
