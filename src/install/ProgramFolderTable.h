// The program folder names the user chose on the program folder page. The
// shortcut phase looks a folder up by its key, the top-level group's name,
// "\", and the child group's name (case-insensitive); a key the page never
// collected gives -1, and its chosen name is empty.
#pragma once

#include <string>

namespace install {

class ProgramFolderTable {
public:
  virtual ~ProgramFolderTable() = default;
  virtual int FindProgramFolder(const std::string &Key) const = 0;
  virtual std::string GetChosenFolder(int Index) const = 0;
};

} // namespace install
