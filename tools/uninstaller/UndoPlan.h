// What to undo, in which order: shortcut files, files and registry values
// first (last record first within each kind), then program folders and
// directories once they are empty, then the registration and the log.
// Records that name nothing safely removable are set aside, never acted on.
#pragma once

#include "UninstallLog.h"

#include <string>
#include <vector>

namespace uninst {

enum class StepKind {
  RemoveLink,
  RemoveFile,
  DeleteValue,
  RemoveFolder,    // a program group
  RemoveDirectory, // an installation directory
  RemoveRegistration,
  RemoveLog,
};

struct UndoStep {
  StepKind Kind;
  std::string Path;     // file or directory, without a trailing backslash
  RegistryRecord Value; // DeleteValue
  std::string Title;    // RemoveRegistration
};

struct UndoPlan {
  std::vector<UndoStep> Steps;
  std::vector<std::string> Ignored; // records that were not acceptable
};

// An absolute local ("C:\...") or network ("\\server\share\...") path with
// no "." or ".." level, no wild cards and no control characters. Directory
// records end in a backslash; TrailingSlash allows that.
bool IsSafeAbsolutePath(const std::string &Path, bool TrailingSlash);

// The registration key of a title, below HKEY_LOCAL_MACHINE.
std::string RegistrationKey(const std::string &Title);

// A title that makes a sound key name: not empty, no backslash.
bool IsSafeTitle(const std::string &Title);

UndoPlan BuildUndoPlan(const UninstallLog &Log, const std::string &Title,
                       const std::string &LogPath);

} // namespace uninst
