// The component page's rules: which setup types a click on the check list
// selects, the disk space the selection needs, and when Next may go on.
// Each list item stands for the setup type of its caption; the item keeps
// no link to it.
#pragma once

#include "controls/VemoTreeViewList.h"
#include "package/SetupModel.h"

#include <string>

namespace pages {

inline constexpr char MustSelectOneOf[] = "You must select at least one of the setup components!";
inline constexpr char MustSelectOne[] = "You must select one of the setup components!";

// The last setup type whose Name equals Name exactly, or null.
package::SetupType *FindSetupTypeByName(const package::TOpenFileType &Model,
                                        const std::string &Name);

// The sum of SizeInKB over every selected setup type of the model (listed
// or not), followed by "K": "2440K".
std::string SpaceRequiredText(const package::TOpenFileType &Model);

// Called after the list has flipped Item's check mark: a setup type that
// may not change gets its mark back; in single mode a newly checked entry
// clears every other entry that may change; the setup type's Selected then
// follows the mark.
void ApplyCheckRules(package::TOpenFileType &Model, controls::TVemoTreeViewList &List,
                     controls::TVemoTreeViewItem &Item);

// Next may go on when at least one entry is checked.
bool AnyComponentChecked(controls::TVemoTreeViewList &List);

// The warning Next shows on an empty selection.
const char *EmptySelectionWarning(bool MultiSelect);

} // namespace pages
