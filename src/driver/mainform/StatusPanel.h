// The installation's view of the setup window: the status panel's captions,
// progress bar and Cancel button, the message pump, the cancel flag and the
// animations of the file groups.
//
// The name of the file being written changes for every file, and every
// change of a label's text is a synchronous window call that repaints it;
// the screen shows it only when messages are processed anyway. So the
// binding keeps the latest name and hands it to Label2 when messages are
// processed, before a question, when the phase caption changes and when
// the panel is hidden. A cleared line (once a phase) shows at once, so that no file name
// stays beside the next phase's caption.
#pragma once

#include "install/InstallationEngine.h"

#include <string>

namespace driver {

class TForm1;

class StatusPanelBinding : public install::InstallStatus {
public:
  explicit StatusPanelBinding(TForm1 &Form) : FForm(Form) {}

  void SetPhaseCaption(const std::string &Text) override;
  void SetCurrentItem(const std::string &Text) override;
  void ShowCurrentItem() override;
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
  // The item set last, and whether Label2 has yet to be given it.
  std::string FPendingItem;
  bool FItemPending = false;
};

} // namespace driver
