// The uninstaller from its arguments to its exit code: read the log, ask for
// confirmation, undo, and tell the user what stayed behind.
#pragma once

#include "CommandLine.h"
#include "Undo.h"

#include "platform/Platform.h"

#include <string>

namespace uninst {

// Exit codes: the number of items that could not be removed (0: all gone),
// or one of these when nothing was attempted.
enum : int {
  ExitDeclined = 0,         // the user answered No
  ExitCannotStart = 0xFFFF, // no log given, log missing or not a log
};

// Files, Reg and Msg of Services are used.
int RunUninstaller(const Arguments &Args, platform::Platform &Services, const UndoOptions &Options);

// The closing message for a completed run.
std::string ReportText(const std::string &Title, const UndoReport &Report, size_t Ignored);

} // namespace uninst
