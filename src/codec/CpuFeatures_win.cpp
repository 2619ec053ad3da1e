#include "codec/CpuFeatures.h"

#include <windows.h>

namespace codec {

// IsProcessorFeaturePresent is looked up, not imported: Windows 95 lacks it,
// and a system without it is taken not to save the SSE state.
bool OsSavesSseState() {
  using Query = BOOL(WINAPI *)(DWORD);
  const HMODULE Kernel = GetModuleHandleA("kernel32.dll");
  if (!Kernel)
    return false;
  const Query IsPresent = reinterpret_cast<Query>(
      reinterpret_cast<void *>(GetProcAddress(Kernel, "IsProcessorFeaturePresent")));
  return IsPresent && IsPresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE); // SSE2, which the folding uses
}

} // namespace codec
