// The Win32 halves of the self-drawn controls: each window owns its portable
// control, paints it through a GdiCanvas and feeds it mouse, keys and timers.
#pragma once

#include "controls/AnimatedBitmap.h"
#include "controls/GdiCanvas_win.h"
#include "controls/VemoProgressbar.h"
#include "controls/VemoTreeViewList.h"

#include <windows.h>

#include <memory>

namespace controls {

// Registers a control's window class the first time a window of it is made.
void RegisterControlClass(const char *Name, WNDPROC Proc, UINT Style, bool ArrowCursor);

// The button of a mouse press, release or double-click message.
inline MouseButton ButtonOfMessage(UINT Msg) {
  switch (Msg) {
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_RBUTTONDBLCLK:
    return MouseButton::Right;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP:
  case WM_MBUTTONDBLCLK:
    return MouseButton::Middle;
  default:
    return MouseButton::Left;
  }
}

// A child window showing a TVemoProgressBar (created 200 x 17).
class TVemoProgressBarWindow {
public:
  TVemoProgressBarWindow(HWND Parent, int X, int Y, int W = 200, int H = 17, int Id = 0);
  // A window over a bar that someone else owns and has set up.
  TVemoProgressBarWindow(HWND Parent, TVemoProgressBar &Bar, int X, int Y, int W, int H,
                         int Id = 0);
  ~TVemoProgressBarWindow();
  TVemoProgressBarWindow(const TVemoProgressBarWindow &) = delete;
  TVemoProgressBarWindow &operator=(const TVemoProgressBarWindow &) = delete;

  HWND Handle() const { return FWnd; }
  TVemoProgressBar &Bar() { return FBar; }

private:
  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  LRESULT Handle(UINT Msg, WPARAM W, LPARAM L);

  void Create(HWND Parent, int X, int Y, int W, int H, int Id);

  HWND FWnd = nullptr;
  std::unique_ptr<TVemoProgressBar> FOwnedBar;
  TVemoProgressBar &FBar;
  GdiCanvas FSurface;
  std::string FShownLook; // what the last paint drew
  bool FPaintPending = false; // invalidated since the last paint
};

// A child window with scroll bars over the tree list's off-screen picture
// (created 200 x 200). The border style follows BorderStyle.
class TVemoTreeViewListWindow {
public:
  TVemoTreeViewListWindow(HWND Parent, int X, int Y, int W = 200, int H = 200, int Id = 0);
  // A window over a list that someone else owns and has set up; TabStop
  // decides whether Tab stops at it.
  TVemoTreeViewListWindow(HWND Parent, TVemoTreeViewList &List, int X, int Y, int W, int H, int Id,
                          bool TabStop);
  ~TVemoTreeViewListWindow();
  TVemoTreeViewListWindow(const TVemoTreeViewListWindow &) = delete;
  TVemoTreeViewListWindow &operator=(const TVemoTreeViewListWindow &) = delete;

  HWND Handle() const { return FWnd; }
  TVemoTreeViewList &List() { return FList; }
  void SetBorderStyle(controls::BorderStyle B);
  // The picture position shown at the window's top-left corner.
  POINT ScrollPos() const { return {FScrollX, FScrollY}; }

private:
  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  LRESULT Handle(UINT Msg, WPARAM W, LPARAM L);
  void UpdateScrollBars();
  void Scroll(int Bar, int Code, int Delta = 0);
  MouseEvent Event(MouseButton B, LPARAM L) const;

  void Create(HWND Parent, int X, int Y, int W, int H, int Id, bool TabStop);

  HWND FWnd = nullptr;
  std::unique_ptr<TVemoTreeViewList> FOwnedList;
  TVemoTreeViewList &FList;
  int FScrollX = 0;
  int FScrollY = 0;
  bool FInScrollUpdate = false;
};

// The animated bitmap on a parent window: paints onto the parent's device
// context and keeps its timer on a hidden window of its own. The parent's
// paint handler calls PaintOn.
class TAnimatedBitmapHost {
public:
  explicit TAnimatedBitmapHost(HWND Parent);
  ~TAnimatedBitmapHost();
  TAnimatedBitmapHost(const TAnimatedBitmapHost &) = delete;
  TAnimatedBitmapHost &operator=(const TAnimatedBitmapHost &) = delete;

  TAnimatedBitmap &Control() { return FControl; }
  void PaintOn(HDC Dc);

private:
  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);

  HWND FParent;
  HWND FTimerWnd = nullptr;
  TAnimatedBitmap FControl;
  GdiCanvas FFrame;
};

} // namespace controls
