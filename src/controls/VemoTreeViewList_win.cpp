#include "controls/ControlWindows_win.h"

#include <algorithm>

namespace controls {

namespace {

constexpr char ClassName[] = "TcVemoTreeViewList";

} // namespace

TVemoTreeViewListWindow::TVemoTreeViewListWindow(HWND Parent, int X, int Y, int W, int H, int Id)
    : FOwnedList(std::make_unique<TVemoTreeViewList>(std::make_unique<GdiCanvas>())),
      FList(*FOwnedList) {
  FList.SetColor(FromColorRef(GetSysColor(COLOR_WINDOW)));
  FList.SetFont(DefaultScreenFont());
  Create(Parent, X, Y, W, H, Id, true);
}

TVemoTreeViewListWindow::TVemoTreeViewListWindow(HWND Parent, TVemoTreeViewList &List, int X, int Y,
                                                 int W, int H, int Id, bool TabStop)
    : FList(List) {
  Create(Parent, X, Y, W, H, Id, TabStop);
}

void TVemoTreeViewListWindow::Create(HWND Parent, int X, int Y, int W, int H, int Id,
                                     bool TabStop) {
  HINSTANCE Inst = GetModuleHandleA(nullptr);
  RegisterControlClass(ClassName, Proc, CS_DBLCLKS, true);
  FWnd = CreateWindowExA(
      WS_EX_CLIENTEDGE, ClassName, "",
      WS_CHILD | WS_VISIBLE | (TabStop ? WS_TABSTOP : 0) | WS_HSCROLL | WS_VSCROLL, X, Y, W, H,
      Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Inst, this);
  FList.OnRepaint = [this] {
    if (FWnd)
      InvalidateRect(FWnd, nullptr, FALSE);
  };
  UpdateScrollBars();
}

TVemoTreeViewListWindow::~TVemoTreeViewListWindow() {
  FList.OnRepaint = nullptr;
  if (FWnd) {
    SetWindowLongPtrA(FWnd, GWLP_USERDATA, 0);
    DestroyWindow(FWnd);
  }
}

void TVemoTreeViewListWindow::SetBorderStyle(controls::BorderStyle B) {
  if (!FWnd)
    return;
  LONG_PTR Ex = GetWindowLongPtrA(FWnd, GWL_EXSTYLE);
  Ex = B == BorderStyle::Single ? Ex | WS_EX_CLIENTEDGE : Ex & ~WS_EX_CLIENTEDGE;
  SetWindowLongPtrA(FWnd, GWL_EXSTYLE, Ex);
  SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(FWnd, nullptr, FALSE);
}

LRESULT CALLBACK TVemoTreeViewListWindow::Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto *Self = static_cast<TVemoTreeViewListWindow *>(
        reinterpret_cast<CREATESTRUCTA *>(L)->lpCreateParams);
    Self->FWnd = Wnd;
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto *Self = reinterpret_cast<TVemoTreeViewListWindow *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!Self)
    return DefWindowProcA(Wnd, Msg, W, L);
  return Self->Handle(Msg, W, L);
}

void TVemoTreeViewListWindow::UpdateScrollBars() {
  if (!FWnd || FInScrollUpdate)
    return;
  // Showing or hiding a bar resizes the client area, which comes back here.
  FInScrollUpdate = true;
  const Canvas &P = FList.Picture();
  for (int Pass = 0; Pass < 2; ++Pass) {
    RECT Client;
    GetClientRect(FWnd, &Client);
    SCROLLINFO Si{};
    Si.cbSize = sizeof Si;
    Si.fMask = SIF_RANGE | SIF_PAGE;
    Si.nMin = 0;
    Si.nMax = std::max(P.Width() - 1, 0);
    Si.nPage = static_cast<UINT>(std::max<LONG>(Client.right, 0));
    SetScrollInfo(FWnd, SB_HORZ, &Si, TRUE);
    Si.nMax = std::max(P.Height() - 1, 0);
    Si.nPage = static_cast<UINT>(std::max<LONG>(Client.bottom, 0));
    SetScrollInfo(FWnd, SB_VERT, &Si, TRUE);
  }
  RECT Client;
  GetClientRect(FWnd, &Client);
  FScrollX = std::clamp(FScrollX, 0, std::max(0, P.Width() - static_cast<int>(Client.right)));
  FScrollY = std::clamp(FScrollY, 0, std::max(0, P.Height() - static_cast<int>(Client.bottom)));
  SetScrollPos(FWnd, SB_HORZ, FScrollX, TRUE);
  SetScrollPos(FWnd, SB_VERT, FScrollY, TRUE);
  FInScrollUpdate = false;
}

void TVemoTreeViewListWindow::Scroll(int Bar, int Code, int Delta) {
  RECT Client;
  GetClientRect(FWnd, &Client);
  const bool Horz = Bar == SB_HORZ;
  int &Pos = Horz ? FScrollX : FScrollY;
  const int Page = Horz ? Client.right : Client.bottom;
  const int Extent = Horz ? FList.Picture().Width() : FList.Picture().Height();
  const int Line = Horz ? 8 : FList.RowHeight();
  SCROLLINFO Si{};
  Si.cbSize = sizeof Si;
  Si.fMask = SIF_TRACKPOS;
  GetScrollInfo(FWnd, Bar, &Si);
  int New = Pos;
  switch (Code) {
  case SB_LINEUP:
    New -= Line;
    break;
  case SB_LINEDOWN:
    New += Line;
    break;
  case SB_PAGEUP:
    New -= Page;
    break;
  case SB_PAGEDOWN:
    New += Page;
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION:
    New = Si.nTrackPos;
    break;
  case SB_TOP:
    New = 0;
    break;
  case SB_BOTTOM:
    New = Extent;
    break;
  case -1:
    New += Delta;
    break; // wheel
  default:
    return;
  }
  New = std::clamp(New, 0, std::max(0, Extent - Page));
  if (New == Pos)
    return;
  Pos = New;
  SetScrollPos(FWnd, Bar, Pos, TRUE);
  InvalidateRect(FWnd, nullptr, FALSE);
}

MouseEvent TVemoTreeViewListWindow::Event(MouseButton B, LPARAM L) const {
  return {B, static_cast<short>(LOWORD(L)) + FScrollX, static_cast<short>(HIWORD(L)) + FScrollY};
}

LRESULT TVemoTreeViewListWindow::Handle(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    if (FList.NeedsPaint()) {
      FList.Paint();
      UpdateScrollBars();
    }
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(FWnd, &Ps);
    RECT Client;
    GetClientRect(FWnd, &Client);
    const auto &P = static_cast<const GdiCanvas &>(FList.Picture());
    P.BlitTo(Dc, 0, 0, std::min<int>(Client.right, P.Width() - FScrollX),
             std::min<int>(Client.bottom, P.Height() - FScrollY), FScrollX, FScrollY);
    // Beyond the picture: the control's colour.
    HBRUSH Brush = CreateSolidBrush(ToColorRef(FList.Color()));
    RECT Right{P.Width() - FScrollX, 0, Client.right, Client.bottom};
    RECT Below{0, P.Height() - FScrollY, Client.right, Client.bottom};
    if (Right.left < Right.right)
      FillRect(Dc, &Right, Brush);
    if (Below.top < Below.bottom)
      FillRect(Dc, &Below, Brush);
    DeleteObject(Brush);
    EndPaint(FWnd, &Ps);
    return 0;
  }
  case WM_SIZE:
    UpdateScrollBars();
    return 0;
  case WM_HSCROLL:
    Scroll(SB_HORZ, LOWORD(W));
    return 0;
  case WM_VSCROLL:
    Scroll(SB_VERT, LOWORD(W));
    return 0;
  case 0x020A: // WM_MOUSEWHEEL, absent from the oldest headers
    Scroll(SB_VERT, -1, -static_cast<short>(HIWORD(W)) / 120 * 3 * FList.RowHeight());
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  // The class asks for double clicks, so the second press of any button
  // comes as a double click; for the right and middle buttons it is only a
  // press.
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDBLCLK:
    SetFocus(FWnd);
    FList.MouseDown(Event(ButtonOfMessage(Msg), L));
    return 0;
  case WM_LBUTTONDBLCLK: {
    // The second press of a double click is a press too, then the double click.
    SetFocus(FWnd);
    const MouseEvent E = Event(MouseButton::Left, L);
    FList.MouseDown(E);
    FList.DblClick(E.X, E.Y);
    return 0;
  }
  case WM_MOUSEMOVE:
    FList.MouseMove(Event(MouseButton::Left, L));
    return 0;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
    FList.MouseUp(Event(ButtonOfMessage(Msg), L));
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS;
  case WM_KEYDOWN:
    if (W == VK_UP || W == VK_DOWN) {
      FList.KeyDown(W == VK_UP ? TVemoTreeViewList::Key::Up : TVemoTreeViewList::Key::Down);
      return 0;
    }
    if (W == VK_SPACE) {
      FList.KeyDown(TVemoTreeViewList::Key::Space);
      return 0;
    }
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    FList.FocusChanged();
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
