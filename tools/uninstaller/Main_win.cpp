// The uninstaller program: the Win32 services behind the portable logic.
#include "CommandLine.h"
#include "Uninstaller.h"

#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace {

std::string ModulePath() {
  char Buf[MAX_PATH + 1];
  DWORD N = GetModuleFileNameA(nullptr, Buf, MAX_PATH);
  return N && N < MAX_PATH ? std::string(Buf, N) : std::string();
}

// A running program cannot delete its own file. Windows NT removes it at the
// next restart; where that is not available the file stays and is listed.
bool RemoveAtRestart(const std::string &Path) {
  return MoveFileExA(Path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::RestrictDllSearch();
  platform::win32::Win32FileSystem Files;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Messages Msg;
  platform::Platform Services;
  Services.Files = &Files;
  Services.Reg = &Reg;
  Services.Msg = &Msg;

  uninst::UndoOptions Options;
  Options.SelfPath = ModulePath();
  Options.ScheduleRemoval = RemoveAtRestart;
  uninst::Arguments Args = uninst::ParseCommandLine(GetCommandLineA());
  return uninst::RunUninstaller(Args, Services, Options);
}
