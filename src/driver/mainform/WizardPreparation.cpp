#include "driver/mainform/WizardPreparation.h"

#include "driver/mainform/Unit1.h"

namespace driver {

namespace {

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = static_cast<char>(C - 'a' + 'A');
  return S;
}

} // namespace

bool InSelection(const package::TOpenFileType &Model, const package::SetupType &Type) {
  const package::SetupType *First = Model.SetupTypes.First();
  if (First && !First->Next)
    return true;
  return Type.Selected;
}

void MinimalDestinationRows::Refill(const package::TOpenFileType &Model,
                                    const PathContext &Machine) {
  PathContext Context = Machine;
  Context.Destinations = this;
  for (const package::SetupType *T = Model.SetupTypes.First(); T; T = T->Next.get()) {
    if (!InSelection(Model, *T))
      continue;
    for (const package::DefaultDirectoryType &D : T->DefaultDirs) {
      bool Known = false;
      for (const Row &R : FRows)
        Known = Known || Upper(R.Alias) == Upper(D.Alias);
      if (Known || D.Alias.empty())
        continue;
      std::string Dir = D.DestinationDir;
      ResolvePathMacros(Context, Dir, true);
      FRows.push_back({D.Alias, Dir});
    }
  }
}

void BindPageServices(TForm1 &Form, uint8_t OsCode) {
  const platform::Platform &System = Form.System();
  pages::PageServices S;
  S.Model = &Form.Model();
  S.Files = System.Files;
  S.Reg = System.Reg;
  S.Msg = System.Msg;
  S.OsCode = OsCode;
  const WizardPages &P = Form.Pages();
  if (P.Destination) {
    P.Destination->Services = S;
    P.Destination->SelectDir = P.SelectDir;
  }
  if (P.SelectDir)
    P.SelectDir->Files = System.Files;
  if (P.SelectComponents)
    P.SelectComponents->Services = S;
  if (P.ProgramFolder)
    P.ProgramFolder->Services = S;
  if (P.Ready)
    P.Ready->Services = S;
}

namespace {

// A setup window whose package was not loaded through its first showing (a
// test's) binds the pages when the wizard first needs them.
void EnsureBound(TForm1 &Form) {
  const WizardPages &P = Form.Pages();
  if (P.Destination && !P.Destination->Services.Model)
    BindPageServices(Form, Form.OSCode());
}

} // namespace

void PrepareDestinationPage(TForm1 &Form) {
  EnsureBound(Form);
  if (pages::TDestinationDirectoryForm *Page = Form.Pages().Destination) {
    Page->PrepareDirectoryRows();
    Page->ArrangeDirectoryRows();
    return;
  }
  Form.DestinationRows().Refill(Form.Model(), Form.PathMachine());
}

int CollectProgramFolders(TForm1 &Form) {
  EnsureBound(Form);
  if (pages::TSelectProgramFolderForm *Page = Form.Pages().ProgramFolder)
    return Page->CollectProgramFolders();
  return 0;
}

void ShowCurrentFolder(TForm1 &Form) {
  if (pages::TSelectProgramFolderForm *Page = Form.Pages().ProgramFolder)
    Page->ShowCurrentFolder();
}

void PrepareReadyPage(TForm1 &Form) {
  EnsureBound(Form);
  const WizardPages &P = Form.Pages();
  if (P.Ready && P.ProgramFolder && P.Destination)
    P.Ready->PrepareSummary(P.ProgramFolder->Folders(), P.Destination->Rows());
}

} // namespace driver
