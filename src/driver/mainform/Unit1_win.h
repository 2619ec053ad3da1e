// The setup window on Windows: screen metrics, its own file, painting from
// the buffer without erasing, and the animations' timers.
#pragma once

#include "controls/GdiCanvas_win.h"
#include "driver/mainform/Unit1.h"

#include <windows.h>

namespace driver {

class Win32SetupWindowHost : public SetupWindowHost {
public:
  // Form is set once the setup window exists; then Attach hooks its window.
  void Attach(TForm1 &Form);

  int ScreenWidth() override;
  int ScreenHeight() override;
  int ScreenDpi() override;
  std::string ExecutablePath() override;
  void AnimationAdded(AnimationRecord &R) override;
  void AnimationRemoved(AnimationRecord &R) override;
  void Repaint(const controls::Rect *R) override;

private:
  bool Message(unsigned Msg, uintptr_t W, intptr_t L, intptr_t &Result);
  void Paint();

  TForm1 *FForm = nullptr;
  HWND FWnd = nullptr;
  controls::GdiCanvas FFrame; // the picture each paint composes
};

} // namespace driver
