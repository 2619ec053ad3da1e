// The setup types' finalization commands: programs started after everything
// is installed, each waited for while the launcher's window keeps
// answering.
#pragma once

#include "install/InstallRecord.h"
#include "platform/Platform.h"

#include <functional>
#include <string>

namespace install {

struct FinalCommand {
  std::string Type, Command, Parameter, Caption;
};

// The model's record: type \x01 command \x02 parameter \x03 caption. A
// missing separator leaves the field before it empty and the rest unsplit.
FinalCommand SplitFinalCommand(const std::string &Record);

// True for the kind that starts a program ("RUN FILE", letter case
// ignored); "INSTALL REGISTRY FILE" and anything else run nothing.
bool IsRunFile(const FinalCommand &Command);

// The command line of a "RUN FILE" command: the program path with its
// macros expanded, doubled backslashes made single (a leading network "\\"
// stays) and trailing ones removed, in double quotes when it holds a blank
// (so that no "C:\Program.exe" runs instead), then a blank and the
// parameter when there is one.
std::string FinalCommandLine(const FinalCommand &Command, const PathResolver &Resolve);

// Starts CommandLine; with Wait, waits until it is idle for input and then
// until it ends, calling Pump (message processing) every 50 ms. False when
// the program could not be started.
bool RunProcess(platform::Processes &Procs, const std::string &CommandLine, bool Hidden, bool Wait,
                const std::function<void()> &Pump);

} // namespace install
