#include "package/SetupModel.h"

#include "package/ScriptCodecs.h"

namespace package {

void InitSetupModel(TOpenFileType &Model) {
  for (TWindowType *Page : {&Model.Welcome, &Model.License, &Model.Destination,
                            &Model.ProgramFolder, &Model.SelectComponents, &Model.ReadyToInstall})
    *Page = TWindowType();
  ResetSetupModel(Model);
}

void ResetSetupModel(TOpenFileType &Model) {
  // The pages keep what they hold; everything else goes back to its default.
  TWindowType Pages[6] = {std::move(Model.Welcome),          std::move(Model.License),
                          std::move(Model.Destination),      std::move(Model.ProgramFolder),
                          std::move(Model.SelectComponents), std::move(Model.ReadyToInstall)};
  Model.Groups.Clear();
  Model.SetupTypes.Clear();
  Model.ImageGroups.Clear();
  Model = TOpenFileType();
  Model.Welcome = std::move(Pages[0]);
  Model.License = std::move(Pages[1]);
  Model.Destination = std::move(Pages[2]);
  Model.ProgramFolder = std::move(Pages[3]);
  Model.SelectComponents = std::move(Pages[4]);
  Model.ReadyToInstall = std::move(Pages[5]);
}

void FreeSetupModel(TOpenFileType &Model) {
  Model = TOpenFileType();
}

GroupType *FindGroup(const Chain<GroupType> &Groups, const std::string &Name) {
  std::string Key = UpperCaseText(Name);
  for (GroupType &G : Groups)
    if (UpperCaseText(G.Name) == Key)
      return &G;
  return nullptr;
}

DirType *FindSubDir(DirType *FirstDir, const std::string &Name) {
  for (DirType *D = FirstDir; D; D = D->Next.get())
    if (SameText(D->Name, Name))
      return D;
  return nullptr;
}

FileType *FindGroupFile(const GroupType &Group, const std::string &Path) {
  // Leading separators go, and runs of them count as one.
  std::string P;
  P.reserve(Path.size());
  size_t I = 0;
  while (I < Path.size() && Path[I] == '\\')
    ++I;
  for (; I < Path.size(); ++I)
    if (Path[I] != '\\' || P.empty() || P.back() != '\\')
      P += Path[I];

  const DirType *Dir = &Group.RootDir;
  size_t Start = 0;
  for (;;) {
    size_t Sep = P.find('\\', Start);
    if (Sep == std::string::npos || !Dir)
      break;
    Dir = FindSubDir(Dir->SubDirs.First(), P.substr(Start, Sep - Start));
    Start = Sep + 1;
  }
  if (!Dir)
    return nullptr;
  const std::string Name = P.substr(Start);
  FileType *Found = nullptr;
  for (FileType &F : Dir->Files)
    if (SameText(F.Name, Name))
      Found = &F;
  return Found;
}

} // namespace package
