// The files an installation puts in place of earlier ones. A new copy is
// written beside its destination and takes the destination's name only when
// it is whole; the earlier file is kept beside it under another name until
// the installation ends, so that a rollback can put it back (an upgrade
// cancelled half-way leaves the earlier version as it was) and a completed
// installation deletes it.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace install {

// Creates a new file beside Path, named Path + "." + Tag + a number, never
// opening one that exists (nor following a link of that name). Null when
// none can be made.
std::unique_ptr<platform::File> CreateBeside(platform::FileSystem &Files, const std::string &Path,
                                             const std::string &Tag, std::string &Name);

// What an installation stopped by a crash or a power cut left beside
// Destination: new copies ("<Destination>.tcnew<N>") that never took its
// name, and earlier files kept aside ("<Destination>.tcold<N>") that were
// neither put back nor deleted. The new copies are removed: they hold only
// what a package brought. When Destination is missing, the earliest kept
// file takes its name again (the user's file, as a rollback would have put
// it back). Other kept files stay: each may be the only copy of an earlier
// version, and only the user can tell.
struct Leftovers {
  size_t Removed = 0;    // new copies deleted
  bool Restored = false; // a kept file is at Destination again
  size_t Kept = 0;       // kept files left where they are
};
Leftovers RecoverLeftovers(platform::FileSystem &Files, const std::string &Destination);

class ReplacedFiles {
public:
  explicit ReplacedFiles(platform::FileSystem &Files) : FFiles(Files) {}

  // Moves the whole file NewFile to Destination. An earlier file there is
  // kept aside when this installation did not write it, and replaced when
  // it did (the first one kept is the one to put back). KeepAttributes gives
  // the new file the attributes of the one it replaces (a merged file
  // stays what the user made it); otherwise it has none. False, with
  // Destination as it was and NewFile still there, when it cannot be done.
  bool Replace(const std::string &NewFile, const std::string &Destination, bool KeepAttributes);
  // The rollback: puts every kept file back at its place, over what stands
  // there now, last replaced first. Returns how many could not be put back
  // (they stay under their kept names).
  size_t Restore();
  // The installation is complete: the kept files are deleted.
  void Discard();
  size_t KeptCount() const { return FKept.size(); }
  // RecoverLeftovers for a destination this run has not written yet (what
  // this run keeps aside is its own, not an earlier run's leftover).
  Leftovers Recover(const std::string &Destination);
  // A file this installation made at Destination where nothing was: a
  // later copy for the same place replaces it without keeping it.
  void NoteWritten(const std::string &Destination);
  bool Wrote(const std::string &Destination) const;

private:
  struct Kept {
    std::string Destination, Aside;
  };
  platform::FileSystem &FFiles;
  std::vector<Kept> FKept;
  std::set<std::string> FWritten; // destinations (upper-cased) this run wrote
};

} // namespace install
