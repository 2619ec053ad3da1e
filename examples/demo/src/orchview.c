/* Orchard Help Viewer: shows a text file read-only. The command line names
   the file; a name without a folder is looked up beside the program, so
   "orchview readme.txt" opens the installed readme from anywhere. */
#include "demo.h"

static HWND Text;

static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_SIZE:
    MoveWindow(Text, 0, 0, LOWORD(L), HIWORD(L), TRUE);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

/* The file the command line names, without quotes and blanks around it. */
static void FileFromCommandLine(const char *CmdLine, char *Out, DWORD Size) {
  char Name[MAX_PATH];
  size_t Len;
  while (*CmdLine == ' ' || *CmdLine == '"')
    ++CmdLine;
  lstrcpynA(Name, *CmdLine ? CmdLine : "help\\orchard.txt", sizeof Name);
  Len = strlen(Name);
  while (Len > 0 && (Name[Len - 1] == ' ' || Name[Len - 1] == '"'))
    Name[--Len] = 0;
  if (strchr(Name, ':') || Name[0] == '\\' || !BesideProgram(Name, Out, Size))
    lstrcpynA(Out, Name, (int)Size);
}

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE Prev, LPSTR CmdLine, int Show) {
  char Path[MAX_PATH], Caption[MAX_PATH + 32];
  char *Content;
  WNDCLASSA Class;
  HWND Wnd;
  MSG Msg;
  FileFromCommandLine(CmdLine, Path, sizeof Path);
  Content = ReadWholeFile(Path);
  if (!Content) {
    wsprintfA(Caption, "Cannot open %s.", Path);
    MessageBoxA(NULL, Caption, "Orchard Help Viewer", MB_OK | MB_ICONERROR);
    return 1;
  }
  ZeroMemory(&Class, sizeof Class);
  Class.lpfnWndProc = WindowProc;
  Class.hInstance = Instance;
  Class.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(1));
  Class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  Class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  Class.lpszClassName = "OrchardViewer";
  RegisterClassA(&Class);
  wsprintfA(Caption, "%s - Orchard Help Viewer", Path);
  Wnd = CreateWindowExA(0, "OrchardViewer", Caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 560, 420, NULL, NULL, Instance, NULL);
  if (!Wnd)
    return 1;
  Text = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", Content,
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 0,
                         0, Wnd, NULL, Instance, NULL);
  SendMessageA(Text, WM_SETFONT, (WPARAM)GetStockObject(ANSI_FIXED_FONT), 0);
  HeapFree(GetProcessHeap(), 0, Content);
  ShowWindow(Wnd, Show);
  while (GetMessageA(&Msg, NULL, 0, 0) > 0) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  return 0;
}
