// The destination page (code 40): one row per directory alias in a scroll
// box, copied from the three invisible templates inside it.
#pragma once

#include "pages/DirectoryRows.h"
#include "pages/PageServices.h"
#include "pages/SelectDir.h"
#include "pages/WizardPage.h"

#include <vector>

namespace pages {

class TDestinationDirectoryForm : public TWizardPage {
public:
  TDestinationDirectoryForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next
  void Button2Click(); // Cancel
  void Button4Click(); // Back

  // The navigator's preparation for code 40, shown or not: the rows of the
  // selected setup types, each with its label, path field and browse button.
  void PrepareDirectoryRows();
  // Before the page shows: the visible rows stacked in the scroll box.
  void ArrangeDirectoryRows();
  // Browse for the row whose button is Sender.
  void Button3Click(ui::TButton &Sender);
  // The alias table path expansion and the ready page read.
  DirectoryRows &Rows() { return FRows; }
  const DirectoryRows &Rows() const { return FRows; }

  PageServices Services;
  TSelectDirForm *SelectDir = nullptr;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TScrollBox *ScrollBox1;
  // Row templates inside the scroll box.
  ui::TLabel *Label1;
  ui::TEdit *Edit1;
  ui::TButton *Button3;
  ui::TBevel *Bevel1;
  ui::TButton *Button4, *Button1, *Button2;

private:
  // The controls of one row, in the order of the rows.
  struct RowControls {
    ui::TLabel *Caption;
    ui::TEdit *Path;
    ui::TButton *Browse;
  };
  void ShowRow(size_t Index);

  DirectoryRows FRows;
  std::vector<RowControls> FRowControls;
};

} // namespace pages
