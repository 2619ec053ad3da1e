#include "controls/GdiCanvas_win.h"
#include "ui/Colors.h"

#include <windows.h>

namespace ui {

controls::Pixel SystemColor(int Index) {
  return controls::FromColorRef(GetSysColor(Index));
}

int ScreenDpi() {
  HDC Dc = GetDC(nullptr);
  int D = Dc ? GetDeviceCaps(Dc, LOGPIXELSY) : 96;
  if (Dc)
    ReleaseDC(nullptr, Dc);
  return D > 0 ? D : 96;
}

} // namespace ui
