// Which setup types the pages after the component page work with: every
// setup type when the model holds exactly one, otherwise those whose
// Selected is set.
#pragma once

#include "package/SetupModel.h"

#include <vector>

namespace pages {

bool InSelection(const package::TOpenFileType &Model, const package::SetupType &Type);

// The setup types of the selection, in model order.
std::vector<const package::SetupType *> SelectedSetupTypes(const package::TOpenFileType &Model);

} // namespace pages
