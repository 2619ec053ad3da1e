#include "controls/ControlWindows_win.h"

namespace controls {

namespace {

constexpr char ClassName[] = "TcVemoProgressBar";

MouseEvent MouseAt(MouseButton B, LPARAM L) {
  return {B, static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
}

} // namespace

TVemoProgressBarWindow::TVemoProgressBarWindow(HWND Parent, int X, int Y, int W, int H, int Id)
    : FOwnedBar(std::make_unique<TVemoProgressBar>()), FBar(*FOwnedBar) {
  FBar.SetColor(FromColorRef(GetSysColor(COLOR_BTNFACE)));
  FBar.SetFont(DefaultScreenFont());
  Create(Parent, X, Y, W, H, Id);
}

TVemoProgressBarWindow::TVemoProgressBarWindow(HWND Parent, TVemoProgressBar &Bar, int X, int Y,
                                               int W, int H, int Id)
    : FBar(Bar) {
  Create(Parent, X, Y, W, H, Id);
}

void TVemoProgressBarWindow::Create(HWND Parent, int X, int Y, int W, int H, int Id) {
  HINSTANCE Inst = GetModuleHandleA(nullptr);
  RegisterControlClass(ClassName, Proc, CS_DBLCLKS, true);
  FWnd = CreateWindowExA(0, ClassName, "", WS_CHILD | WS_VISIBLE, X, Y, W, H, Parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Inst, this);
  // Invalidated when what it shows changes, once until it is painted, and
  // painted when the owner next takes its messages. An installation moves
  // the bar several times per file; painting each time at once cost some
  // fifty round trips to the window system per file, most of the time a
  // small file takes under Wine. A position that leaves the picture as it
  // is costs nothing.
  FBar.OnRepaint = [this] {
    if (!FWnd || FPaintPending)
      return;
    RECT Client;
    GetClientRect(FWnd, &Client);
    if (FBar.Look(Client.right) == FShownLook)
      return;
    InvalidateRect(FWnd, nullptr, FALSE);
    FPaintPending = true;
  };
}

TVemoProgressBarWindow::~TVemoProgressBarWindow() {
  FBar.OnRepaint = nullptr;
  if (FWnd) {
    SetWindowLongPtrA(FWnd, GWLP_USERDATA, 0);
    DestroyWindow(FWnd);
  }
}

LRESULT CALLBACK TVemoProgressBarWindow::Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto *Self =
        static_cast<TVemoProgressBarWindow *>(reinterpret_cast<CREATESTRUCTA *>(L)->lpCreateParams);
    Self->FWnd = Wnd;
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto *Self = reinterpret_cast<TVemoProgressBarWindow *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!Self)
    return DefWindowProcA(Wnd, Msg, W, L);
  return Self->Handle(Msg, W, L);
}

LRESULT TVemoProgressBarWindow::Handle(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1; // Paint fills everything itself; erasing would flicker
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(FWnd, &Ps);
    FPaintPending = false;
    RECT Client;
    GetClientRect(FWnd, &Client);
    if (FSurface.Width() != Client.right || FSurface.Height() != Client.bottom)
      FSurface.Resize(Client.right, Client.bottom);
    FBar.Paint(FSurface);
    FShownLook = FBar.Look(Client.right);
    FSurface.BlitTo(Dc, 0, 0, Client.right, Client.bottom);
    EndPaint(FWnd, &Ps);
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  // The class asks for double clicks, so the second press of any button
  // comes as a double click; for the right and middle buttons it is only a
  // press.
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDBLCLK:
    if (FBar.OnMouseDown)
      FBar.OnMouseDown(FBar, MouseAt(ButtonOfMessage(Msg), L));
    return 0;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
    if (FBar.OnMouseUp)
      FBar.OnMouseUp(FBar, MouseAt(ButtonOfMessage(Msg), L));
    return 0;
  case WM_LBUTTONDBLCLK:
    // The double click, then the second press, which is a press too.
    if (FBar.OnDblClick)
      FBar.OnDblClick(FBar);
    if (FBar.OnMouseDown)
      FBar.OnMouseDown(FBar, MouseAt(MouseButton::Left, L));
    return 0;
  case WM_NCDESTROY: {
    HWND Wnd = FWnd;
    FWnd = nullptr;
    return DefWindowProcA(Wnd, Msg, W, L);
  }
  }
  return DefWindowProcA(FWnd, Msg, W, L);
}

} // namespace controls
