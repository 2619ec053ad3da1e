#include "controls/ControlWindows_win.h"

namespace controls {

void RegisterControlClass(const char *Name, WNDPROC Proc, UINT Style, bool ArrowCursor) {
  HINSTANCE Inst = GetModuleHandleA(nullptr);
  WNDCLASSA Wc{};
  if (GetClassInfoA(Inst, Name, &Wc))
    return;
  Wc.style = Style;
  Wc.lpfnWndProc = Proc;
  Wc.hInstance = Inst;
  Wc.hCursor = ArrowCursor ? LoadCursor(nullptr, IDC_ARROW) : nullptr;
  Wc.lpszClassName = Name;
  RegisterClassA(&Wc);
}

} // namespace controls
