// The program folder page (code 50): the name of each program folder to
// create and the folders that exist already.
#pragma once

#include "pages/PageServices.h"
#include "pages/ProgramFolderList.h"
#include "pages/WizardPage.h"

namespace pages {

class TSelectProgramFolderForm : public TWizardPage {
public:
  TSelectProgramFolderForm(ui::TApplication &App, WizardNavigator &Nav);
  void Button1Click(); // Next
  void Button2Click(); // Cancel
  void Button4Click(); // Back
  // The page's own stepping through its folders before Back or Next leave
  // it; true lets the wizard go on.
  std::function<bool()> BeforeNext;
  std::function<bool()> BeforeBack;

  // The navigator's code 50: adds the selection's program folders to the
  // table and returns how many the selection names (0: skip the page).
  int CollectProgramFolders();
  // The folder at the current position: its name into Edit1 and the
  // folders that exist in its place into the tree.
  void ShowCurrentFolder();
  // A folder picked in the tree becomes the name, as a path below the place.
  void VemoTreeViewList1Change(controls::TVemoTreeViewItem *Item);
  // The folder table the installation reads.
  ProgramFolderList &Folders() { return FFolders; }

  PageServices Services;

  ui::TImage *Image1;
  ui::TRichEdit *RichEdit1;
  ui::TLabel *Label1;
  ui::TEdit *Edit1;
  ui::TLabel *Label2;
  ui::TTreeList *VemoTreeViewList1;
  ui::TBevel *Bevel1;
  ui::TImage *CurrentUserImage, *AllUsersImage;
  ui::TButton *Button4, *Button1, *Button2;

private:
  // Stepping with Next or Back; false keeps the wizard on the page.
  bool Step(bool Forward);

  ProgramFolderList FFolders;
  // Set while the page fills the name and the tree itself.
  bool FUpdating = false;
};

} // namespace pages
