#include "package/SetupModel.h"

#include "package/ScriptCodecs.h"

#include <unordered_set>

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

namespace {

// Leading separators go, and runs of them count as one.
std::string GroupPath(const std::string &Path) {
  std::string P;
  P.reserve(Path.size());
  size_t I = 0;
  while (I < Path.size() && Path[I] == '\\')
    ++I;
  for (; I < Path.size(); ++I)
    if (Path[I] != '\\' || P.empty() || P.back() != '\\')
      P += Path[I];
  return P;
}

} // namespace

FileType *FindGroupFile(const GroupType &Group, const std::string &Path) {
  const std::string P = GroupPath(Path);

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

GroupNameIndex::GroupNameIndex(const Chain<GroupType> &Groups) {
  for (GroupType &G : Groups)
    FGroups.emplace(UpperCaseText(G.Name), &G); // the first of a name
}

GroupType *GroupNameIndex::Find(const std::string &Name) const {
  const auto It = FGroups.find(UpperCaseText(Name));
  return It == FGroups.end() ? nullptr : It->second;
}

GroupFileIndex::GroupFileIndex(const GroupType &Group) {
  // A work list, not recursion: the tree may be as deep as the script nests.
  std::vector<std::pair<const DirType *, std::string>> Work{{&Group.RootDir, std::string()}};
  while (!Work.empty()) {
    const auto [Dir, Prefix] = Work.back();
    Work.pop_back();
    // The last file of a name is the one found; a name holding a separator
    // is never found, as its parts are looked up as directories.
    for (FileType &F : Dir->Files)
      if (F.Name.find('\\') == std::string::npos)
        FFiles[Prefix + UpperCaseText(F.Name)] = &F;
    // The first directory of a name is the one walked into; an empty name
    // is never one, as runs of separators count as one.
    std::unordered_set<std::string> Seen;
    for (const DirType *D = Dir->SubDirs.First(); D; D = D->Next.get()) {
      const std::string Name = UpperCaseText(D->Name);
      if (Name.empty() || Name.find('\\') != std::string::npos || !Seen.insert(Name).second)
        continue;
      Work.push_back({D, Prefix + Name + "\\"});
    }
  }
}

FileType *GroupFileIndex::Find(const std::string &Path) const {
  const auto It = FFiles.find(UpperCaseText(GroupPath(Path)));
  return It == FFiles.end() ? nullptr : It->second;
}

} // namespace package
