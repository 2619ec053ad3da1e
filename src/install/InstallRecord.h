// How the later phases of the installation record what they made: through
// the engine, into the uninstall log when there is one.
#pragma once

#include <functional>
#include <string>

namespace install {

struct RecordSink {
  // Adds a record under the section's next number; false when the log
  // could not take it.
  std::function<bool(const std::string &Section, const std::string &Value)> Add;
  // Writes the section's "Count" back as it stands, so the section exists
  // even without records.
  std::function<void(const std::string &Section)> Keep;
};

// ResolvePathMacros over the wizard's destination rows.
using PathResolver = std::function<std::string(const std::string &Path, bool AddTrailingBackslash)>;

} // namespace install
