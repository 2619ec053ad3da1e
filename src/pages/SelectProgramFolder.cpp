#include "pages/SelectProgramFolder.h"

namespace {

// The tree's folder pictures: a closed folder, and for the all-users folders
// the same with a figure in front. The top-left pixel is the transparent
// colour.
controls::Bitmap FolderPicture(bool AllUsers) {
  using controls::Rgb;
  const controls::Pixel Clear = Rgb(255, 0, 255), Edge = Rgb(128, 128, 0),
                        Face = Rgb(255, 255, 128), Figure = Rgb(0, 0, 160);
  controls::Bitmap B(16, 16, Clear);
  for (int Y = 3; Y < 14; ++Y)
    for (int X = 1; X < 15; ++X) {
      bool Tab = Y == 3 && X > 6;
      if (Tab)
        continue;
      bool Border = Y == 3 || Y == 4 || Y == 13 || X == 1 || X == 14 || (Y == 4 && X <= 6);
      B.At(X, Y) = Border ? Edge : Face;
    }
  if (AllUsers)
    for (int Y = 7; Y < 15; ++Y)
      for (int X = 9; X < 14; ++X) {
        int DX = X - 11;
        bool Head = Y < 10 && DX * DX + (Y - 8) * (Y - 8) <= 1;
        bool Body = Y >= 11;
        if (Head || Body)
          B.At(X, Y) = Figure;
      }
  return B;
}

} // namespace

namespace pages {

TSelectProgramFolderForm::TSelectProgramFolderForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "SelectProgramFolderForm", "Select Program Folder", 470, 339) {
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 49);
  Label1 = &AddLabel("Label1", "&Program Folder:", 144, 72, 90, 13);
  Edit1 = &Add<ui::TEdit>(nullptr, "Edit1");
  Edit1->SetBounds(144, 88, 310, 21);
  Label2 = &AddLabel("Label2", "E&xisting Folders:", 144, 120, 200, 13);
  VemoTreeViewList1 = &Add<ui::TTreeList>(nullptr, "VemoTreeViewList1");
  VemoTreeViewList1->SetBounds(144, 136, 310, 140);
  VemoTreeViewList1->SetTabStop(false);
  auto &L = VemoTreeViewList1->List();
  L.SetShowButtons(true);
  L.SetShowLines(false);
  L.SetShowRoot(true);
  L.SetShowCheckBoxes(false);
  Bevel1 = &AddBevel(16, 288, 438);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
  CurrentUserImage = &Add<ui::TImage>(nullptr, "CurrentUserImage");
  CurrentUserImage->SetBounds(16, 240, 33, 33);
  CurrentUserImage->SetPicture(FolderPicture(false));
  CurrentUserImage->SetVisible(false);
  AllUsersImage = &Add<ui::TImage>(nullptr, "AllUsersImage");
  AllUsersImage->SetBounds(56, 240, 33, 33);
  AllUsersImage->SetPicture(FolderPicture(true));
  AllUsersImage->SetVisible(false);
  L.Images().Add(CurrentUserImage->Picture());
  L.Images().Add(AllUsersImage->Picture());
  L.OnChange = [this](controls::TVemoTreeViewList &, controls::TVemoTreeViewItem *Item) {
    VemoTreeViewList1Change(Item);
  };
  BeforeNext = [this] { return Step(true); };
  BeforeBack = [this] { return Step(false); };
}

void TSelectProgramFolderForm::Button1Click() {
  if (BeforeNext && !BeforeNext())
    return;
  PageButton(PageReady, true);
}
void TSelectProgramFolderForm::Button2Click() {
  CancelButton();
}
void TSelectProgramFolderForm::Button4Click() {
  if (BeforeBack && !BeforeBack())
    return;
  PageButton(PageDestination, false);
}

int TSelectProgramFolderForm::CollectProgramFolders() {
  return Services.Model ? FFolders.CollectProgramFolders(*Services.Model) : 0;
}

void TSelectProgramFolderForm::ShowCurrentFolder() {
  const ProgramFolderEntry *Entry = FFolders.CurrentFolder();
  if (!Entry)
    return;
  FUpdating = true;
  Edit1->SetText(Entry->Chosen);
  if (Services.Reg && Services.Files)
    Label2->SetCaption(FillExistingFolders(*Services.Reg, *Services.Files, Services.OsCode,
                                           FolderPlaceOf(Entry->Key), VemoTreeViewList1->List()));
  FUpdating = false;
}

void TSelectProgramFolderForm::VemoTreeViewList1Change(controls::TVemoTreeViewItem *Item) {
  if (FUpdating || !Item || Item != VemoTreeViewList1->List().Selected())
    return;
  Edit1->SetText(FolderPathOf(*Item));
}

bool TSelectProgramFolderForm::Step(bool Forward) {
  std::string Name = Edit1->Text();
  ProgramFolderList::Step S = Forward ? FFolders.Next(Name) : FFolders.Back(Name);
  switch (S) {
  case ProgramFolderList::Step::Refused:
    if (Services.Msg)
      Services.Msg->ShowMessage(EmptyFolderNameError, "Error",
                                platform::MbOk | platform::MbIconError);
    Edit1->SetFocus();
    return false;
  case ProgramFolderList::Step::ShowCurrent:
    ShowCurrentFolder();
    return false;
  case ProgramFolderList::Step::LeavePage:
    break;
  }
  return true;
}

} // namespace pages
