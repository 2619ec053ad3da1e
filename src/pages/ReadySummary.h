// The ready page's summary: the program folders that will be created and
// the top-level directories the selected setup types install into, each
// list kept free of entries that lie inside another one.
#pragma once

#include "install/ProgramFolderTable.h"
#include "package/SetupModel.h"
#include "pages/DirectoryRows.h"
#include "platform/Platform.h"

#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace pages {

// A list that keeps only the outermost of nested entries. Entries are
// compared ignoring the case of a..z; one lies inside another when that one
// is a prefix of it ending at a path boundary ("C:\App\" holds
// "C:\App\Data\", "Tools" holds "Tools\Extra", but "Tools" does not hold
// "Toolbox").
class SummaryList {
public:
  // Nothing for an empty text. An entry that holds Text or lies inside it
  // (the last such entry) is replaced by Text when it is longer; otherwise
  // Text, trimmed, is appended.
  void Add(const std::string &Text);
  void Clear();
  const std::vector<std::string> &Entries() const { return FEntries; }

private:
  using IndexSets = std::unordered_map<std::string, std::set<size_t>>;
  void Index(size_t I, bool Insert);

  std::vector<std::string> FEntries;
  // Each entry upper-cased, and under every proper prefix of it that ends at
  // a path boundary: the entries nested with a new text are then found
  // through the text's own prefixes instead of a pass over every entry (a
  // package with thousands of folders made that quadratic).
  IndexSets FWhole, FPrefixes;
};

class ReadySummary {
public:
  void ClearSummaryLists();
  void AddSummaryFolder(const std::string &Text) { FFolders.Add(Text); }
  void AddSummaryDirectory(const std::string &Text) { FDirectories.Add(Text); }

  // Rebuilds both lists for the selection: the chosen names of the program
  // folders the folder table knows, and each top-level directory of the
  // selected groups, through the destination rows when it is an alias and
  // expanded as a path otherwise.
  void PrepareSummary(const package::TOpenFileType &Model,
                      const install::ProgramFolderTable &Folders, const DirectoryRows &Rows,
                      platform::FileSystem &Files, platform::Registry &Reg);

  // The summary box's lines; none when both lists are empty.
  std::vector<std::string> SummaryLines() const;

  const SummaryList &Folders() const { return FFolders; }
  const SummaryList &Directories() const { return FDirectories; }

private:
  SummaryList FFolders;
  SummaryList FDirectories;
};

} // namespace pages
