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

void PrepareDestinationPage(TForm1 &Form) {
  // The rows stand in for the destination page's own until it has them.
  Form.DestinationRows().Refill(Form.Model(), Form.PathMachine());
}

int CollectProgramFolders(TForm1 &Form) {
  package::TOpenFileType &M = Form.Model();
  int Count = 0;
  for (const package::SetupType *T = M.SetupTypes.First(); T; T = T->Next.get()) {
    if (!InSelection(M, *T))
      continue;
    for (const std::string &Name : T->Groups) {
      const package::GroupType *G = package::FindGroup(M.Groups, Name);
      if (!G)
        continue;
      for (const package::ProgramGroupType *Top = G->RootProgramGroup.SubGroups.First(); Top;
           Top = Top->Next.get())
        Count += static_cast<int>(Top->SubGroups.Count());
    }
  }
  return Count;
}

void ShowCurrentFolder(TForm1 &) {}

void PrepareReadyPage(TForm1 &) {}

} // namespace driver
