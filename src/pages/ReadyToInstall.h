// The ready page (code 60): the summary of what will be created and the
// Install button.
#pragma once

#include "pages/DirectoryRows.h"
#include "pages/PageServices.h"
#include "pages/ReadySummary.h"
#include "pages/WizardPage.h"

namespace pages {

class TReadyToInstallForm : public TWizardPage {
public:
  TReadyToInstallForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Install: the installation closes the page itself
  void Button2Click(); // Cancel
  void Button4Click(); // Back

  // The navigator's code 60: both summary lists rebuilt for the selection.
  void PrepareSummary(const install::ProgramFolderTable &Folders, const DirectoryRows &Rows);
  // Writes the summary into RichEdit2.
  void FormShow();
  ReadySummary &Summary() { return FSummary; }

  PageServices Services;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TBevel *Bevel1;
  ui::TRichEdit *RichEdit2;
  ui::TButton *Button4, *Button1, *Button2;

private:
  ReadySummary FSummary;
};

} // namespace pages
