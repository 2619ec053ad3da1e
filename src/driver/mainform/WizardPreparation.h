// What the navigator prepares before it shows the destination, program
// folder and ready pages. These are the call points of the pages' content
// logic; until the pages bring their own, they do the least that keeps the
// wizard and the installation correct: the destination aliases hold their
// default directories, the program folder page is shown only when there are
// folders to name, and the ready page shows its texts.
#pragma once

#include "driver/PathMacros.h"
#include "package/SetupModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

class TForm1;

// Whether a setup type is in the wizard's selection: every setup type when
// the model holds exactly one, otherwise the selected ones.
bool InSelection(const package::TOpenFileType &Model, const package::SetupType &Type);

// One row per alias, in order of first appearance; a row keeps its
// directory once made.
class MinimalDestinationRows : public DestinationAliasSource {
public:
  size_t AliasCount() const override { return FRows.size(); }
  std::string AliasName(size_t I) const override { return FRows[I].Alias; }
  std::string AliasDirectory(size_t I) const override { return FRows[I].Directory; }
  // Adds the aliases of the selected setup types that have no row yet, each
  // with its default directory expanded (earlier rows expand in it).
  void Refill(const package::TOpenFileType &Model, const PathContext &Machine);

private:
  struct Row {
    std::string Alias, Directory;
  };
  std::vector<Row> FRows;
};

// Gives the pages with content of their own the model, the machine and the
// running system's code, and the destination page its directory browser.
void BindPageServices(TForm1 &Form, uint8_t OsCode);
// Code 40, before the page is shown or skipped.
void PrepareDestinationPage(TForm1 &Form);
// Code 50: the number of program folders the selection creates.
int CollectProgramFolders(TForm1 &Form);
// Code 50, after the page is shown.
void ShowCurrentFolder(TForm1 &Form);
// Code 60, before the page is shown.
void PrepareReadyPage(TForm1 &Form);

} // namespace driver
