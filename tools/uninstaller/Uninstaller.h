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

// Files, Reg and Msg of Services are used. RemoveSelf, when given, tells
// whether the running program should now delete its own file: it is the
// uninstaller the removed registration named, everything went, and no other
// product's registration still names it.
int RunUninstaller(const Arguments &Args, platform::Platform &Services, const UndoOptions &Options,
                   bool *RemoveSelf = nullptr);

// The uninstaller program of the registration of Title; empty when there is
// none.
std::string RegisteredUninstaller(platform::Registry &Reg, const std::string &Title);

// True when a registration of another title names ExePath as its
// uninstaller (products installed with one uninstaller share it).
bool OtherProductUses(platform::Registry &Reg, const std::string &ExePath,
                      const std::string &Title);

// The closing message for a completed run.
std::string ReportText(const std::string &Title, const UndoReport &Report, size_t Ignored);

} // namespace uninst
