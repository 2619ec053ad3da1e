#include "controls/ControlWindows_win.h"

namespace controls {

namespace {

constexpr char ClassName[] = "TcAnimatedBitmapTimer";
constexpr UINT_PTR TimerId = 1;

} // namespace

TAnimatedBitmapHost::TAnimatedBitmapHost(HWND Parent) : FParent(Parent) {
  HINSTANCE Inst = GetModuleHandleA(nullptr);
  RegisterControlClass(ClassName, Proc, 0, false);
  // A hidden popup rather than a message-only window, which older systems lack.
  FTimerWnd =
      CreateWindowExA(0, ClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Inst, nullptr);
  if (FTimerWnd)
    SetWindowLongPtrA(FTimerWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  FControl.OnTimer = [this](uint16_t Interval) {
    if (!FTimerWnd)
      return;
    if (Interval)
      SetTimer(FTimerWnd, TimerId, Interval, nullptr);
    else
      KillTimer(FTimerWnd, TimerId);
  };
  FControl.OnPaintNow = [this] {
    if (!FParent)
      return;
    if (HDC Dc = GetDC(FParent)) {
      PaintOn(Dc);
      ReleaseDC(FParent, Dc);
    }
  };
  FControl.OnInvalidate = [this] {
    if (!FParent)
      return;
    const Rect B = FControl.Bounds();
    RECT R{B.Left, B.Top, B.Right, B.Bottom};
    InvalidateRect(FParent, &R, !FControl.Opaque());
  };
}

TAnimatedBitmapHost::~TAnimatedBitmapHost() {
  FControl.OnTimer = nullptr;
  FControl.OnPaintNow = nullptr;
  FControl.OnInvalidate = nullptr;
  if (FTimerWnd) {
    KillTimer(FTimerWnd, TimerId);
    SetWindowLongPtrA(FTimerWnd, GWLP_USERDATA, 0);
    DestroyWindow(FTimerWnd);
  }
}

LRESULT CALLBACK TAnimatedBitmapHost::Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_TIMER && W == TimerId) {
    if (auto *Self = reinterpret_cast<TAnimatedBitmapHost *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA)))
      Self->FControl.Tick();
    return 0;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

void TAnimatedBitmapHost::PaintOn(HDC Dc) {
  const Rect B = FControl.Bounds();
  if (!FControl.Visible() || FControl.Bitmap().Empty() || B.Width() <= 0 || B.Height() <= 0)
    return;
  if (FFrame.Width() != B.Width() || FFrame.Height() != B.Height())
    if (!FFrame.Resize(B.Width(), B.Height()))
      return;
  FControl.Paint(FFrame, {0, 0, B.Width(), B.Height()});
  FFrame.BlitTo(Dc, B.Left, B.Top, B.Width(), B.Height());
}

} // namespace controls
