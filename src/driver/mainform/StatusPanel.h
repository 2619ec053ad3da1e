// The installation's view of the setup window: the status panel's captions,
// progress bar and Cancel button, the message pump, the cancel flag and the
// animations of the file groups.
#pragma once

#include "install/InstallationEngine.h"

namespace driver {

class TForm1;

class StatusPanelBinding : public install::InstallStatus {
public:
  explicit StatusPanelBinding(TForm1 &Form) : FForm(Form) {}

  void SetPhaseCaption(const std::string &Text) override;
  void SetCurrentItem(const std::string &Text) override;
  void SetProgressMax(uint32_t Max) override;
  void SetProgress(uint32_t Position) override;
  void ProcessMessages() override;
  bool CancelRequested() override;
  bool Terminating() override;
  // Centred, 40 pixels above the bottom edge; Cancel is enabled later.
  void ShowPanel(bool Visible) override;
  void EnableCancel() override;
  void RepaintBackground() override;
  void ShowAnimationsForGroup(const package::GroupType &Group, bool Visible) override;

private:
  TForm1 &FForm;
};

} // namespace driver
