#include "pages/SelectDir.h"

#include "package/ScriptCodecs.h"
#include "pages/BrowserPath.h"
#include "pages/Drives.h"

#include <algorithm>

namespace pages {

namespace {
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

// A directory as the list names it: no trailing "\" except at a drive root.
std::string ListedPath(std::string Path) {
  while (Path.size() > 3 && Path.back() == '\\')
    Path.pop_back();
  return Path;
}
} // namespace

TSelectDirForm::TSelectDirForm(ui::TApplication &App)
    : ui::TForm(App, "SelectDirForm", "Select Destination Directory", 365, 268) {
  // The destination page that opens it stays on top of other windows.
  SetStayOnTop(true);
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
  Drives = LogicalDrives;
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  DirectoryListBox1->OnChange = [this](ui::TListBox &) { DirectoryListBox1Change(); };
  DirectoryListBox1->OnDblClick = [this](ui::TListBox &) { DirectoryListBox1DblClick(); };
  DriveComboBox1->OnChange = [this](ui::TListBox &) { DriveComboBox1Change(); };
  Edit1->OnKeyDown = [this](ui::TEdit &, int Key) { return Edit1KeyDown(Key); };
  // Escape from any control cancels; Enter reaches Edit1's own handler.
  OnKeyDown = [this](ui::TForm &, int Key) { return EscapeCheck(Key); };
  // The browser opens ready for a path to be typed.
  FocusControl(*Edit1);
}

std::string TSelectDirForm::ItemPath(int Index) const {
  if (Index < 0 || size_t(Index) >= FItemPaths.size())
    return std::string();
  return FItemPaths[size_t(Index)];
}

void TSelectDirForm::ShowDrive(const std::string &Directory) {
  if (DriveComboBox1->Items().empty() && Drives)
    DriveComboBox1->SetItems(Drives());
  std::string Drive = DriveOfPath(Directory);
  const std::vector<std::string> &Items = DriveComboBox1->Items();
  for (size_t I = 0; I < Items.size(); ++I)
    if (!Drive.empty() && DriveOfPath(Items[I]) == Drive) {
      DriveComboBox1->SetItemIndex(int(I));
      return;
    }
}

// The list shows the directory's ancestors from the root down, the
// directory itself selected, then its sub-directories sorted by name.
void TSelectDirForm::ShowDirectory(const std::string &Directory) {
  FDirectory = Directory;
  if (!FDirectory.empty() && FDirectory.back() != '\\')
    FDirectory += '\\';
  std::vector<std::string> Items;
  FItemPaths.clear();
  std::vector<std::string> Steps = PathSteps(FDirectory);
  for (size_t I = 0; I < Steps.size(); ++I) {
    std::string Name = I == 0 ? Steps[I] : ListedPath(Steps[I]).substr(Steps[I - 1].size());
    Items.push_back(std::string(I * 2, ' ') + Name);
    FItemPaths.push_back(ListedPath(Steps[I]));
  }
  int Current = int(Items.size()) - 1;
  std::vector<platform::DirEntry> Entries;
  if (Files && !FDirectory.empty() && Files->ListDirectory(FDirectory, Entries)) {
    std::vector<std::string> Names;
    for (const platform::DirEntry &E : Entries)
      if (E.IsDirectory && E.Name != "." && E.Name != "..")
        Names.push_back(E.Name);
    std::sort(Names.begin(), Names.end(), [](const std::string &A, const std::string &B) {
      return package::UpperCaseText(A) < package::UpperCaseText(B);
    });
    for (const std::string &N : Names) {
      Items.push_back(std::string(Steps.size() * 2, ' ') + N);
      FItemPaths.push_back(FDirectory + N);
    }
  }
  DirectoryListBox1->SetItems(Items);
  DirectoryListBox1->SetItemIndex(Current);
  ShowDrive(FDirectory);
}

void TSelectDirForm::SetDirectory(const std::string &Path) {
  std::string Deepest = Files ? DeepestExistingStep(*Files, Path) : std::string();
  if (!Deepest.empty())
    ShowDirectory(Deepest);
  else
    ShowDrive(Path);
  Edit1->SetText(Path);
}

void TSelectDirForm::Button1Click() {
  std::string Drive;
  int Index = DriveComboBox1->ItemIndex();
  if (Index >= 0)
    Drive = DriveComboBox1->Items()[size_t(Index)];
  std::string Typed = Edit1->Text();
  Edit1->SetText(Files ? BrowserResult(*Files, Typed, Drive) : NormaliseTypedPath(Typed, Drive));
}

void TSelectDirForm::DirectoryListBox1Change() {
  std::string Path = ItemPath(DirectoryListBox1->ItemIndex());
  if (!Path.empty())
    Edit1->SetText(Path);
}

void TSelectDirForm::DirectoryListBox1DblClick() {
  std::string Path = ItemPath(DirectoryListBox1->ItemIndex());
  if (Path.empty())
    return;
  ShowDirectory(Path);
  Edit1->SetText(Path);
}

void TSelectDirForm::DriveComboBox1Change() {
  int Index = DriveComboBox1->ItemIndex();
  if (Index < 0)
    return;
  std::string Root = DriveOfPath(DriveComboBox1->Items()[size_t(Index)]) + "\\";
  if (Files && !Files->DirectoryExists(Root))
    return; // an empty drive: the list stays where it was
  ShowDirectory(Root);
  Edit1->SetText(ListedPath(Root));
}

bool TSelectDirForm::Edit1KeyDown(int Key) {
  if (Key == KeyEscape)
    return EscapeCheck(Key);
  if (Key != KeyEnter)
    return false;
  SetDirectory(Edit1->Text());
  return true;
}

bool TSelectDirForm::EscapeCheck(int Key) {
  if (Key != KeyEscape)
    return false;
  SetModalResult(ui::MrCancel);
  return true;
}

} // namespace pages
