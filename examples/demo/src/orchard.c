/* Orchard Notes: a one-window notes editor. The notes live in notes.txt
   beside the program; the window size and font come from Orchard.ini. */
#include "demo.h"

#define IDC_NOTES 100

static char NotesPath[MAX_PATH];
static HFONT NotesFont;

static void LoadNotes(HWND Edit) {
  char *Text = ReadWholeFile(NotesPath);
  if (Text) {
    SetWindowTextA(Edit, Text);
    HeapFree(GetProcessHeap(), 0, Text);
  }
}

static BOOL SaveNotes(HWND Edit) {
  int Len = GetWindowTextLengthA(Edit);
  char *Text = (char *)HeapAlloc(GetProcessHeap(), 0, (DWORD)Len + 1);
  BOOL Ok;
  if (!Text)
    return FALSE;
  Len = GetWindowTextA(Edit, Text, Len + 1);
  Ok = WriteWholeFile(NotesPath, Text, (DWORD)Len);
  HeapFree(GetProcessHeap(), 0, Text);
  return Ok;
}

static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  HWND Edit = GetDlgItem(Wnd, IDC_NOTES);
  switch (Msg) {
  case WM_CREATE: {
    char Face[LF_FACESIZE];
    Edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                               ES_WANTRETURN,
                           0, 0, 0, 0, Wnd, (HMENU)IDC_NOTES, GetModuleHandleA(NULL), NULL);
    GetPrivateProfileStringA("Font", "Face", "Orchard Sans", Face, sizeof Face, ORCHARD_INI);
    NotesFont = CreateFontA(-(int)GetPrivateProfileIntA("Font", "Size", 16, ORCHARD_INI), 0, 0, 0,
                            FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, Face);
    SendMessageA(Edit, WM_SETFONT, (WPARAM)NotesFont, 0);
    LoadNotes(Edit);
    return 0;
  }
  case WM_SIZE:
    MoveWindow(Edit, 0, 0, LOWORD(L), HIWORD(L), TRUE);
    return 0;
  case WM_SETFOCUS:
    SetFocus(Edit);
    return 0;
  case WM_CLOSE:
    if (GetPrivateProfileIntA("Notes", "AutoSave", 1, ORCHARD_INI) && !SaveNotes(Edit) &&
        MessageBoxA(Wnd, "The notes could not be saved. Close anyway?", "Orchard Notes",
                    MB_YESNO | MB_ICONWARNING) != IDYES)
      return 0;
    DestroyWindow(Wnd);
    return 0;
  case WM_DESTROY:
    DeleteObject(NotesFont);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE Prev, LPSTR CmdLine, int Show) {
  WNDCLASSA Class;
  HWND Wnd;
  MSG Msg;
  if (!BesideProgram("notes.txt", NotesPath, sizeof NotesPath))
    return 1;
  ZeroMemory(&Class, sizeof Class);
  Class.lpfnWndProc = WindowProc;
  Class.hInstance = Instance;
  Class.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(1));
  Class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  Class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  Class.lpszClassName = "OrchardNotes";
  if (!RegisterClassA(&Class))
    return 1;
  Wnd = CreateWindowExA(
      0, "OrchardNotes", "Orchard Notes", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
      (int)GetPrivateProfileIntA("Window", "Width", 480, ORCHARD_INI),
      (int)GetPrivateProfileIntA("Window", "Height", 360, ORCHARD_INI), NULL, NULL, Instance, NULL);
  if (!Wnd)
    return 1;
  ShowWindow(Wnd, Show);
  while (GetMessageA(&Msg, NULL, 0, 0) > 0) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  return 0;
}
