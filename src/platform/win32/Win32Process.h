// Processes through the Win32 API: CreateProcess, WaitForInputIdle and the
// exit code.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Processes : public Processes {
public:
  std::unique_ptr<Process> Start(const std::string &CommandLine, bool Hidden) override;
  void Sleep(uint32_t Ms) override;
};

} // namespace platform::win32
