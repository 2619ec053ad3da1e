// Program entry of the setup launcher: the application, the setup window and
// the ten page forms in their order, then the message loop until the
// application terminates. No command line is read.
#include <windows.h>

#include "driver/mainform/Unit1_win.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Ini.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Version.h"
#include "ui/Toolkit_win.h"

namespace {

// Message boxes belong to the window the user is working in, so that they
// stand in front of it (the first pages stay on top of other windows).
class OwnedMessages : public platform::Messages {
public:
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    HWND Owner = GetActiveWindow();
    UINT F = Flags | MB_SETFOREGROUND;
    if (!Owner)
      F |= MB_TASKMODAL;
    return MessageBoxA(Owner, Text.c_str(), Caption.c_str(), F);
  }
};

int Run() {
  platform::win32::Win32FileSystem Files;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Ini Ini;
  platform::win32::Win32Version Version;
  platform::win32::Win32Shell Shell;
  platform::win32::Win32Processes Procs;
  OwnedMessages Msg;
  platform::Platform System{&Files, &Reg, &Ini, &Version, &Shell, &Procs, &Msg};
  // Shortcuts are made through the shell's COM objects on this thread.
  platform::win32::ComApartment Com;

  auto Factory = std::make_unique<ui::Win32PeerFactory>();
  ui::Win32PeerFactory &F = *Factory;
  ui::TApplication App(std::move(Factory));
  F.SetApplication(App);

  driver::Win32SetupWindowHost Host;
  driver::TForm1 Form1(App, System, Host);
  Host.Attach(Form1);
  driver::OwnedPages Pages = driver::CreatePages(App, Form1);
  Form1.AttachPages(Pages.Pages);

  Form1.FormCreate();
  Form1.Show();
  Form1.FormShow();
  App.Run();
  const bool Started = Form1.FWizardStarted;
  for (auto It = Pages.Forms.rbegin(); It != Pages.Forms.rend(); ++It)
    It->reset();
  return Started ? 0 : 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::RestrictDllSearch();
  return Run();
}
