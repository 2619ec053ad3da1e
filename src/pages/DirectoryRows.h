// The destination page's directory rows: one per distinct alias that the
// selected setup types declare ("%InstallDir%"), each with a caption and the
// directory chosen for it. The rows are also the running program's table of
// alias values: path expansion replaces each alias by its row's directory,
// hidden rows included, so they exist whether or not the page is shown.
// This is the portable half; the page form makes a label, a read-only path
// field and a browse button for each row and places them where the rows say.
#pragma once

#include "driver/PathMacros.h"
#include "package/Chain.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace pages {

struct InstallDirType {
  std::string DisplayName;     // caption above the path field
  std::string Alias;           // as the script writes it; compared ignoring case
  std::string Path;            // the path field's text
  bool AllowDirChange = false; // enables the field and its browse button
  bool Visible = false;        // whether the row's three controls show
  // Set by ArrangeDirectoryRows; the browse button stands level with the field.
  int LabelTop = 0;
  int FieldTop = 0;
  std::unique_ptr<InstallDirType> Next;
};

// The invisible template controls inside the scroll box from which every
// row copies its geometry.
struct DirectoryRowTemplate {
  int LabelLeft = 0, LabelHeight = 13;
  int EditLeft = 12, EditWidth = 205, EditHeight = 22;
  int ButtonLeft = 223, ButtonWidth = 67, ButtonHeight = 22;
};

// Vertical place of the scroll box that holds the rows.
struct ScrollBoxPlace {
  int Top = 0;
  int Height = 0;
};

class DirectoryRows : public driver::DestinationAliasSource {
public:
  // Hides the controls of every row; rows and their paths stay.
  void HideDirectoryRows();

  // DefaultDir has its path macros expanded already. A non-blank
  // RegistryKey names a registry string that replaces the default unless it
  // reads empty. When a row for Alias exists it is shown again as it is (the
  // user's earlier choice survives) and the new values are dropped. Returns
  // the row that stands for Alias.
  InstallDirType &AddDirectoryRow(bool AllowDirChange, const std::string &DisplayName,
                                  const std::string &RegistryKey, const std::string &DefaultDir,
                                  const std::string &Alias, platform::Registry &Reg);

  // The navigator's preparation for the destination step: hides every row,
  // then adds one for each default directory of each setup type in the
  // selection, in order. A default may name the aliases of rows added before
  // it.
  void PrepareDirectoryRows(const package::TOpenFileType &Model, platform::FileSystem &Files,
                            platform::Registry &Reg);

  // Stacks the visible rows from the top of the scroll box and lets the box
  // grow upwards from its fixed bottom edge, but not above TextBottom + 1
  // (the bottom of the page text); from there on the box scrolls. Returns the
  // box's new place.
  ScrollBoxPlace ArrangeDirectoryRows(const DirectoryRowTemplate &Template, ScrollBoxPlace Box,
                                      int TextBottom);

  // Case-insensitive; the last matching row wins.
  bool LookupAlias(const std::string &Alias, std::string &Directory) const;

  // A directory picked with the browser: it always ends with "\".
  static void SetChosenDirectory(InstallDirType &Row, const std::string &Directory);

  InstallDirType *First() const { return FRows.First(); }
  size_t Count() const { return FIndex.size(); }
  InstallDirType *Row(size_t Index) const {
    return Index < FIndex.size() ? FIndex[Index] : nullptr;
  }
  InstallDirType *FindRow(const std::string &Alias) const;

  // What path expansion reads: every row, in the order added.
  size_t AliasCount() const override { return FIndex.size(); }
  std::string AliasName(size_t Index) const override { return FIndex[Index]->Alias; }
  std::string AliasDirectory(size_t Index) const override { return FIndex[Index]->Path; }

private:
  package::Chain<InstallDirType> FRows;
  std::vector<InstallDirType *> FIndex; // the same rows, for numbered access
};

} // namespace pages
