// Setup models for the page tests, built record by record.
#pragma once

#include "package/SetupModel.h"

#include <string>

namespace pages_test {

inline package::SetupType &AddSetupType(package::TOpenFileType &M, const std::string &Name,
                                        bool Selected, std::vector<std::string> Groups = {}) {
  package::SetupType *T = M.SetupTypes.AppendNew();
  T->Name = Name;
  T->Selected = Selected;
  T->Groups = std::move(Groups);
  return *T;
}

inline void AddAlias(package::SetupType &T, const std::string &Alias, const std::string &Default,
                     const std::string &Caption, bool AllowChange = true,
                     const std::string &RegistryKey = "") {
  package::DefaultDirectoryType D;
  D.Alias = Alias;
  D.DestinationDir = Default;
  D.DisplayName = Caption;
  D.AllowDirChange = AllowChange;
  D.RegistryKey = RegistryKey;
  T.DefaultDirs.push_back(D);
}

inline package::GroupType &AddGroup(package::TOpenFileType &M, const std::string &Name) {
  package::GroupType *G = M.Groups.AppendNew();
  G->Name = Name;
  return *G;
}

// A top-level program group ("Personal group") with program folders below it.
inline package::ProgramGroupType &AddPlace(package::GroupType &G, const std::string &Place,
                                           std::vector<std::string> Folders) {
  package::ProgramGroupType *Top = G.RootProgramGroup.SubGroups.AppendNew();
  Top->Name = Place;
  for (const std::string &F : Folders)
    Top->SubGroups.AppendNew()->Name = F;
  return *Top;
}

inline void AddTopDir(package::GroupType &G, const std::string &Name) {
  G.RootDir.SubDirs.AppendNew()->Name = Name;
}

} // namespace pages_test
