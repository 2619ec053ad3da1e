#include "ProgressWindow_win.h"

#include <commctrl.h>

#include "platform/win32/DllSearch.h"

namespace uninst {

namespace {

// A removal shorter than this shows no window at all.
constexpr DWORD ShowAfterMs = 400;
const char ClassName[] = "TcUninstallProgress";

LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_CLOSE)
    return 0; // a half-done removal is not interrupted
  return DefWindowProcA(Window, Message, W, L);
}

void Pump() {
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

} // namespace

ProgressWindow::ProgressWindow(const std::string &Caption)
    : FCaption(Caption), FStart(GetTickCount()) {}

ProgressWindow::~ProgressWindow() {
  if (FWindow)
    DestroyWindow(FWindow);
}

void ProgressWindow::Create() {
  HINSTANCE Instance = GetModuleHandleA(nullptr);
  // comctl32 is not one of the libraries the loader always takes from the
  // system directory, and the uninstaller runs from the temporary folder.
  if (HMODULE Common = platform::win32::LoadSystemLibrary("comctl32.dll"))
    if (auto Init = reinterpret_cast<void(WINAPI *)()>(
            reinterpret_cast<void *>(GetProcAddress(Common, "InitCommonControls"))))
      Init();
  WNDCLASSA Class = {};
  Class.lpfnWndProc = WindowProc;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursor(nullptr, IDC_WAIT);
  Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  Class.lpszClassName = ClassName;
  RegisterClassA(&Class);
  const int Width = 420, Height = 130;
  FWindow = CreateWindowExA(
      WS_EX_DLGMODALFRAME, ClassName, FCaption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
      (GetSystemMetrics(SM_CXSCREEN) - Width) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height) / 2,
      Width, Height, nullptr, nullptr, Instance, nullptr);
  if (!FWindow)
    return;
  RECT Client;
  GetClientRect(FWindow, &Client);
  const int Inner = Client.right - 24;
  HFONT Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND Label = CreateWindowExA(0, "STATIC", "Removing files and settings...",
                               WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 10, Inner, 18, FWindow, nullptr,
                               Instance, nullptr);
  FText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 12, 32,
                          Inner, 18, FWindow, nullptr, Instance, nullptr);
  FBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 12, 58, Inner, 18, FWindow,
                         nullptr, Instance, nullptr);
  for (HWND C : {Label, FText})
    if (C)
      SendMessageA(C, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  if (FBar)
    SendMessageA(FBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ShowWindow(FWindow, SW_SHOWNORMAL);
  UpdateWindow(FWindow);
}

void ProgressWindow::Update(size_t Done, size_t Total, const std::string &Item) {
  if (Done >= Total && FWindow) {
    // The report box that follows stands alone.
    DestroyWindow(FWindow);
    FWindow = FText = FBar = nullptr;
    Pump();
    return;
  }
  if (!FWindow) {
    if (Done >= Total || GetTickCount() - FStart < ShowAfterMs)
      return;
    Create();
    if (!FWindow)
      return;
  }
  SetWindowTextA(FText, Item.c_str());
  SendMessageA(FBar, PBM_SETPOS, Total ? WPARAM(Done * 100 / Total) : 0, 0);
  Pump();
}

} // namespace uninst
