#include "ui/Toolkit_win.h"

#include "controls/GdiCanvas_win.h"

namespace ui {

namespace {

constexpr char FormClass[] = "TcForm";
constexpr int FirstControlId = 1000;

class Win32FormPeer;
Win32FormPeer *PeerOf(HWND Wnd);

class Win32FormPeer : public FormPeer {
public:
  Win32FormPeer(Win32PeerFactory &Factory, TForm &Form) : FFactory(Factory), FForm(Form) {
    Register();
    HWND Owner = nullptr;
    if (TForm *Main = Form.Application().MainForm(); Main && Main != &Form)
      Owner = WindowOf(*Main);
    CreateWindowExA(ExStyle(), FormClass, Form.Caption().c_str(), Style(), 0, 0, 100, 100, Owner,
                    nullptr, GetModuleHandleA(nullptr), this);
    ApplyBounds();
  }
  ~Win32FormPeer() override {
    if (FWnd) {
      SetWindowLongPtrA(FWnd, GWLP_USERDATA, 0);
      DestroyWindow(FWnd);
    }
  }

  HWND Handle() const { return FWnd; }
  TForm &Form() const { return FForm; }

  void Update(FormChange What) override {
    if (!FWnd)
      return;
    switch (What) {
    case FormChange::Caption:
      SetWindowTextA(FWnd, FForm.Caption().c_str());
      break;
    case FormChange::Style:
      SetWindowLongPtrA(FWnd, GWL_STYLE, Style() | (IsWindowVisible(FWnd) ? WS_VISIBLE : 0));
      SetWindowLongPtrA(FWnd, GWL_EXSTYLE, ExStyle());
      SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      ApplyBounds();
      break;
    case FormChange::Bounds:
      ApplyBounds();
      break;
    }
  }

  void Show() override {
    if (!FWnd)
      return;
    ApplyBounds();
    // A form that does not stay on top, shown while one that does is still
    // up (a modal box over a page, or the next page before the last one
    // hides), would open behind it; and Wine raises a window on screen only
    // when it becomes the top one. So the forms that stay on top step down
    // while it is shown: a modal box gives them their place back when it
    // closes; a page need not, as the one before it hides at once and every
    // form takes its place again when it is shown.
    std::vector<HWND> Lowered;
    if (!FForm.StayOnTop())
      Lowered = OtherTopmostForms();
    SetTopmost(Lowered, false);
    SetWindowPos(FWnd, FForm.StayOnTop() ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (FForm.InModalLoop())
      FLowered = std::move(Lowered);
    SetForegroundWindow(FWnd);
    SetActiveWindow(FWnd);
    TButton *Def = FForm.DefaultButton();
    if (Focusable(FLastFocus)) {
      // Shown again while up (the setup window brings its pages back to
      // the front when it is activated): the focus stays where it was.
      SetFocus(FLastFocus);
    } else if (TControl *A = FForm.ActiveControl(); A && A->Showing() && A->Enabled()) {
      FocusSelecting(WindowOf(*A));
    } else if (Def && Def->Showing() && Def->Enabled()) {
      SetFocus(WindowOf(*Def));
    } else if (HWND First = GetNextDlgTabItem(FWnd, nullptr, FALSE)) {
      SetFocus(First);
    } else {
      SetFocus(FWnd);
    }
    UpdateWindow(FWnd);
  }

  void Hide() override {
    if (!FWnd)
      return;
    ShowWindow(FWnd, SW_HIDE);
    // Shown again later, the form starts from its own choice of focus.
    FLastFocus = nullptr;
    // A modal box gives the forms that stay on top their place back.
    SetTopmost(FLowered, true);
    FLowered.clear();
  }

  void RunModal() override {
    // Every other window of the program waits until the box is closed.
    std::vector<HWND> Disabled;
    for (TForm *F : FForm.Application().Forms()) {
      HWND W = F != &FForm ? WindowOf(*F) : nullptr;
      if (W && IsWindowVisible(W) && IsWindowEnabled(W)) {
        EnableWindow(W, FALSE);
        Disabled.push_back(W);
      }
    }
    MSG M;
    while (FForm.ModalResult() == MrNone && !FForm.Application().Terminated()) {
      const BOOL R = GetMessageA(&M, nullptr, 0, 0);
      if (R == 0) {
        PostQuitMessage(static_cast<int>(M.wParam));
        break;
      }
      if (R < 0)
        break;
      if (!FFactory.PreTranslate(M)) {
        TranslateMessage(&M);
        DispatchMessageA(&M);
      }
    }
    for (HWND W : Disabled)
      EnableWindow(W, TRUE);
  }

  void Invalidate() override {
    if (FWnd) {
      InvalidateRect(FWnd, nullptr, FALSE);
      UpdateWindow(FWnd);
    }
  }

  void FocusControl(TControl &C) override {
    if (HWND W = WindowOf(C); W && IsWindowVisible(W)) {
      // Also what the form gets back when it is activated again: the
      // program's choice made while it was not active wins.
      FLastFocus = W;
      FocusSelecting(W);
    }
  }

  // The program's other visible forms that stay on top.
  std::vector<HWND> OtherTopmostForms() const {
    std::vector<HWND> R;
    for (TForm *F : FForm.Application().Forms()) {
      HWND W = F != &FForm ? WindowOf(*F) : nullptr;
      if (W && IsWindowVisible(W) && (GetWindowLongA(W, GWL_EXSTYLE) & WS_EX_TOPMOST))
        R.push_back(W);
    }
    return R;
  }

  static void SetTopmost(const std::vector<HWND> &Windows, bool Topmost) {
    for (HWND W : Windows)
      SetWindowPos(W, Topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // Focuses a control the way the dialog manager does when it is tabbed to:
  // an edit box gets its whole text selected, so typing replaces it.
  static void FocusSelecting(HWND W) {
    SetFocus(W);
    if (SendMessageA(W, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
      SendMessageA(W, EM_SETSEL, 0, -1);
  }

  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
    if (Msg == WM_NCCREATE) {
      auto *Self =
          static_cast<Win32FormPeer *>(reinterpret_cast<CREATESTRUCTA *>(L)->lpCreateParams);
      Self->FWnd = Wnd;
      SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
    }
    Win32FormPeer *Self = PeerOf(Wnd);
    if (!Self)
      return DefDlgProcA(Wnd, Msg, W, L);
    return Self->Handle(Msg, W, L);
  }

private:
  static void Register() {
    WNDCLASSA Wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), FormClass, &Wc))
      return;
    Wc.style = CS_DBLCLKS;
    Wc.lpfnWndProc = Proc;
    Wc.cbWndExtra = DLGWINDOWEXTRA;
    Wc.hInstance = GetModuleHandleA(nullptr);
    Wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    Wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    Wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Wc.lpszClassName = FormClass;
    RegisterClassA(&Wc);
  }

  DWORD Style() const {
    if (FForm.Border() == FormBorder::None)
      return WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN;
    return WS_POPUP | WS_CAPTION | (FForm.CloseBox() ? WS_SYSMENU : 0) | WS_CLIPCHILDREN;
  }
  DWORD ExStyle() const {
    DWORD Ex = WS_EX_CONTROLPARENT;
    if (FForm.Border() == FormBorder::Dialog)
      Ex |= WS_EX_DLGMODALFRAME;
    return Ex;
  }

  void ApplyBounds() {
    if (!FWnd)
      return;
    RECT R{0, 0, FForm.ClientWidth(), FForm.ClientHeight()};
    AdjustWindowRectEx(&R, Style(), FALSE, ExStyle());
    const int W = R.right - R.left, H = R.bottom - R.top;
    FForm.SetFrameSize(W - FForm.ClientWidth(), H - FForm.ClientHeight());
    int X = FForm.Left(), Y = FForm.Top();
    if (FForm.Centered) {
      X = (GetSystemMetrics(SM_CXSCREEN) - W) / 2;
      Y = (GetSystemMetrics(SM_CYSCREEN) - H) / 2;
    }
    SetWindowPos(FWnd, nullptr, X, Y, W, H, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  TControl *ControlOfId(int Id) const {
    const int I = Id - FirstControlId;
    const auto &C = FForm.Controls();
    return I >= 0 && I < static_cast<int>(C.size()) ? C[I].get() : nullptr;
  }

  static bool Usable(TButton *B) { return B && B->Showing() && B->Enabled(); }

  // A control of this form that can take the focus now.
  bool Focusable(HWND W) const {
    return W && IsWindow(W) && IsChild(FWnd, W) && IsWindowVisible(W) && IsWindowEnabled(W);
  }

  // Keeps the focused control of a form that loses the activation while it
  // stays up; a form being hidden keeps nothing.
  void RememberFocus() {
    HWND Focus = GetFocus();
    if (IsWindowVisible(FWnd) && Focus && IsChild(FWnd, Focus))
      FLastFocus = Focus;
  }

  LRESULT Handle(UINT Msg, WPARAM W, LPARAM L) {
    if (FForm.OnNativeMessage) {
      intptr_t Result = 0;
      if (FForm.OnNativeMessage(Msg, W, L, Result))
        return Result;
    }
    switch (Msg) {
    case DM_GETDEFID:
      if (TButton *B = FForm.DefaultButton(); Usable(B))
        return MAKELRESULT(FirstControlId + B->CreationIndex(), DC_HASDEFID);
      return 0;
    case WM_COMMAND: {
      const int Id = LOWORD(W);
      const int Code = HIWORD(W);
      if (!L) { // from the dialog keys: Enter without a default, Escape
        if (Id == IDCANCEL)
          if (TButton *B = FForm.CancelButton(); Usable(B))
            B->Click();
        return 0;
      }
      TControl *C = ControlOfId(Id);
      if (!C)
        return 0;
      switch (C->Kind()) {
      case ControlKind::Button:
        if (Code == BN_CLICKED)
          static_cast<TButton *>(C)->Click();
        break;
      case ControlKind::Edit:
        if (Code == EN_CHANGE) {
          char Buf[1024];
          GetWindowTextA(reinterpret_cast<HWND>(L), Buf, sizeof Buf);
          if (C->Caption() != Buf) {
            C->CaptionFromWindow(Buf);
            auto *E = static_cast<TEdit *>(C);
            if (E->OnChange)
              E->OnChange(*E);
          }
        }
        break;
      case ControlKind::ListBox:
      case ControlKind::ComboBox: {
        auto *Lb = static_cast<TListBox *>(C);
        const bool Combo = C->Kind() == ControlKind::ComboBox;
        if (Code == (Combo ? CBN_SELCHANGE : LBN_SELCHANGE))
          Lb->ItemPicked(static_cast<int>(
              SendMessageA(reinterpret_cast<HWND>(L), Combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0)));
        else if (!Combo && Code == LBN_DBLCLK && Lb->OnDblClick)
          Lb->OnDblClick(*Lb);
        break;
      }
      default:
        break;
      }
      return 0;
    }
    case WM_CLOSE:
      FForm.Close();
      return 0;
    case WM_ACTIVATE: {
      // The control that had the focus when another window took the
      // activation gets it back with the activation.
      if (LOWORD(W) == WA_INACTIVE) {
        RememberFocus();
        break;
      }
      LRESULT R = DefDlgProcA(FWnd, Msg, W, L);
      if (!HIWORD(W) && Focusable(FLastFocus) && GetFocus() != FLastFocus)
        SetFocus(FLastFocus);
      if (FForm.OnActivate)
        FForm.OnActivate(FForm);
      return R;
    }
    case WM_CTLCOLORSTATIC: {
      // Labels and read-only boxes on the face colour.
      HDC Dc = reinterpret_cast<HDC>(W);
      SetBkColor(Dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      break;
    }
    return DefDlgProcA(FWnd, Msg, W, L);
  }

  Win32PeerFactory &FFactory;
  TForm &FForm;
  HWND FWnd = nullptr;
  // Forms that stay on top, stepped down while this modal box is up.
  std::vector<HWND> FLowered;
  // The control that had the focus when the form was last deactivated, or
  // that the program focused last; null once the form is hidden.
  HWND FLastFocus = nullptr;
};

Win32FormPeer *PeerOf(HWND Wnd) {
  return reinterpret_cast<Win32FormPeer *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
}

} // namespace

// Defined in ControlPeers_win.cpp.
std::unique_ptr<ControlPeer> MakeWin32ControlPeer(Win32PeerFactory &Factory, TControl &C, int Id);
HWND ControlPeerWindow(const ControlPeer *P);

Win32PeerFactory::~Win32PeerFactory() {
  for (auto &F : FFonts)
    DeleteObject(F.second);
}

std::unique_ptr<FormPeer> Win32PeerFactory::MakeFormPeer(TForm &F) {
  return std::make_unique<Win32FormPeer>(*this, F);
}

std::unique_ptr<ControlPeer> Win32PeerFactory::MakeControlPeer(TControl &C) {
  return MakeWin32ControlPeer(*this, C, FirstControlId + C.CreationIndex());
}

HFONT Win32PeerFactory::FontFor(const controls::Font &F) {
  const std::string Key =
      F.Name + "|" + std::to_string(F.Height) + "|" +
      std::to_string(F.Bold * 1 + F.Italic * 2 + F.Underline * 4 + F.StrikeOut * 8);
  auto It = FFonts.find(Key);
  if (It != FFonts.end())
    return It->second;
  HFONT H = CreateFontA(F.Height, 0, 0, 0, F.Bold ? FW_BOLD : FW_NORMAL, F.Italic, F.Underline,
                        F.StrikeOut, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, F.Name.c_str());
  FFonts[Key] = H;
  return H;
}

TForm *Win32PeerFactory::FormOfWindow(HWND Wnd) const {
  while (Wnd && (GetWindowLongA(Wnd, GWL_STYLE) & WS_CHILD))
    Wnd = GetParent(Wnd);
  if (!Wnd || !FApp)
    return nullptr;
  for (TForm *F : FApp->Forms())
    if (WindowOf(*F) == Wnd)
      return F;
  return nullptr;
}

bool Win32PeerFactory::PreTranslate(MSG &M) {
  TForm *F = FormOfWindow(M.hwnd);
  if (!F)
    return false;
  // A held Return or Escape presses its button once: its repeats would
  // press the button that has the focus next, such as Cancel on the status
  // panel right after Install. A repeat follows the key's last press within
  // the keyboard's repeat delay; a "repeat" long after it is a new press
  // whose release the system missed, and counts.
  if (M.message == WM_KEYDOWN && (M.wParam == VK_RETURN || M.wParam == VK_ESCAPE)) {
    KeySeen &K = M.wParam == VK_RETURN ? FReturnSeen : FEscapeSeen;
    const bool Repeat = (M.lParam & (1L << 30)) && K.Seen && M.time - K.Time < 1500;
    K = {true, M.time};
    if (Repeat)
      return true;
  }
  if (M.message == WM_KEYDOWN && F->OnKeyDown && F->OnKeyDown(*F, static_cast<int>(M.wParam)))
    return true;
  // An edit box's own key handler sees its keys first.
  if (M.message == WM_KEYDOWN)
    for (const auto &C : F->Controls())
      if (C->Kind() == ControlKind::Edit && WindowOf(*C) == M.hwnd) {
        auto &E = static_cast<TEdit &>(*C);
        if (E.OnKeyDown && E.OnKeyDown(E, static_cast<int>(M.wParam)))
          return true;
      }
  return IsDialogMessageA(WindowOf(*F), &M) != FALSE;
}

void Win32PeerFactory::ProcessMessages() {
  MSG M;
  while (PeekMessageA(&M, nullptr, 0, 0, PM_REMOVE)) {
    if (M.message == WM_QUIT) {
      // Left for the loop that owns it.
      PostQuitMessage(static_cast<int>(M.wParam));
      break;
    }
    if (!PreTranslate(M)) {
      TranslateMessage(&M);
      DispatchMessageA(&M);
    }
  }
  Sleep(0);
}

void Win32PeerFactory::PostQuit() {
  PostQuitMessage(0);
}

void Win32PeerFactory::Run() {
  MSG M;
  while (GetMessageA(&M, nullptr, 0, 0) > 0)
    if (!PreTranslate(M)) {
      TranslateMessage(&M);
      DispatchMessageA(&M);
    }
}

HWND WindowOf(const TForm &F) {
  auto *P = static_cast<Win32FormPeer *>(F.Peer());
  return P ? P->Handle() : nullptr;
}

HWND WindowOf(const TControl &C) {
  return ControlPeerWindow(C.Peer());
}

} // namespace ui
