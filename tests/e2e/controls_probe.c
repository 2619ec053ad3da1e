/* Lists the visible controls of the visible top-level window whose caption
   is the first argument, one per line: left top right bottom (screen pixels)
   class and text. Lets a scenario click a control where it stands, whatever
   font and frame the system gives the window. Exits 1 when there is no such
   window. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static BOOL CALLBACK ListControl(HWND Wnd, LPARAM Param) {
  char Class[64] = "", Text[256] = "";
  RECT R;
  (void)Param;
  if (!IsWindowVisible(Wnd) || !GetWindowRect(Wnd, &R))
    return TRUE;
  GetClassNameA(Wnd, Class, sizeof Class);
  GetWindowTextA(Wnd, Text, sizeof Text);
  printf("%ld %ld %ld %ld %s %s\n", R.left, R.top, R.right, R.bottom, Class, Text);
  return TRUE;
}

static HWND Found;

static BOOL CALLBACK FindForm(HWND Wnd, LPARAM Caption) {
  char Text[256] = "";
  if (IsWindowVisible(Wnd) && GetWindowTextA(Wnd, Text, sizeof Text) &&
      strcmp(Text, (const char *)Caption) == 0) {
    Found = Wnd;
    return FALSE;
  }
  return TRUE;
}

int main(int argc, char **argv) {
  RECT R;
  if (argc < 2)
    return 2;
  EnumWindows(FindForm, (LPARAM)argv[1]);
  if (!Found || !GetWindowRect(Found, &R))
    return 1;
  printf("%ld %ld %ld %ld form %s\n", R.left, R.top, R.right, R.bottom, argv[1]);
  EnumChildWindows(Found, ListControl, 0);
  return 0;
}
