#include "pages/SelectDir.h"

namespace pages {

TSelectDirForm::TSelectDirForm(ui::TApplication &App)
    : ui::TForm(App, "SelectDirForm", "Select Destination Directory", 365, 268) {
  Edit1 = &Add<ui::TEdit>(nullptr, "Edit1");
  Edit1->SetBounds(8, 8, 349, 21);
  DirectoryListBox1 = &Add<ui::TListBox>(nullptr, "DirectoryListBox1");
  DirectoryListBox1->SetBounds(8, 36, 349, 161);
  DriveComboBox1 = &Add<ui::TComboBox>(nullptr, "DriveComboBox1");
  DriveComboBox1->SetBounds(8, 204, 349, 21);
  Button1 = &Add<ui::TButton>(nullptr, "Button1");
  Button1->SetBounds(196, 235, 75, 25);
  Button1->SetCaption("OK");
  Button1->SetDefault(true);
  Button1->ModalResult = ui::MrOk;
  Button2 = &Add<ui::TButton>(nullptr, "Button2");
  Button2->SetBounds(282, 235, 75, 25);
  Button2->SetCaption("Cancel");
  Button2->SetCancel(true);
  Button2->ModalResult = ui::MrCancel;
}

} // namespace pages
