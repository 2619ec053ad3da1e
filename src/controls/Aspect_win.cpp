// The aspect keeper's window subclassing: the form's message procedure is
// replaced by one that edits the proposed rectangle while the user drags an
// edge and the maximised size, and passes everything else on.
#include "controls/Aspect.h"

#include <windows.h>

namespace controls {

namespace {

// Window properties instead of globals: the keeper and the procedure it
// replaced, found again from the window handle.
constexpr char SelfProp[] = "TcAspect";
constexpr char PrevProp[] = "TcAspectPrev";

LRESULT CALLBACK AspectProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  auto *Self = static_cast<TAspect *>(GetPropA(Wnd, SelfProp));
  auto Prev = reinterpret_cast<WNDPROC>(GetPropA(Wnd, PrevProp));
  if (!Prev)
    return DefWindowProcA(Wnd, Msg, W, L);
  if (Self && Self->Active && (Msg == WM_SIZING || Msg == WM_GETMINMAXINFO)) {
    RECT Window, Client;
    GetWindowRect(Wnd, &Window);
    GetClientRect(Wnd, &Client);
    int Dx = 0, Dy = 0;
    Self->NonClientSizes(Window.right - Window.left, Window.bottom - Window.top, Client.right,
                         Client.bottom, Dx, Dy);
    if (Msg == WM_SIZING) {
      auto *P = reinterpret_cast<RECT *>(L);
      Rect R{P->left, P->top, P->right, P->bottom};
      Self->Sizing(static_cast<SizingEdge>(W), R, Dx, Dy);
      *P = {R.Left, R.Top, R.Right, R.Bottom};
    } else {
      auto *Info = reinterpret_cast<MINMAXINFO *>(L);
      const Size S = Self->MaximizedSize({Info->ptMaxSize.x, Info->ptMaxSize.y},
                                         GetSystemMetrics(SM_CYSCREEN), Dx, Dy);
      Info->ptMaxSize.x = S.Cx;
      Info->ptMaxSize.y = S.Cy;
    }
    return 0;
  }
  if (Msg == WM_NCDESTROY) {
    if (Self)
      Self->Unhook();
    RemovePropA(Wnd, SelfProp);
    RemovePropA(Wnd, PrevProp);
  }
  return CallWindowProcA(Prev, Wnd, Msg, W, L);
}

} // namespace

bool TAspect::Loaded() {
  HWND Wnd = static_cast<HWND>(FOwner);
  if (FHooked || !Wnd || !IsWindow(Wnd) || GetPropA(Wnd, SelfProp))
    return false;
  SetPropA(Wnd, SelfProp, this);
  // The previous procedure is stored before the switch so the first message
  // through the new one already finds it.
  SetPropA(Wnd, PrevProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC)));
  SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AspectProc));
  FHooked = true;
  return true;
}

void TAspect::Unhook() {
  if (!FHooked)
    return;
  FHooked = false;
  HWND Wnd = static_cast<HWND>(FOwner);
  if (!IsWindow(Wnd))
    return;
  RemovePropA(Wnd, SelfProp);
  // Only put the old procedure back while ours is still the current one; if
  // someone subclassed after us, ours stays in their chain as a pass-through.
  if (GetWindowLongPtrA(Wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(AspectProc)) {
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropA(Wnd, PrevProp)));
    RemovePropA(Wnd, PrevProp);
  }
}

} // namespace controls
