// The Win32 side of the toolkit: real windows for forms and controls, the
// message loop with dialog keyboard handling (Tab, Enter, Escape, Alt+letter).
#pragma once

#include "ui/Form.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace ui {

class Win32PeerFactory : public PeerFactory {
public:
  explicit Win32PeerFactory(TApplication *App = nullptr) : FApp(App) {}
  ~Win32PeerFactory() override;
  void SetApplication(TApplication &App) { FApp = &App; }

  std::unique_ptr<FormPeer> MakeFormPeer(TForm &F) override;
  std::unique_ptr<ControlPeer> MakeControlPeer(TControl &C) override;
  void ProcessMessages() override;
  void PostQuit() override;
  void Run() override;

  // A font for the controls, made once per description.
  HFONT FontFor(const controls::Font &F);
  // The form whose window is Wnd or holds it, or null.
  TForm *FormOfWindow(HWND Wnd) const;
  // Handles the message as dialog navigation when it is meant for one of
  // the forms; true when it was.
  bool PreTranslate(MSG &M);

private:
  TApplication *FApp;
  std::map<std::string, HFONT> FFonts;
  // When Return and Escape were last seen going down (message time), to
  // tell a held key's repeats from a new press.
  struct KeySeen {
    bool Seen = false;
    DWORD Time = 0;
  } FReturnSeen, FEscapeSeen;
};

// The window of a form or a control (null without one).
HWND WindowOf(const TForm &F);
HWND WindowOf(const TControl &C);

} // namespace ui
