#include "pages/DestinationDirectory.h"

namespace pages {

TDestinationDirectoryForm::TDestinationDirectoryForm(ui::TApplication &App, WizardNavigator &Nav)
    : TWizardPage(App, Nav, "DestinationDirectoryForm", "Destination Location", 467, 339) {
  SetStayOnTop(true);
  Image1 = &AddLogo();
  RichEdit1 = &AddTextBox("RichEdit1", 144, 16, 310, 49);
  ScrollBox1 = &Add<ui::TScrollBox>(nullptr, "ScrollBox1");
  ScrollBox1->SetBounds(144, 72, 310, 204);
  ScrollBox1->SetBordered(false);
  ScrollBox1->SetHorzScrollBar(false);
  ScrollBox1->SetTabStop(false);
  Label1 = &Add<ui::TLabel>(ScrollBox1, "Label1");
  Label1->SetBounds(0, 0, 80, 13);
  Label1->SetCaption("Program Files:");
  Label1->SetVisible(false);
  Edit1 = &Add<ui::TEdit>(ScrollBox1, "Edit1");
  Edit1->SetBounds(12, 14, 205, 22);
  Edit1->SetVisible(false);
  Button3 = &Add<ui::TButton>(ScrollBox1, "Button3");
  Button3->SetBounds(223, 14, 67, 22);
  Button3->SetCaption("B&rowse...");
  Button3->SetVisible(false);
  Bevel1 = &AddBevel(16, 288, 438);
  Button4 = &AddButton("Button4", "< &Back", SlotBack);
  Button1 = &AddButton("Button1", "&Next >", SlotForward, true);
  Button2 = &AddButton("Button2", "Cancel", SlotCancel);
  Button4->OnClick = [this](ui::TButton &) { Button4Click(); };
  Button1->OnClick = [this](ui::TButton &) { Button1Click(); };
  Button2->OnClick = [this](ui::TButton &) { Button2Click(); };
  Button3->OnClick = [this](ui::TButton &B) { Button3Click(B); };
}

void TDestinationDirectoryForm::Button1Click() {
  PageButton(PageProgramFolder, true);
}
void TDestinationDirectoryForm::Button2Click() {
  CancelButton();
}
void TDestinationDirectoryForm::Button4Click() {
  PageButton(PageComponents, false);
}

void TDestinationDirectoryForm::ShowRow(size_t Index) {
  const InstallDirType &Row = *FRows.Row(Index);
  RowControls &C = FRowControls[Index];
  C.Caption->SetVisible(Row.Visible);
  C.Path->SetText(Row.Path);
  C.Path->SetEnabled(Row.AllowDirChange);
  C.Path->SetVisible(Row.Visible);
  C.Browse->SetEnabled(Row.AllowDirChange);
  C.Browse->SetVisible(Row.Visible);
}

void TDestinationDirectoryForm::PrepareDirectoryRows() {
  if (!Services.Model || !Services.Files || !Services.Reg)
    return;
  FRows.PrepareDirectoryRows(*Services.Model, *Services.Files, *Services.Reg);
  // Rows are only ever added: new ones get their controls here.
  while (FRowControls.size() < FRows.Count()) {
    const InstallDirType &Row = *FRows.Row(FRowControls.size());
    std::string N = std::to_string(FRowControls.size() + 1);
    RowControls C;
    C.Path = &Add<ui::TEdit>(ScrollBox1, "PathEdit" + N);
    C.Path->SetBounds(Edit1->Left(), 0, Edit1->Width(), Edit1->Height());
    C.Path->SetReadOnly(true);
    C.Browse = &Add<ui::TButton>(ScrollBox1, "BrowseButton" + N);
    C.Browse->SetBounds(Button3->Left(), 0, Button3->Width(), Button3->Height());
    C.Browse->SetCaption(Button3->Caption());
    C.Browse->OnClick = Button3->OnClick;
    C.Caption = &Add<ui::TLabel>(ScrollBox1, "CaptionLabel" + N);
    // The caption may be longer than the template's text: it may take the
    // row's full width.
    C.Caption->SetBounds(Label1->Left(), 0, Button3->Right() - Label1->Left(), Label1->Height());
    C.Caption->SetCaption(Row.DisplayName);
    FRowControls.push_back(C);
  }
  for (size_t I = 0; I < FRowControls.size(); ++I)
    ShowRow(I);
}

void TDestinationDirectoryForm::ArrangeDirectoryRows() {
  DirectoryRowTemplate T;
  T.LabelLeft = Label1->Left();
  T.LabelHeight = Label1->Height();
  T.EditLeft = Edit1->Left();
  T.EditWidth = Edit1->Width();
  T.EditHeight = Edit1->Height();
  T.ButtonLeft = Button3->Left();
  T.ButtonWidth = Button3->Width();
  T.ButtonHeight = Button3->Height();
  ScrollBoxPlace Box =
      FRows.ArrangeDirectoryRows(T, {ScrollBox1->Top(), ScrollBox1->Height()}, RichEdit1->Bottom());
  ScrollBox1->SetBounds(ScrollBox1->Left(), Box.Top, ScrollBox1->Width(), Box.Height);
  for (size_t I = 0; I < FRowControls.size(); ++I) {
    const InstallDirType &Row = *FRows.Row(I);
    RowControls &C = FRowControls[I];
    if (!Row.Visible)
      continue;
    C.Caption->SetTop(Row.LabelTop);
    C.Path->SetTop(Row.FieldTop);
    C.Browse->SetTop(Row.FieldTop);
  }
}

void TDestinationDirectoryForm::Button3Click(ui::TButton &Sender) {
  for (size_t I = 0; I < FRowControls.size(); ++I) {
    if (FRowControls[I].Browse != &Sender)
      continue;
    if (!SelectDir)
      return;
    InstallDirType &Row = *FRows.Row(I);
    SelectDir->SetDirectory(Row.Path);
    if (SelectDir->ShowModal() == ui::MrOk) {
      DirectoryRows::SetChosenDirectory(Row, SelectDir->Edit1->Text());
      FRowControls[I].Path->SetText(Row.Path);
    }
    return;
  }
}

} // namespace pages
