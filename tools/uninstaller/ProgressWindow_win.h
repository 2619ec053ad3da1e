// The uninstaller's progress window: it appears only when the removal runs
// long enough for the user to wonder, shows the item being removed and a
// bar, and keeps the program answering while files are deleted.
#pragma once

#include <windows.h>

#include <string>

namespace uninst {

class ProgressWindow {
public:
  explicit ProgressWindow(const std::string &Caption);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow &) = delete;
  ProgressWindow &operator=(const ProgressWindow &) = delete;
  // Done of Total steps made; Item comes next.
  void Update(size_t Done, size_t Total, const std::string &Item);

private:
  void Create();

  std::string FCaption;
  DWORD FStart;
  HWND FWindow = nullptr, FText = nullptr, FBar = nullptr;
};

} // namespace uninst
