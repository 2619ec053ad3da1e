#include "pages/ReadySummary.h"

#include "package/ScriptCodecs.h"
#include "pages/SetupSelection.h"

namespace pages {

namespace {

// Whether the upper-cased text holds a path boundary right after its first
// Length characters, or right before them.
bool BoundaryAt(const std::string &Text, size_t Length) {
  return Length == Text.size() || Text[Length - 1] == '\\' || Text[Length] == '\\';
}

} // namespace

void SummaryList::Clear() {
  FEntries.clear();
  FWhole.clear();
  FPrefixes.clear();
}

void SummaryList::Index(size_t I, bool Insert) {
  const std::string Upper = package::UpperCaseText(FEntries[I]);
  auto Update = [&](IndexSets &Sets, const std::string &Key) {
    if (Insert) {
      Sets[Key].insert(I);
      return;
    }
    auto It = Sets.find(Key);
    if (It != Sets.end() && It->second.erase(I) && It->second.empty())
      Sets.erase(It);
  };
  Update(FWhole, Upper);
  for (size_t Length = 1; Length < Upper.size(); ++Length)
    if (BoundaryAt(Upper, Length))
      Update(FPrefixes, Upper.substr(0, Length));
}

void SummaryList::Add(const std::string &Text) {
  // Entries are kept trimmed, so they are compared with the trimmed text; a
  // text of blanks would otherwise become an empty entry that holds all.
  std::string Entry = package::TrimText(Text);
  if (Entry.empty())
    return;
  const std::string Wanted = package::UpperCaseText(Entry);
  // Nested with Wanted: an entry equal to one of its boundary prefixes (or
  // to all of it), and an entry that has all of it as a boundary prefix.
  bool Found = false;
  size_t Match = 0;
  auto Consider = [&](const IndexSets &Sets, const std::string &Key) {
    auto It = Sets.find(Key);
    if (It == Sets.end() || It->second.empty())
      return;
    size_t Last = *It->second.rbegin();
    if (!Found || Last > Match)
      Match = Last;
    Found = true;
  };
  for (size_t Length = 1; Length <= Wanted.size(); ++Length)
    if (BoundaryAt(Wanted, Length))
      Consider(FWhole, Wanted.substr(0, Length));
  Consider(FPrefixes, Wanted);
  if (!Found) {
    FEntries.push_back(Entry);
    Index(FEntries.size() - 1, true);
  } else if (FEntries[Match].size() > Entry.size()) {
    Index(Match, false);
    FEntries[Match] = Entry;
    Index(Match, true);
  }
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
