// Carrying out an undo plan against the platform's files and registry.
// Nothing is removed that the plan does not name: directories only when
// empty, registry keys only when a recorded value was deleted from them and
// they were left without values and sub-keys.
#pragma once

#include "UndoPlan.h"

#include <functional>
#include <string>
#include <vector>

namespace uninst {

struct UndoOptions {
  // The running program: it cannot delete itself, so when the log names it
  // the removal is handed to ScheduleRemoval (at the next restart).
  std::string SelfPath;
  std::function<bool(const std::string &)> ScheduleRemoval;
  // Told before each step: steps done so far, all steps, what comes next.
  std::function<void(size_t Done, size_t Total, const std::string &Item)> Progress;
};

struct UndoReport {
  int Removed = 0;
  std::vector<std::string> NotRemoved; // in use, access denied...
  std::vector<std::string> NotEmpty;   // directories that still hold files
  std::vector<std::string> Scheduled;  // removed at the next restart
  // Earlier files that an installation cut short had kept aside, put back.
  std::vector<std::string> Restored;
  // Something could not be removed, so the registration and the log stay and
  // the uninstallation can be repeated once the cause is gone.
  bool KeptForRetry = false;
  // Items the user has to see: everything that is still there.
  size_t Remaining() const { return NotRemoved.size() + NotEmpty.size(); }
};

UndoReport RunUndo(const UndoPlan &Plan, platform::FileSystem &Files, platform::Registry &Reg,
                   const UndoOptions &Options);

// "HKEY_CURRENT_USER\Software\X\Name" for reports; "(Default)" for the
// key's default value.
std::string DescribeValue(const RegistryRecord &Value);

} // namespace uninst
