#include "pages/ComponentChoice.h"

#include <cstdint>

namespace pages {

package::SetupType *FindSetupTypeByName(const package::TOpenFileType &Model,
                                        const std::string &Name) {
  package::SetupType *Found = nullptr;
  for (package::SetupType &Type : Model.SetupTypes)
    if (Type.Name == Name)
      Found = &Type;
  return Found;
}

std::string SpaceRequiredText(const package::TOpenFileType &Model) {
  // 32-bit unsigned, as the sizes are.
  uint32_t Sum = 0;
  for (const package::SetupType &Type : Model.SetupTypes)
    if (Type.Selected)
      Sum += uint32_t(Type.SizeInKB);
  return std::to_string(Sum) + "K";
}

void ApplyCheckRules(package::TOpenFileType &Model, controls::TVemoTreeViewList &List,
                     controls::TVemoTreeViewItem &Item) {
  package::SetupType *Type = FindSetupTypeByName(Model, Item.Text());
  if (!Type)
    return;
  if (!Type->CanChangeSelectionState) {
    Item.SetChecked(!Item.Checked());
  } else if (!Model.MultiSelectSetupTypes && Item.Checked()) {
    controls::TVemoTreeViewItems &Items = List.Items();
    for (int I = 0; I < Items.Count(); ++I) {
      controls::TVemoTreeViewItem *Other = Items.Item(I);
      if (Other == &Item)
        continue;
      package::SetupType *OtherType = FindSetupTypeByName(Model, Other->Text());
      if (OtherType && OtherType->CanChangeSelectionState) {
        Other->SetChecked(false);
        OtherType->Selected = false;
      }
    }
  }
  Type->Selected = Item.Checked();
}

bool AnyComponentChecked(controls::TVemoTreeViewList &List) {
  const controls::TVemoTreeViewItems &Items = List.Items();
  for (int I = 0; I < Items.Count(); ++I)
    if (Items.Item(I)->Checked())
      return true;
  return false;
}

const char *EmptySelectionWarning(bool MultiSelect) {
  return MultiSelect ? MustSelectOneOf : MustSelectOne;
}

} // namespace pages
