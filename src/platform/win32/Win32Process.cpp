#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

namespace {

class Win32Process : public Process {
public:
  explicit Win32Process(HANDLE H) : FHandle(H) {}
  ~Win32Process() override { CloseHandle(FHandle); }

  bool WaitForInputIdle(uint32_t TimeoutMs) override {
    return ::WaitForInputIdle(FHandle, TimeoutMs) != WAIT_TIMEOUT;
  }
  bool GetExitCode(uint32_t &Code) override {
    DWORD C = 0;
    if (!GetExitCodeProcess(FHandle, &C))
      return false;
    Code = C;
    return true;
  }

  bool HasEnded() override { return WaitForSingleObject(FHandle, 0) == WAIT_OBJECT_0; }

private:
  HANDLE FHandle;
};

} // namespace

std::unique_ptr<Process> Win32Processes::Start(const std::string &CommandLine, bool Hidden) {
  STARTUPINFOA Start;
  ZeroMemory(&Start, sizeof Start);
  Start.cb = sizeof Start;
  Start.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  Start.wShowWindow = Hidden ? SW_HIDE : SW_SHOWNORMAL;
  PROCESS_INFORMATION Info;
  ZeroMemory(&Info, sizeof Info);
  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> Line(CommandLine.begin(), CommandLine.end());
  Line.push_back('\0');
  if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &Start, &Info))
    return nullptr;
  CloseHandle(Info.hThread);
  return std::make_unique<Win32Process>(Info.hProcess);
}

void Win32Processes::Sleep(uint32_t Ms) {
  ::Sleep(Ms);
}

} // namespace platform::win32
