#include "pages/SetupSelection.h"

namespace pages {

bool InSelection(const package::TOpenFileType &Model, const package::SetupType &Type) {
  const package::SetupType *First = Model.SetupTypes.First();
  bool OnlyOne = First && !First->Next;
  return OnlyOne || Type.Selected;
}

std::vector<const package::SetupType *> SelectedSetupTypes(const package::TOpenFileType &Model) {
  std::vector<const package::SetupType *> Out;
  for (const package::SetupType &Type : Model.SetupTypes)
    if (InSelection(Model, Type))
      Out.push_back(&Type);
  return Out;
}

} // namespace pages
