// The directory browser (modal): a path field, the directories of the
// current drive and the drive list.
#pragma once

#include "ui/Form.h"

namespace pages {

class TSelectDirForm : public ui::TForm {
public:
  explicit TSelectDirForm(ui::TApplication &App);

  ui::TEdit *Edit1;
  ui::TListBox *DirectoryListBox1;
  ui::TComboBox *DriveComboBox1;
  ui::TButton *Button1, *Button2;
};

} // namespace pages
