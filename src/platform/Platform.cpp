#include "platform/Platform.h"

namespace platform {

bool FileSystem::MoveReplacing(const std::string &From, const std::string &To) {
  if (!FileExists(To))
    return RenameFile(From, To);
  std::string Aside;
  for (int N = 1; N < 1000 && Aside.empty(); ++N) {
    const std::string Name = To + ".tcold" + std::to_string(N);
    if (!FileExists(Name) && !DirectoryExists(Name))
      Aside = Name;
  }
  if (Aside.empty() || !RenameFile(To, Aside))
    return false;
  if (!RenameFile(From, To)) {
    RenameFile(Aside, To);
    return false;
  }
  RemoveFile(Aside);
  return true;
}

} // namespace platform
