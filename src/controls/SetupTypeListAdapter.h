// Lets the setup-type filling write into a check-box tree list: one
// top-level item per setup type, captioned with its name. The page finds the
// setup type again by that name, so the item keeps no link to it.
#pragma once

#include "controls/VemoTreeViewList.h"
#include "driver/TargetOS.h"

namespace controls {

class SetupTypeListAdapter : public driver::SetupTypeList {
public:
  explicit SetupTypeListAdapter(TVemoTreeViewList &List) : FList(List) {}

  void Clear() override { FList.Items().Clear(); }
  void AddSetupType(const std::string &Caption, bool Checked, package::SetupType &) override {
    FList.Items().Add(Caption)->SetChecked(Checked);
  }
  bool SelectFirst() override {
    TVemoTreeViewItem *First = FList.Items().Item(0);
    FList.SetSelected(First);
    return First != nullptr;
  }

private:
  TVemoTreeViewList &FList;
};

} // namespace controls
