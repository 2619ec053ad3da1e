/* Imports user32 and does nothing else: what Wine's own user32 loads for
   any program that imports it (its version.dll and imm32.dll, which the
   user32 of Windows does not import or takes as known DLLs) is the baseline
   of the planted-library test under Wine. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE Previous, LPSTR Args, int Show) {
  (void)Instance, (void)Previous, (void)Args, (void)Show;
  return GetDesktopWindow() ? 0 : 1;
}
