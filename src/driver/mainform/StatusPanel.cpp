#include "driver/mainform/StatusPanel.h"

#include "driver/mainform/Unit1.h"

namespace driver {

void StatusPanelBinding::SetPhaseCaption(const std::string &Text) {
  ShowCurrentItem();
  FForm.Label1->SetCaption(Text);
}

void StatusPanelBinding::SetCurrentItem(const std::string &Text) {
  FPendingItem = Text;
  FItemPending = true;
  if (Text.empty())
    ShowCurrentItem();
}

void StatusPanelBinding::ShowCurrentItem() {
  if (!FItemPending)
    return;
  FItemPending = false;
  if (FForm.Label2->Caption() != FPendingItem)
    FForm.Label2->SetCaption(FPendingItem);
}

void StatusPanelBinding::SetProgressMax(uint32_t Max) {
  FForm.VemoProgressBar1->Bar().SetMax(Max);
}

void StatusPanelBinding::SetProgress(uint32_t Position) {
  FForm.VemoProgressBar1->Bar().SetProgress(Position);
}

void StatusPanelBinding::ProcessMessages() {
  ShowCurrentItem();
  FForm.Application().ProcessMessages();
}

bool StatusPanelBinding::CancelRequested() {
  return FForm.FCancelRequested;
}

bool StatusPanelBinding::Terminating() {
  return FForm.Application().Terminated();
}

void StatusPanelBinding::ShowPanel(bool Visible) {
  ui::TPanel &P = *FForm.StatusPanel;
  if (Visible) {
    P.SetBounds(FForm.ClientWidth() / 2 - P.Width() / 2, FForm.ClientHeight() - P.Height() - 40,
                P.Width(), P.Height());
    FForm.CancelButton->SetEnabled(false);
    FItemPending = false;
    FForm.Label2->SetCaption("");
    FForm.VemoProgressBar1->Bar().SetProgress(0);
  } else {
    ShowCurrentItem();
  }
  P.SetVisible(Visible);
  if (Visible)
    FForm.FocusControl(*FForm.CancelButton);
}

void StatusPanelBinding::EnableCancel() {
  FForm.CancelButton->SetEnabled(true);
  FForm.FocusControl(*FForm.CancelButton);
}

void StatusPanelBinding::RepaintBackground() {
  FForm.Invalidate();
}

void StatusPanelBinding::ShowAnimationsForGroup(const package::GroupType &Group, bool Visible) {
  FForm.ShowAnimationsForGroup(Group, Visible);
}

} // namespace driver
