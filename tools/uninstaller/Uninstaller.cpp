#include "Uninstaller.h"

#include "UndoPlan.h"
#include "UninstallLog.h"

#include "install/ReplacedFiles.h"
#include "install/UninstallerSetup.h"

namespace uninst {
namespace {

const size_t MaxListed = 20; // a message box taller than the screen helps nobody

void AppendList(std::string &Text, const std::vector<std::string> &Items) {
  size_t N = 0;
  for (const std::string &I : Items) {
    if (N++ == MaxListed) {
      Text += "... and " + std::to_string(Items.size() - MaxListed) + " more\r\n";
      break;
    }
    Text += "    " + I + "\r\n";
  }
}

std::string Caption(const std::string &Title) {
  return Title.empty() ? std::string("Uninstall") : "Uninstall " + Title;
}

} // namespace

std::string ReportText(const std::string &Title, const UndoReport &Report, size_t Ignored) {
  std::string Name = Title.empty() ? std::string("The program") : Title;
  std::string T;
  if (Report.Remaining() == 0)
    T = Name + " was removed from your computer.\r\n";
  else
    T = "The removal of " + Name + " is finished, but some items could not be removed.\r\n";
  if (!Report.NotRemoved.empty()) {
    T += "\r\nThese items may be in use or protected. Close the programs that use them and "
         "run the uninstallation again:\r\n";
    AppendList(T, Report.NotRemoved);
  }
  if (!Report.NotEmpty.empty()) {
    T += "\r\nThese directories still hold files that were not installed with the program "
         "and were left in place:\r\n";
    AppendList(T, Report.NotEmpty);
  }
  if (!Report.Scheduled.empty()) {
    T += "\r\nThese files are in use and will be removed when Windows restarts:\r\n";
    AppendList(T, Report.Scheduled);
  }
  if (!Report.Restored.empty()) {
    T += "\r\nAn earlier installation was interrupted before it ended. These files it had "
         "set aside were put back:\r\n";
    AppendList(T, Report.Restored);
  }
  if (Ignored)
    T += "\r\n" + std::to_string(Ignored) +
         " entries of the uninstallation log did not name an item that can be removed "
         "safely and were ignored.\r\n";
  return T;
}

std::string RegisteredUninstaller(platform::Registry &Reg, const std::string &Title) {
  std::string Command, Exe, Log;
  auto Key = Reg.OpenKey(platform::RootKey::LocalMachine, RegistrationKey(Title), false);
  if (Key && Key->ReadString("UninstallString", Command))
    install::SplitUninstallString(Command, Exe, Log);
  return Exe;
}

bool OtherProductUses(platform::Registry &Reg, const std::string &ExePath,
                      const std::string &Title) {
  std::string Base = RegistrationKey("");
  Base.pop_back(); // the list key itself, without the separator
  auto List = Reg.OpenKey(platform::RootKey::LocalMachine, Base, false);
  std::vector<std::string> Names;
  // A list that cannot be read may hide a user of the program: keep it.
  if (!List || !List->ListSubKeys(Names))
    return true;
  List.reset();
  for (const std::string &Name : Names)
    if (install::UpperAscii(Name) != install::UpperAscii(Title) &&
        install::UpperAscii(RegisteredUninstaller(Reg, Name)) == install::UpperAscii(ExePath))
      return true;
  return false;
}

int RunUninstaller(const Arguments &Args, platform::Platform &Services, const UndoOptions &Options,
                   bool *RemoveSelf) {
  if (RemoveSelf)
    *RemoveSelf = false;
  auto Show = [&](const std::string &Text, const std::string &Cap, uint32_t Flags) {
    return Args.Quiet ? platform::IdYes : Services.Msg->ShowMessage(Text, Cap, Flags);
  };
  if (!Args.Valid) {
    Show("This program removes an installed program. It is started from the list of installed "
         "programs, with its uninstallation log and the program's title:\r\n\r\n"
         "    uninstaller \"log file\" \"title\" [/quiet]",
         Caption(""), platform::MbOk | platform::MbIconError);
    return ExitCannotStart;
  }
  UninstallLog Log;
  // A log whose rewriting a crash cut short may be kept aside.
  if (!Services.Files->FileExists(Args.LogPath))
    install::RecoverLeftovers(*Services.Files, Args.LogPath);
  LogStatus Status = ReadUninstallLog(*Services.Files, Args.LogPath, Log);
  std::string Title = Args.Title.empty() ? Log.Title : Args.Title;
  if (Status == LogStatus::Missing) {
    Show("The uninstallation log\r\n" + Args.LogPath +
             "\r\ncannot be found. The program may have been removed already.",
         Caption(Title), platform::MbOk | platform::MbIconError);
    return ExitCannotStart;
  }
  if (Status == LogStatus::NotALog) {
    Show(Args.LogPath + "\r\nis not an uninstallation log. Nothing was removed.", Caption(Title),
         platform::MbOk | platform::MbIconError);
    return ExitCannotStart;
  }
  std::string Name = Title.empty() ? std::string("this program") : Title;
  if (Show("Are you sure you want to completely remove " + Name + " and all of its components?",
           Caption(Title), platform::MbYesNo | platform::MbIconQuestion) != platform::IdYes)
    return ExitDeclined;

  // Only the copy the registration names may go: the same program started
  // from anywhere else (a build folder, a share) is not the installed one.
  const bool Registered = IsSafeTitle(Title) && !Options.SelfPath.empty() &&
                          install::UpperAscii(RegisteredUninstaller(*Services.Reg, Title)) ==
                              install::UpperAscii(Options.SelfPath);
  UndoPlan Plan = BuildUndoPlan(Log, Title, Args.LogPath);
  UndoReport Report = RunUndo(Plan, *Services.Files, *Services.Reg, Options);
  if (RemoveSelf)
    *RemoveSelf = Registered && !Report.KeptForRetry &&
                  RegisteredUninstaller(*Services.Reg, Title).empty() &&
                  !OtherProductUses(*Services.Reg, Options.SelfPath, Title);
  Show(ReportText(Title, Report, Plan.Ignored.size()), Caption(Title),
       platform::MbOk |
           (Report.Remaining() ? platform::MbIconWarning : platform::MbIconInformation));
  return static_cast<int>(Report.Remaining());
}

} // namespace uninst
