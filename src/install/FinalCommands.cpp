#include "install/FinalCommands.h"

#include "package/ScriptCodecs.h"
#include "package/SetupModel.h"

namespace install {

namespace {

// Polling step while a program runs.
constexpr uint32_t PollMs = 50;
// What a failed read of the exit code counts as: anything but "still
// active", so the wait ends.
constexpr uint32_t UnreadableExitCode = 260;

std::string TakeField(std::string &Text, char Separator) {
  const size_t P = Text.find(Separator);
  if (P == std::string::npos)
    return std::string();
  std::string Field = Text.substr(0, P);
  Text.erase(0, P + 1);
  return Field;
}

} // namespace

FinalCommand SplitFinalCommand(const std::string &Record) {
  std::string Rest = Record;
  FinalCommand C;
  C.Type = TakeField(Rest, package::CommandSeparator1);
  C.Command = TakeField(Rest, package::CommandSeparator2);
  C.Parameter = TakeField(Rest, package::CommandSeparator3);
  C.Caption = Rest;
  return C;
}

bool IsRunFile(const FinalCommand &Command) {
  return package::UpperCaseText(Command.Type) == "RUN FILE";
}

std::string FinalCommandLine(const FinalCommand &Command, const PathResolver &Resolve) {
  std::string Path = Resolve(Command.Command, true);
  const size_t Keep = Path.compare(0, 2, "\\\\") == 0 ? 1 : 0;
  for (size_t I; (I = Path.find("\\\\", Keep)) != std::string::npos;)
    Path.erase(I, 1);
  while (Path.size() > Keep + 1 && Path.back() == '\\')
    Path.pop_back();
  if (Keep == 0)
    while (!Path.empty() && Path.back() == '\\')
      Path.pop_back();
  if (!Path.empty() && Path.find(' ') != std::string::npos && Path.front() != '"')
    Path = "\"" + Path + "\"";
  return Command.Parameter.empty() ? Path : Path + " " + Command.Parameter;
}

bool RunProcess(platform::Processes &Procs, const std::string &CommandLine, bool Hidden, bool Wait,
                const std::function<void()> &Pump) {
  std::unique_ptr<platform::Process> P = Procs.Start(CommandLine, Hidden);
  if (!P)
    return false;
  if (!Wait)
    return true;
  // Waited for in steps, so the launcher's window keeps painting while the
  // program starts up.
  uint32_t Code = platform::ProcessStillActive;
  while (!P->WaitForInputIdle(PollMs)) {
    Pump();
    if (P->HasEnded())
      return true;
  }
  // A program may itself end with the code that means "still active"; the
  // process's own state tells that apart, or the wait would never end.
  do {
    Procs.Sleep(PollMs);
    Pump();
    if (!P->GetExitCode(Code))
      Code = UnreadableExitCode;
  } while (Code == platform::ProcessStillActive && !P->HasEnded());
  return true;
}

} // namespace install
