#include "ui/Form.h"

#include <algorithm>

namespace ui {

TForm::TForm(TApplication &App, std::string Name, std::string Caption, int ClientWidth,
             int ClientHeight)
    : FApp(App), FName(std::move(Name)), FCaption(std::move(Caption)), FClientWidth(ClientWidth),
      FClientHeight(ClientHeight) {
  FApp.FForms.push_back(this);
  if (FApp.FFactory)
    FPeer = FApp.FFactory->MakeFormPeer(*this);
}

TForm::~TForm() {
  // Child windows go before the form's window.
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It)
    (*It)->SetPeer(nullptr);
  FPeer.reset();
  auto &F = FApp.FForms;
  F.erase(std::remove(F.begin(), F.end(), this), F.end());
}

void TForm::SetCaption(const std::string &V) {
  FCaption = V;
  Changed(FormChange::Caption);
}

void TForm::SetClientSize(int W, int H) {
  FClientWidth = W;
  FClientHeight = H;
  Changed(FormChange::Bounds);
}

void TForm::SetPosition(int L, int T) {
  FLeft = L;
  FTop = T;
  Changed(FormChange::Bounds);
}

void TForm::SetBorder(FormBorder V) {
  FBorder = V;
  if (V == FormBorder::None)
    FFrameWidth = FFrameHeight = 0;
  Changed(FormChange::Style);
}

void TForm::SetCloseBox(bool V) {
  FCloseBox = V;
  Changed(FormChange::Style);
}

void TForm::SetStayOnTop(bool V) {
  FStayOnTop = V;
  Changed(FormChange::Style);
}

void TForm::Created(TControl &C) {
  if (FApp.FFactory)
    C.SetPeer(FApp.FFactory->MakeControlPeer(C));
}

TControl *TForm::Find(const std::string &Name) const {
  for (const auto &C : FControls)
    if (C->Name() == Name)
      return C.get();
  return nullptr;
}

TButton *TForm::DefaultButton() const {
  for (const auto &C : FControls)
    if (C->Kind() == ControlKind::Button && static_cast<TButton &>(*C).Default())
      return static_cast<TButton *>(C.get());
  return nullptr;
}

TButton *TForm::CancelButton() const {
  for (const auto &C : FControls)
    if (C->Kind() == ControlKind::Button && static_cast<TButton &>(*C).Cancel())
      return static_cast<TButton *>(C.get());
  return nullptr;
}

void TForm::Show() {
  FVisible = true;
  if (FPeer)
    FPeer->Show();
  if (OnShow && !FModal)
    OnShow(*this);
}

void TForm::Hide() {
  if (!FVisible)
    return;
  FVisible = false;
  if (FPeer)
    FPeer->Hide();
}

bool TForm::Close() {
  bool CanClose = true;
  if (OnCloseQuery)
    OnCloseQuery(*this, CanClose);
  if (!CanClose)
    return false;
  if (FModal && FModalResult == MrNone)
    FModalResult = MrCancel;
  Hide();
  if (OnClose)
    OnClose(*this);
  return true;
}

int TForm::ShowModal() {
  FModalResult = MrNone;
  FModal = true;
  FVisible = true;
  if (FPeer) {
    FPeer->Show();
    if (OnShow)
      OnShow(*this);
    FPeer->RunModal();
  } else if (OnShow) {
    OnShow(*this);
  }
  FModal = false;
  Hide();
  int R = FModalResult;
  FModalResult = MrNone;
  return R;
}

void TForm::FocusControl(TControl &C) {
  FActive = &C;
  if (FPeer && FVisible)
    FPeer->FocusControl(C);
}

TApplication::~TApplication() = default;

void TApplication::Terminate() {
  FTerminated = true;
  if (FFactory)
    FFactory->PostQuit();
}

void TApplication::ProcessMessages() {
  if (FFactory)
    FFactory->ProcessMessages();
}

void TApplication::Run() {
  if (FFactory && !FTerminated)
    FFactory->Run();
  FTerminated = true;
}

} // namespace ui
