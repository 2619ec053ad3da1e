// Forms and the application as plain data: caption, client size, border,
// controls in creation order, visibility, close query with veto, modal
// result. The window of a form (Form_win.cpp) follows through its FormPeer.
#pragma once

#include "ui/Control.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class TApplication;

enum class FormChange { Caption, Bounds, Style };

class FormPeer {
public:
  virtual ~FormPeer() = default;
  virtual void Update(FormChange What) = 0;
  // Makes the window visible, brings it to the front and focuses it.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Runs a nested message loop until the form's ModalResult is set or the
  // application terminates.
  virtual void RunModal() = 0;
  virtual void Invalidate() = 0;
  virtual void FocusControl(TControl &) = 0;
};

enum class FormBorder {
  Dialog, // caption and a dialog frame
  None,   // no frame at all (the setup window)
};

// Modal results.
enum : int { MrNone = 0, MrOk = 1, MrCancel = 2 };

class TForm {
public:
  TForm(TApplication &App, std::string Name, std::string Caption, int ClientWidth,
        int ClientHeight);
  virtual ~TForm();
  TForm(const TForm &) = delete;
  TForm &operator=(const TForm &) = delete;

  TApplication &Application() const { return FApp; }
  const std::string &Name() const { return FName; }
  const std::string &Caption() const { return FCaption; }
  void SetCaption(const std::string &V);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int ClientWidth() const { return FClientWidth; }
  int ClientHeight() const { return FClientHeight; }
  void SetClientSize(int W, int H);
  void SetPosition(int L, int T);
  // Outer size: the client area plus the frame.
  int Width() const { return FClientWidth + FFrameWidth; }
  int Height() const { return FClientHeight + FFrameHeight; }
  void SetOuterSize(int W, int H) { SetClientSize(W - FFrameWidth, H - FFrameHeight); }
  // The frame's share of the outer size; the window side reports the real
  // one (a classic dialog frame with caption by default).
  int FrameWidth() const { return FFrameWidth; }
  int FrameHeight() const { return FFrameHeight; }
  void SetFrameSize(int W, int H) {
    FFrameWidth = W;
    FFrameHeight = H;
  }
  // Centred on the screen whenever it is shown.
  bool Centered = true;

  FormBorder Border() const { return FBorder; }
  void SetBorder(FormBorder V);
  bool CloseBox() const { return FCloseBox; }
  void SetCloseBox(bool V);
  bool StayOnTop() const { return FStayOnTop; }
  void SetStayOnTop(bool V);

  // Controls, in creation order; Parent null puts the control on the form.
  template <class T, class... A> T &Add(TControl *Parent, std::string Name, A &&...Args) {
    auto C = std::make_unique<T>(*this, Parent, std::move(Name), std::forward<A>(Args)...);
    T &Ref = *C;
    FControls.push_back(std::move(C));
    Created(Ref);
    return Ref;
  }
  const std::vector<std::unique_ptr<TControl>> &Controls() const { return FControls; }
  int NextControlIndex() const { return static_cast<int>(FControls.size()); }
  TControl *Find(const std::string &Name) const;
  // The default and the cancel button (the first marked one), or null.
  TButton *DefaultButton() const;
  TButton *CancelButton() const;

  bool Visible() const { return FVisible; }
  // Visible, in front, focused.
  void Show();
  void Hide();
  // Asks the close query; when it agrees, hides the form and runs OnClose.
  // Returns whether the form closed.
  bool Close();
  // Shows the form modally and returns its modal result. Without a window
  // the form is shown, OnShow runs, and the result it set is returned.
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int V) { FModalResult = V; }
  bool InModalLoop() const { return FModal; }

  // The control that has or gets the focus.
  TControl *ActiveControl() const { return FActive; }
  void FocusControl(TControl &C);

  void Invalidate() {
    if (FPeer)
      FPeer->Invalidate();
  }

  std::function<void(TForm &, bool &CanClose)> OnCloseQuery;
  std::function<void(TForm &)> OnClose;
  std::function<void(TForm &)> OnShow;
  std::function<void(TForm &)> OnActivate;
  // Every key pressed on the form or one of its controls, before them
  // (virtual-key code); true: handled.
  std::function<bool(TForm &, int Key)> OnKeyDown;
  // The window's own messages (message, wParam, lParam, result) before the
  // toolkit handles them; true: handled. Only the setup window uses it.
  std::function<bool(unsigned, uintptr_t, intptr_t, intptr_t &)> OnNativeMessage;

  FormPeer *Peer() const { return FPeer.get(); }
  void SetPeer(std::unique_ptr<FormPeer> P) { FPeer = std::move(P); }

private:
  void Created(TControl &C);
  void Changed(FormChange What) {
    if (FPeer)
      FPeer->Update(What);
  }

  TApplication &FApp;
  std::string FName;
  std::string FCaption;
  int FLeft = 0, FTop = 0;
  int FClientWidth, FClientHeight;
  int FFrameWidth = 6, FFrameHeight = 25;
  FormBorder FBorder = FormBorder::Dialog;
  bool FCloseBox = true;
  bool FStayOnTop = false;
  bool FVisible = false;
  bool FModal = false;
  int FModalResult = MrNone;
  TControl *FActive = nullptr;
  std::vector<std::unique_ptr<TControl>> FControls;
  std::unique_ptr<FormPeer> FPeer;
};

// Makes the windows of forms and controls; the Win32 side installs one.
class PeerFactory {
public:
  virtual ~PeerFactory() = default;
  virtual std::unique_ptr<FormPeer> MakeFormPeer(TForm &F) = 0;
  virtual std::unique_ptr<ControlPeer> MakeControlPeer(TControl &C) = 0;
  virtual void ProcessMessages() = 0;
  virtual void PostQuit() = 0;
  // The message loop, until the quit request.
  virtual void Run() = 0;
};

class TApplication {
public:
  TApplication() = default;
  explicit TApplication(std::unique_ptr<PeerFactory> Factory) : FFactory(std::move(Factory)) {}
  ~TApplication();

  // Forms in creation order; the first is the main form.
  const std::vector<TForm *> &Forms() const { return FForms; }
  TForm *MainForm() const { return FForms.empty() ? nullptr : FForms.front(); }

  bool Terminated() const { return FTerminated; }
  // Asks the message loop to end (the quit request).
  void Terminate();
  void ProcessMessages();
  void Run();

  PeerFactory *Factory() const { return FFactory.get(); }

private:
  friend class TForm;
  std::unique_ptr<PeerFactory> FFactory;
  std::vector<TForm *> FForms;
  bool FTerminated = false;
};

} // namespace ui
