// The directory browser (modal): a path field, the directories of the
// current drive and the drive list.
#pragma once

#include "platform/Platform.h"
#include "ui/Form.h"

#include <functional>
#include <string>
#include <vector>

namespace pages {

class TSelectDirForm : public ui::TForm {
public:
  explicit TSelectDirForm(ui::TApplication &App);

  // Shows the deepest existing directory of Path in the list and puts Path
  // itself into Edit1.
  void SetDirectory(const std::string &Path);
  // OK: a text that names no existing directory is made a full path on the
  // drive of the drive box; the browser closes with OK in every case.
  void Button1Click();
  // A directory picked in the list goes into Edit1; a double click opens it.
  void DirectoryListBox1Change();
  void DirectoryListBox1DblClick();
  // A drive chosen in the box shows its root.
  void DriveComboBox1Change();
  // Enter in Edit1 walks the list to its text.
  bool Edit1KeyDown(int Key);
  // Escape anywhere in the browser cancels it.
  bool EscapeCheck(int Key);

  // The directory the list shows ("c:\Apps\").
  const std::string &Directory() const { return FDirectory; }
  // The list item's full path.
  std::string ItemPath(int Index) const;

  platform::FileSystem *Files = nullptr;
  std::function<std::vector<std::string>()> Drives;

  ui::TEdit *Edit1;
  ui::TListBox *DirectoryListBox1;
  ui::TComboBox *DriveComboBox1;
  ui::TButton *Button1, *Button2;

private:
  void ShowDirectory(const std::string &Directory);
  void ShowDrive(const std::string &Directory);

  std::string FDirectory;
  std::vector<std::string> FItemPaths;
};

} // namespace pages
