// The uninstaller's command line, as the installer registers it: the
// program path (written without quotes), the log path and the title, each
// of the last two in double quotes. Switches start with a slash.
#pragma once

#include <string>

namespace uninst {

struct Arguments {
  std::string LogPath;
  std::string Title;
  bool Quiet = false; // answer yes, show no boxes (scripts and tests)
  bool Valid = false; // a log path was given
};

// CommandLine is the whole line, program path included (GetCommandLine).
Arguments ParseCommandLine(const std::string &CommandLine);

} // namespace uninst
