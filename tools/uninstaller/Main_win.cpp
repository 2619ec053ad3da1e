// The uninstaller program: the Win32 services behind the portable logic,
// its progress window, and the removal of its own file once it has ended.
#include "CommandLine.h"
#include "ProgressWindow_win.h"
#include "Uninstaller.h"

#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <string>

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

std::string ShortPath(const std::string &Path) {
  char Buf[MAX_PATH + 1];
  DWORD N = GetShortPathNameA(Path.c_str(), Buf, MAX_PATH);
  return N && N < MAX_PATH ? std::string(Buf, N) : std::string();
}

// A running program's file cannot be deleted while it runs, on any Windows.
// So the program leaves a batch file in the temporary directory that keeps
// deleting the program until it has ended, then deletes itself, and starts
// it hidden, suspended and at idle priority; the program raises its own
// priority, lets the batch go and ends at once, so the batch's first tries
// find it (nearly) gone. The command interpreter (COMMAND.COM or CMD.EXE,
// from COMSPEC) exists on Windows 95 and NT 4.0 alike, and short names keep
// the batch free of quoting that COMMAND.COM does not know. Helpers such as
// FILE_FLAG_DELETE_ON_CLOSE on a copy, or MoveFileEx at the next restart,
// work only on NT, or only after a restart.
bool RemoveSelfWhenEnded(const std::string &Self) {
  // The batch would try for ever on a file this user may not delete.
  SetFileAttributesA(Self.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(GetVersion() & 0x80000000)) { // the NT family has access rights
    HANDLE H =
        CreateFileA(Self.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (H == INVALID_HANDLE_VALUE)
      return false;
    CloseHandle(H);
  }
  const std::string Exe = ShortPath(Self);
  char Temp[MAX_PATH + 1], Name[MAX_PATH + 1], Shell[MAX_PATH + 1];
  DWORD T = GetTempPathA(MAX_PATH, Temp);
  if (Exe.empty() || !T || T >= MAX_PATH || !GetTempFileNameA(Temp, "tcd", 0, Name))
    return false;
  // GetTempFileName made the file; the batch takes a name of its own.
  DeleteFileA(Name);
  std::string Batch = std::string(Name);
  Batch = Batch.substr(0, Batch.rfind('.')) + ".bat";
  const std::string Text =
      "@echo off\r\n:again\r\ndel " + Exe + "\r\nif exist " + Exe + " goto again\r\ndel %0\r\n";
  HANDLE F = CreateFileA(Batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (F == INVALID_HANDLE_VALUE)
    return false;
  DWORD Written = 0;
  const bool Ok =
      WriteFile(F, Text.data(), DWORD(Text.size()), &Written, nullptr) && Written == Text.size();
  CloseHandle(F);
  const std::string BatchShort = ShortPath(Batch);
  DWORD N = GetEnvironmentVariableA("COMSPEC", Shell, MAX_PATH);
  if (!Ok || BatchShort.empty() || !N || N >= MAX_PATH) {
    DeleteFileA(Batch.c_str());
    return false;
  }
  const std::string ShellShort = ShortPath(Shell);
  std::string Line = (ShellShort.empty() ? std::string(Shell) : ShellShort) + " /c " + BatchShort;
  STARTUPINFOA Start;
  ZeroMemory(&Start, sizeof Start);
  Start.cb = sizeof Start;
  Start.dwFlags = STARTF_USESHOWWINDOW;
  Start.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION Info;
  ZeroMemory(&Info, sizeof Info);
  if (!CreateProcessA(nullptr, &Line[0], nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr, Temp, &Start, &Info)) {
    DeleteFileA(Batch.c_str());
    return false;
  }
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  ResumeThread(Info.hThread);
  CloseHandle(Info.hThread);
  CloseHandle(Info.hProcess);
  return true;
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

  uninst::Arguments Args = uninst::ParseCommandLine(GetCommandLineA());
  uninst::UndoOptions Options;
  Options.SelfPath = ModulePath();
  Options.ScheduleRemoval = RemoveAtRestart;
  // Not the caption of the question and report boxes, so that nobody (and
  // no script) takes the one for the other.
  uninst::ProgressWindow Progress(Args.Title.empty() ? std::string("Removing")
                                                     : "Removing " + Args.Title);
  if (!Args.Quiet)
    Options.Progress = [&Progress](size_t Done, size_t Total, const std::string &Item) {
      Progress.Update(Done, Total, Item);
    };
  bool RemoveSelf = false;
  const int Code = uninst::RunUninstaller(Args, Services, Options, &RemoveSelf);
  if (RemoveSelf)
    RemoveSelfWhenEnded(Options.SelfPath);
  return Code;
}
