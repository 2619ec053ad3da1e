#include "pages/Drives.h"

namespace pages {

// A POSIX system has no drive letters: the box stays empty and typed paths
// keep their own.
std::vector<std::string> LogicalDrives() {
  return {};
}

} // namespace pages
