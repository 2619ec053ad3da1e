#include "pages/ReadySummary.h"

#include "package/ScriptCodecs.h"
#include "pages/SetupSelection.h"

namespace pages {

namespace {

// Whether the shorter of two upper-cased texts is a prefix of the longer one
// that ends where a path component ends.
bool Nested(const std::string &A, const std::string &B) {
  const std::string &Short = A.size() <= B.size() ? A : B;
  const std::string &Long = A.size() <= B.size() ? B : A;
  if (Long.compare(0, Short.size(), Short) != 0)
    return false;
  return Short.size() == Long.size() || Short.back() == '\\' || Long[Short.size()] == '\\';
}

} // namespace

void SummaryList::Add(const std::string &Text) {
  // Entries are kept trimmed, so they are compared with the trimmed text; a
  // text of blanks would otherwise become an empty entry that holds all.
  std::string Entry = package::TrimText(Text);
  if (Entry.empty())
    return;
  std::string Wanted = package::UpperCaseText(Entry);
  int Match = -1;
  for (size_t I = 0; I < FEntries.size(); ++I)
    if (Nested(package::UpperCaseText(FEntries[I]), Wanted))
      Match = int(I);
  if (Match < 0)
    FEntries.push_back(Entry);
  else if (FEntries[size_t(Match)].size() > Entry.size())
    FEntries[size_t(Match)] = Entry;
}

void ReadySummary::ClearSummaryLists() {
  FFolders.Clear();
  FDirectories.Clear();
}

void ReadySummary::PrepareSummary(const package::TOpenFileType &Model,
                                  const install::ProgramFolderTable &Folders,
                                  const DirectoryRows &Rows, platform::FileSystem &Files,
                                  platform::Registry &Reg) {
  ClearSummaryLists();
  std::vector<const package::SetupType *> Selection = SelectedSetupTypes(Model);
  const package::GroupNameIndex Groups(Model.Groups);
  for (const package::SetupType *Type : Selection)
    for (const std::string &Name : Type->Groups)
      if (const package::GroupType *Group = Groups.Find(Name))
        for (const package::ProgramGroupType &Top : Group->RootProgramGroup.SubGroups)
          for (const package::ProgramGroupType &Folder : Top.SubGroups) {
            int Index = Folders.FindProgramFolder(Top.Name + "\\" + Folder.Name);
            if (Index >= 0)
              AddSummaryFolder(Folders.GetChosenFolder(Index));
          }
  driver::PathContext Paths{Files, Reg, &Rows};
  for (const package::SetupType *Type : Selection)
    for (const std::string &Name : Type->Groups)
      if (const package::GroupType *Group = Groups.Find(Name))
        for (const package::DirType &Dir : Group->RootDir.SubDirs) {
          std::string Directory;
          if (!Rows.LookupAlias(Dir.Name, Directory)) {
            Directory = Dir.Name;
            driver::ResolvePathMacros(Paths, Directory, true);
          }
          AddSummaryDirectory(Directory);
        }
}

std::vector<std::string> ReadySummary::SummaryLines() const {
  std::vector<std::string> Lines;
  if (!FFolders.Entries().empty()) {
    Lines.push_back("The following program groups will be created:");
    for (const std::string &E : FFolders.Entries())
      Lines.push_back("  * " + E);
    Lines.push_back(std::string());
  }
  if (!FDirectories.Entries().empty()) {
    Lines.push_back("The following directories will be used for installation:");
    for (const std::string &E : FDirectories.Entries())
      Lines.push_back("  * " + E);
  }
  return Lines;
}

} // namespace pages
