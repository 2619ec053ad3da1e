#include "pages/DirectoryRows.h"

#include "package/ScriptCodecs.h"
#include "pages/SetupSelection.h"

namespace pages {

void DirectoryRows::HideDirectoryRows() {
  for (InstallDirType &Row : FRows)
    Row.Visible = false;
}

InstallDirType *DirectoryRows::FindRow(const std::string &Alias) const {
  for (InstallDirType &Row : FRows)
    if (package::SameText(Row.Alias, Alias))
      return &Row;
  return nullptr;
}

InstallDirType &DirectoryRows::AddDirectoryRow(bool AllowDirChange, const std::string &DisplayName,
                                               const std::string &RegistryKey,
                                               const std::string &DefaultDir,
                                               const std::string &Alias, platform::Registry &Reg) {
  if (InstallDirType *Existing = FindRow(Alias)) {
    Existing->Visible = true;
    return *Existing;
  }
  auto Row = std::make_unique<InstallDirType>();
  Row->DisplayName = DisplayName;
  Row->Alias = Alias;
  Row->Path = DefaultDir;
  std::string Key = package::TrimText(RegistryKey);
  if (!Key.empty()) {
    std::string FromRegistry = package::ReadRegistryPath(Reg, Key);
    if (!FromRegistry.empty())
      Row->Path = FromRegistry;
  }
  Row->AllowDirChange = AllowDirChange;
  Row->Visible = true;
  InstallDirType *Added = FRows.Append(std::move(Row));
  FIndex.push_back(Added);
  return *Added;
}

void DirectoryRows::PrepareDirectoryRows(const package::TOpenFileType &Model,
                                         platform::FileSystem &Files, platform::Registry &Reg) {
  HideDirectoryRows();
  driver::PathContext Paths{Files, Reg, this};
  for (const package::SetupType *Type : SelectedSetupTypes(Model))
    for (const package::DefaultDirectoryType &Dir : Type->DefaultDirs) {
      std::string Default = Dir.DestinationDir;
      driver::ResolvePathMacros(Paths, Default, true);
      AddDirectoryRow(Dir.AllowDirChange, Dir.DisplayName, Dir.RegistryKey, Default, Dir.Alias,
                      Reg);
    }
}

ScrollBoxPlace DirectoryRows::ArrangeDirectoryRows(const DirectoryRowTemplate &Template,
                                                   ScrollBoxPlace Box, int TextBottom) {
  int Y = 0;
  for (InstallDirType &Row : FRows) {
    if (!Row.Visible)
      continue;
    Row.LabelTop = Y;
    Row.FieldTop = Y + Template.LabelHeight + 1;
    Y += Template.LabelHeight + 1 + Template.EditHeight + 8;
  }
  int Bottom = Box.Top + Box.Height;
  ScrollBoxPlace Out{Bottom - Y, Y};
  if (Out.Top <= TextBottom + 1) {
    Out.Top = TextBottom + 1;
    Out.Height = Bottom - Out.Top;
    if (Out.Height < 0)
      Out.Height = 0;
  }
  return Out;
}

bool DirectoryRows::LookupAlias(const std::string &Alias, std::string &Directory) const {
  bool Found = false;
  for (InstallDirType &Row : FRows)
    if (package::SameText(Row.Alias, Alias)) {
      Directory = Row.Path;
      Found = true;
    }
  return Found;
}

void DirectoryRows::SetChosenDirectory(InstallDirType &Row, const std::string &Directory) {
  Row.Path = Directory;
  if (Row.Path.empty() || Row.Path.back() != '\\')
    Row.Path += '\\';
}

} // namespace pages
