#include "driver/mainform/Unit1_win.h"

#include "controls/GdiCanvas_win.h"
#include "ui/Colors.h"
#include "ui/Toolkit_win.h"

namespace driver {

namespace {
constexpr UINT_PTR FirstAnimationTimer = 100;
}

void Win32SetupWindowHost::Attach(TForm1 &Form) {
  FForm = &Form;
  FWnd = ui::WindowOf(Form);
  Form.OnNativeMessage = [this](unsigned Msg, uintptr_t W, intptr_t L, intptr_t &Result) {
    return Message(Msg, W, L, Result);
  };
}

int Win32SetupWindowHost::ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int Win32SetupWindowHost::ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}
int Win32SetupWindowHost::ScreenDpi() {
  return ui::ScreenDpi();
}

std::string Win32SetupWindowHost::ExecutablePath() {
  char Self[MAX_PATH + 1] = {};
  const DWORD N = GetModuleFileNameA(nullptr, Self, MAX_PATH);
  return N > 0 && N < MAX_PATH ? std::string(Self, N) : std::string();
}

void Win32SetupWindowHost::AnimationAdded(AnimationRecord &R) {
  // Each animation ticks on a timer of the setup window, numbered by its
  // place in the list when it was added.
  const UINT_PTR Id = FirstAnimationTimer + (FForm ? FForm->Animations().size() : 0);
  R.Control.Tag = static_cast<int>(Id);
  R.Control.OnTimer = [this, Id](uint16_t Interval) {
    if (!FWnd)
      return;
    if (Interval)
      SetTimer(FWnd, Id, Interval, nullptr);
    else
      KillTimer(FWnd, Id);
  };
  auto Invalidate = [this, &R] {
    const controls::Rect B = R.Control.Bounds();
    Repaint(&B);
  };
  R.Control.OnPaintNow = Invalidate;
  R.Control.OnInvalidate = Invalidate;
}

void Win32SetupWindowHost::AnimationRemoved(AnimationRecord &R) {
  if (FWnd)
    KillTimer(FWnd, static_cast<UINT_PTR>(R.Control.Tag));
  R.Control.OnTimer = nullptr;
  R.Control.OnPaintNow = nullptr;
  R.Control.OnInvalidate = nullptr;
}

void Win32SetupWindowHost::Repaint(const controls::Rect *R) {
  if (!FWnd)
    return;
  if (R) {
    RECT Area{R->Left, R->Top, R->Right, R->Bottom};
    InvalidateRect(FWnd, &Area, FALSE);
  } else {
    InvalidateRect(FWnd, nullptr, FALSE);
  }
}

void Win32SetupWindowHost::Paint() {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(FWnd, &Ps);
  if (FForm && !FForm->Application().Terminated()) {
    // One off-screen picture of the buffer and the animation cells, drawn in
    // one piece: nothing flickers.
    RECT C;
    GetClientRect(FWnd, &C);
    if ((FFrame.Width() == C.right && FFrame.Height() == C.bottom) ||
        FFrame.Resize(C.right, C.bottom)) {
      FForm->PaintTo(FFrame);
      const RECT &P = Ps.rcPaint;
      FFrame.BlitTo(Dc, P.left, P.top, P.right - P.left, P.bottom - P.top, P.left, P.top);
    }
  }
  EndPaint(FWnd, &Ps);
}

bool Win32SetupWindowHost::Message(unsigned Msg, uintptr_t W, intptr_t, intptr_t &Result) {
  switch (Msg) {
  case WM_ERASEBKGND:
    Result = 1;
    return true;
  case WM_PAINT:
    Paint();
    Result = 0;
    return true;
  case WM_TIMER:
    if (FForm && W >= FirstAnimationTimer)
      for (const auto &R : FForm->Animations())
        if (static_cast<uintptr_t>(R->Control.Tag) == W) {
          R->Control.Tick();
          Result = 0;
          return true;
        }
    return false;
  default:
    return false;
  }
}

} // namespace driver
