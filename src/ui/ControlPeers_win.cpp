// The windows of the toolkit's controls: standard controls where Windows has
// them (button, static, edit, rich edit 2.0, list and combo box), small
// window classes of our own for pictures, bevels and containers, and the
// self-drawn tree list and progress bar.
#include "controls/ControlWindows_win.h"
#include "controls/GdiCanvas_win.h"
#include "ui/Toolkit_win.h"

#include <richedit.h>

#include <algorithm>

namespace ui {

namespace {

constexpr char ImageClass[] = "TcImage";
constexpr char BevelClass[] = "TcBevel";
constexpr char ContainerClass[] = "TcContainer";

// Rich edit 2.0 from the system directory, loaded once; "" when missing.
const char *RichEditClass() {
  static const char *Class = [] {
    char Dir[MAX_PATH + 20] = {};
    UINT N = GetSystemDirectoryA(Dir, MAX_PATH);
    if (N == 0 || N >= MAX_PATH)
      return "";
    lstrcatA(Dir, "\\riched20.dll");
    return LoadLibraryA(Dir) ? RICHEDIT_CLASSA : "";
  }();
  return Class;
}

class Win32ControlPeer;

Win32ControlPeer *ControlPeerOf(HWND Wnd) {
  return reinterpret_cast<Win32ControlPeer *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
}

void RegisterOwnClass(const char *Name, WNDPROC Proc) {
  WNDCLASSA Wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), Name, &Wc))
    return;
  Wc.lpfnWndProc = Proc;
  Wc.hInstance = GetModuleHandleA(nullptr);
  Wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  Wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  Wc.lpszClassName = Name;
  RegisterClassA(&Wc);
}

HWND ParentWindow(const TControl &C) {
  return C.Parent() ? WindowOf(*C.Parent()) : WindowOf(C.Form());
}

class Win32ControlPeer : public ControlPeer {
public:
  Win32ControlPeer(Win32PeerFactory &Factory, TControl &C, int Id)
      : FFactory(Factory), FControl(C), FId(Id) {
    Create();
  }
  ~Win32ControlPeer() override {
    FTree.reset();
    FBar.reset();
    if (FWnd) {
      if (FOwnClass)
        SetWindowLongPtrA(FWnd, GWLP_USERDATA, 0);
      DestroyWindow(FWnd);
    }
  }

  HWND Handle() const { return FWnd; }
  int ScrollY() const { return FScrollY; }

  void Update(ControlChange What) override {
    if (!FWnd)
      return;
    switch (What) {
    case ControlChange::Bounds:
      ApplyBounds();
      if (TControl *P = FControl.Parent(); P && P->Kind() == ControlKind::ScrollBox)
        if (auto *PP = static_cast<Win32ControlPeer *>(P->Peer()))
          PP->UpdateScrollRange();
      if (FControl.Kind() == ControlKind::ScrollBox)
        UpdateScrollRange();
      break;
    case ControlChange::Visible:
      ShowWindow(FWnd, Shown() ? SW_SHOWNA : SW_HIDE);
      break;
    case ControlChange::Enabled:
      EnableWindow(FWnd, FControl.Enabled());
      break;
    case ControlChange::Caption:
      SetWindowTextA(FWnd, FControl.Caption().c_str());
      if (FControl.Kind() == ControlKind::Label)
        ApplyBounds();
      UpdateWindow(FWnd);
      break;
    case ControlChange::Content:
      ApplyContent();
      break;
    case ControlChange::Style:
      ApplyStyle();
      break;
    case ControlChange::Focus:
      SetFocus(FWnd);
      break;
    }
  }

  // Children of a scroll box stand at their place less the scrolled part.
  void UpdateScrollRange() {
    int Bottom = 0;
    for (const auto &C : FControl.Form().Controls())
      if (C->Parent() == &FControl && C->Visible())
        Bottom = std::max(Bottom, C->Bottom());
    SCROLLINFO Si{};
    Si.cbSize = sizeof Si;
    Si.fMask = SIF_RANGE | SIF_PAGE;
    Si.nMax = Bottom > 0 ? Bottom - 1 : 0;
    Si.nPage = static_cast<UINT>(std::max(FControl.Height(), 0));
    SetScrollInfo(FWnd, SB_VERT, &Si, TRUE);
    ScrollTo(FScrollY);
  }

private:
  DWORD BaseStyle() const {
    DWORD S = WS_CHILD | (Shown() ? WS_VISIBLE : 0) | (FControl.TabStop() ? WS_TABSTOP : 0) |
              (FControl.Enabled() ? 0 : WS_DISABLED);
    if (FControl.IsContainer())
      S |= WS_CLIPCHILDREN;
    return S;
  }

  // An image with nothing to show (a page without its logo) stays off the
  // screen, or its face would cover the controls the page moved onto it.
  bool Shown() const {
    return FControl.Visible() && (FControl.Kind() != ControlKind::Image ||
                                  static_cast<const TImage &>(FControl).HasPicture());
  }

  void Create() {
    HWND Parent = ParentWindow(FControl);
    if (!Parent)
      return;
    HINSTANCE Inst = GetModuleHandleA(nullptr);
    HMENU Id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(FId));
    const int X = FControl.Left(), Y = FControl.Top() - ParentScroll();
    const int W = FControl.Width(), H = FControl.Height();
    DWORD S = BaseStyle(), Ex = 0;
    const char *Class = nullptr;
    switch (FControl.Kind()) {
    case ControlKind::Button: {
      Class = "BUTTON";
      S |= static_cast<TButton &>(FControl).Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      break;
    }
    case ControlKind::Label:
      Class = "STATIC";
      S |= LabelStyle();
      break;
    case ControlKind::Edit:
      Class = "EDIT";
      Ex = WS_EX_CLIENTEDGE;
      S |= ES_AUTOHSCROLL | (static_cast<TEdit &>(FControl).ReadOnly() ? ES_READONLY : 0);
      break;
    case ControlKind::RichEdit: {
      auto &R = static_cast<TRichEdit &>(FControl);
      Class = *RichEditClass() ? RichEditClass() : "EDIT";
      S |= ES_MULTILINE | (R.ReadOnly() ? ES_READONLY : 0) |
           (R.Scrolling() != ScrollBars::None ? WS_VSCROLL | ES_AUTOVSCROLL : 0) |
           (R.Scrolling() == ScrollBars::Both ? WS_HSCROLL : 0) |
           (R.Alignment() == TextAlign::Center ? ES_CENTER : 0) |
           (R.WordWrap() ? 0 : ES_AUTOHSCROLL);
      Ex = R.Bordered() ? WS_EX_CLIENTEDGE : 0;
      break;
    }
    case ControlKind::Image:
      RegisterOwnClass(ImageClass, OwnProc);
      Class = ImageClass;
      FOwnClass = true;
      break;
    case ControlKind::Bevel:
      RegisterOwnClass(BevelClass, OwnProc);
      Class = BevelClass;
      FOwnClass = true;
      break;
    case ControlKind::ScrollBox:
    case ControlKind::Panel:
      RegisterOwnClass(ContainerClass, OwnProc);
      Class = ContainerClass;
      FOwnClass = true;
      Ex = WS_EX_CONTROLPARENT;
      if (FControl.Kind() == ControlKind::ScrollBox) {
        S |= WS_VSCROLL;
        if (static_cast<TScrollBox &>(FControl).Bordered())
          Ex |= WS_EX_CLIENTEDGE;
      }
      break;
    case ControlKind::ListBox:
      Class = "LISTBOX";
      Ex = WS_EX_CLIENTEDGE;
      S |= LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
      break;
    case ControlKind::ComboBox:
      Class = "COMBOBOX";
      S |= CBS_DROPDOWNLIST | WS_VSCROLL;
      break;
    case ControlKind::TreeList: {
      auto &T = static_cast<TTreeList &>(FControl);
      FTree = std::make_unique<controls::TVemoTreeViewListWindow>(Parent, T.List(), X, Y, W, H, FId,
                                                                  T.TabStop());
      FWnd = FTree->Handle();
      FinishCreate();
      return;
    }
    case ControlKind::ProgressBar: {
      auto &P = static_cast<TProgressBar &>(FControl);
      FBar = std::make_unique<controls::TVemoProgressBarWindow>(Parent, P.Bar(), X, Y, W, H, FId);
      FWnd = FBar->Handle();
      FinishCreate();
      return;
    }
    }
    // A combo box's window includes its drop-down list.
    const int WinH = FControl.Kind() == ControlKind::ComboBox ? H + 200 : H;
    FWnd = CreateWindowExA(Ex, Class, FControl.Caption().c_str(), S, X, Y, W, WinH, Parent, Id,
                           Inst, FOwnClass ? this : nullptr);
    if (FOwnClass && FWnd)
      SetWindowLongPtrA(FWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FinishCreate();
  }

  void FinishCreate() {
    if (!FWnd)
      return;
    SendMessageA(FWnd, WM_SETFONT, reinterpret_cast<WPARAM>(FFactory.FontFor(FControl.Font())),
                 FALSE);
    if (FControl.Kind() == ControlKind::TreeList || FControl.Kind() == ControlKind::ProgressBar) {
      SetWindowLongPtrA(FWnd, GWL_STYLE,
                        (GetWindowLongPtrA(FWnd, GWL_STYLE) & ~(WS_VISIBLE | WS_DISABLED)) |
                            (FControl.Visible() ? WS_VISIBLE : 0) |
                            (FControl.Enabled() ? 0 : WS_DISABLED));
      if (FControl.Kind() == ControlKind::TreeList)
        FTree->SetBorderStyle(static_cast<TTreeList &>(FControl).Bordered()
                                  ? controls::BorderStyle::Single
                                  : controls::BorderStyle::None);
    }
    if (FControl.Kind() == ControlKind::RichEdit) {
      ApplyStyle();
      FitTextRect();
    }
    if (FControl.Kind() == ControlKind::Label)
      ApplyBounds();
    ApplyContent();
  }

  // Labels grow to their caption, as labels size themselves to their text:
  // the design sizes fit a narrower font than the system may give. A
  // one-line, left-aligned label grows to the right, a wrapping one down.
  SIZE ShownSize() const {
    SIZE Size{FControl.Width(), FControl.Height()};
    if (FControl.Kind() != ControlKind::Label)
      return Size;
    const DWORD Style = LabelStyle();
    const bool Wraps = Style == SS_LEFT && static_cast<TLabel &>(FControl).WordWrap();
    if (Style != SS_LEFTNOWORDWRAP && !Wraps)
      return Size;
    HDC Dc = GetDC(FWnd);
    if (!Dc)
      return Size;
    HGDIOBJ Old = SelectObject(Dc, FFactory.FontFor(FControl.Font()));
    RECT R{0, 0, Wraps ? Size.cx : 0, 0};
    DrawTextA(Dc, FControl.Caption().c_str(), -1, &R,
              DT_CALCRECT | (Wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(Dc, Old);
    ReleaseDC(FWnd, Dc);
    if (Wraps)
      Size.cy = std::max(Size.cy, static_cast<LONG>(R.bottom - R.top));
    else
      Size.cx = std::max(Size.cx, static_cast<LONG>(R.right - R.left));
    return Size;
  }

  DWORD LabelStyle() const {
    auto &L = static_cast<TLabel &>(FControl);
    switch (L.Alignment()) {
    case TextAlign::Center:
      return SS_CENTER;
    case TextAlign::Right:
      return SS_RIGHT;
    default:
      return L.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP;
    }
  }

  int ParentScroll() const {
    TControl *P = FControl.Parent();
    if (!P || P->Kind() != ControlKind::ScrollBox)
      return 0;
    auto *PP = static_cast<Win32ControlPeer *>(P->Peer());
    return PP ? PP->ScrollY() : 0;
  }

  void ApplyBounds() {
    const SIZE Size = ShownSize();
    const int H = FControl.Kind() == ControlKind::ComboBox ? FControl.Height() + 200 : Size.cy;
    MoveWindow(FWnd, FControl.Left(), FControl.Top() - ParentScroll(), Size.cx, H, TRUE);
    if (FControl.Kind() == ControlKind::RichEdit)
      FitTextRect();
  }

  // A borderless text box writes from its very edge, as the page layout
  // measures it; a bordered one keeps the control's own margins.
  void FitTextRect() {
    auto &R = static_cast<TRichEdit &>(FControl);
    if (R.Bordered() || R.Scrolling() != ScrollBars::None)
      return;
    // The rich edit control gives itself a sunken edge; a borderless box
    // has none.
    const LONG_PTR Ex = GetWindowLongPtrA(FWnd, GWL_EXSTYLE);
    const LONG_PTR St = GetWindowLongPtrA(FWnd, GWL_STYLE);
    if ((Ex & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) || (St & WS_BORDER)) {
      SetWindowLongPtrA(FWnd, GWL_EXSTYLE, Ex & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
      SetWindowLongPtrA(FWnd, GWL_STYLE, St & ~WS_BORDER);
      SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    RECT C;
    GetClientRect(FWnd, &C);
    SendMessageA(FWnd, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&C));
  }

  void ApplyStyle() {
    SendMessageA(FWnd, WM_SETFONT, reinterpret_cast<WPARAM>(FFactory.FontFor(FControl.Font())),
                 TRUE);
    LONG_PTR S = GetWindowLongPtrA(FWnd, GWL_STYLE);
    S = FControl.TabStop() ? S | WS_TABSTOP : S & ~WS_TABSTOP;
    switch (FControl.Kind()) {
    case ControlKind::Button:
      SendMessageA(FWnd, BM_SETSTYLE,
                   static_cast<TButton &>(FControl).Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                   TRUE);
      S = GetWindowLongPtrA(FWnd, GWL_STYLE);
      S = FControl.TabStop() ? S | WS_TABSTOP : S & ~WS_TABSTOP;
      break;
    case ControlKind::Label:
      S = (S & ~(SS_TYPEMASK)) | LabelStyle();
      break;
    case ControlKind::Edit:
      SendMessageA(FWnd, EM_SETREADONLY, static_cast<TEdit &>(FControl).ReadOnly(), 0);
      break;
    case ControlKind::RichEdit: {
      auto &R = static_cast<TRichEdit &>(FControl);
      SendMessageA(FWnd, EM_SETREADONLY, R.ReadOnly(), 0);
      if (*RichEditClass()) {
        SendMessageA(FWnd, EM_SETBKGNDCOLOR, 0,
                     GetSysColor(R.ParentColor() ? COLOR_BTNFACE : COLOR_WINDOW));
        // Wrapping at the window's width, or none.
        SendMessageA(FWnd, EM_SETTARGETDEVICE, 0, R.WordWrap() ? 0 : 1);
        // The whole box takes the new colour, not only the lines redrawn.
        InvalidateRect(FWnd, nullptr, TRUE);
      }
      break;
    }
    case ControlKind::ScrollBox:
      SetEdge(static_cast<TScrollBox &>(FControl).Bordered());
      break;
    case ControlKind::TreeList:
      if (FTree)
        FTree->SetBorderStyle(static_cast<TTreeList &>(FControl).Bordered()
                                  ? controls::BorderStyle::Single
                                  : controls::BorderStyle::None);
      break;
    default:
      break;
    }
    SetWindowLongPtrA(FWnd, GWL_STYLE, S);
    if (FControl.Kind() == ControlKind::RichEdit)
      SetEdge(static_cast<TRichEdit &>(FControl).Bordered());
    InvalidateRect(FWnd, nullptr, TRUE);
  }

  // A sunken edge, or none.
  void SetEdge(bool Sunken) {
    const LONG_PTR Ex = GetWindowLongPtrA(FWnd, GWL_EXSTYLE);
    const LONG_PTR New =
        Sunken ? Ex | WS_EX_CLIENTEDGE : Ex & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    if (New == Ex)
      return;
    SetWindowLongPtrA(FWnd, GWL_EXSTYLE, New);
    SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  void ApplyContent() {
    switch (FControl.Kind()) {
    case ControlKind::RichEdit: {
      auto &R = static_cast<TRichEdit &>(FControl);
      SetWindowTextA(FWnd, R.Text().c_str());
      if (*RichEditClass() && R.Alignment() != TextAlign::Left) {
        PARAFORMAT Pf{};
        Pf.cbSize = sizeof Pf;
        Pf.dwMask = PFM_ALIGNMENT;
        Pf.wAlignment = R.Alignment() == TextAlign::Center ? PFA_CENTER : PFA_RIGHT;
        SendMessageA(FWnd, EM_SETSEL, 0, -1);
        SendMessageA(FWnd, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&Pf));
        SendMessageA(FWnd, EM_SETSEL, 0, 0);
      }
      break;
    }
    case ControlKind::ListBox:
    case ControlKind::ComboBox: {
      auto &L = static_cast<TListBox &>(FControl);
      const bool Combo = FControl.Kind() == ControlKind::ComboBox;
      SendMessageA(FWnd, Combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
      for (const std::string &I : L.Items())
        SendMessageA(FWnd, Combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(I.c_str()));
      SendMessageA(FWnd, Combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(L.ItemIndex()),
                   0);
      break;
    }
    case ControlKind::Image:
      ShowWindow(FWnd, Shown() ? SW_SHOWNA : SW_HIDE);
      InvalidateRect(FWnd, nullptr, TRUE);
      break;
    default:
      break;
    }
  }

  void ScrollTo(int Y) {
    SCROLLINFO Si{};
    Si.cbSize = sizeof Si;
    Si.fMask = SIF_ALL;
    GetScrollInfo(FWnd, SB_VERT, &Si);
    const int Max = std::max(0, Si.nMax - static_cast<int>(Si.nPage) + 1);
    Y = std::clamp(Y, 0, Max);
    Si.fMask = SIF_POS;
    Si.nPos = Y;
    SetScrollInfo(FWnd, SB_VERT, &Si, TRUE);
    if (Y == FScrollY)
      return;
    FScrollY = Y;
    for (const auto &C : FControl.Form().Controls())
      if (C->Parent() == &FControl)
        if (HWND W = WindowOf(*C))
          MoveWindow(W, C->Left(), C->Top() - FScrollY, C->Width(), C->Height(), TRUE);
  }

  void PaintOwn(HDC Dc) {
    RECT R;
    GetClientRect(FWnd, &R);
    switch (FControl.Kind()) {
    case ControlKind::Image: {
      auto &I = static_cast<TImage &>(FControl);
      if (!I.Picture().Empty()) {
        const controls::Bitmap &B = I.Picture();
        BITMAPINFO Bi{};
        Bi.bmiHeader.biSize = sizeof Bi.bmiHeader;
        Bi.bmiHeader.biWidth = B.Width;
        Bi.bmiHeader.biHeight = -B.Height;
        Bi.bmiHeader.biPlanes = 1;
        Bi.bmiHeader.biBitCount = 32;
        Bi.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(Dc, 0, 0, R.right, R.bottom, 0, 0, B.Width, B.Height, B.Pixels.data(), &Bi,
                      DIB_RGB_COLORS, SRCCOPY);
      } else if (I.Icon() != StockIcon::None) {
        LPCSTR Id = IDI_APPLICATION;
        switch (I.Icon()) {
        case StockIcon::Information:
          Id = IDI_ASTERISK;
          break;
        case StockIcon::Warning:
          Id = IDI_EXCLAMATION;
          break;
        case StockIcon::Question:
          Id = IDI_QUESTION;
          break;
        default:
          break;
        }
        DrawIcon(Dc, 0, 0, LoadIconA(nullptr, Id));
      }
      break;
    }
    case ControlKind::Bevel:
      DrawEdge(Dc, &R, EDGE_ETCHED,
               static_cast<TBevel &>(FControl).Shape() == BevelShape::Box ? BF_RECT : BF_TOP);
      break;
    case ControlKind::Panel:
      if (static_cast<TPanel &>(FControl).BorderWidth() > 0)
        DrawEdge(Dc, &R, EDGE_RAISED, BF_RECT);
      break;
    default:
      break;
    }
  }

  static LRESULT CALLBACK OwnProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
    Win32ControlPeer *Self = ControlPeerOf(Wnd);
    if (Msg == WM_NCCREATE) {
      Self = static_cast<Win32ControlPeer *>(reinterpret_cast<CREATESTRUCTA *>(L)->lpCreateParams);
      if (Self) {
        Self->FWnd = Wnd;
        SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
      }
    }
    if (!Self)
      return DefWindowProcA(Wnd, Msg, W, L);
    switch (Msg) {
    case WM_PAINT: {
      PAINTSTRUCT Ps;
      HDC Dc = BeginPaint(Wnd, &Ps);
      Self->PaintOwn(Dc);
      EndPaint(Wnd, &Ps);
      return 0;
    }
    case WM_VSCROLL:
      if (Self->FControl.Kind() == ControlKind::ScrollBox) {
        SCROLLINFO Si{};
        Si.cbSize = sizeof Si;
        Si.fMask = SIF_ALL;
        GetScrollInfo(Wnd, SB_VERT, &Si);
        int Y = Self->FScrollY;
        switch (LOWORD(W)) {
        case SB_LINEUP:
          Y -= 16;
          break;
        case SB_LINEDOWN:
          Y += 16;
          break;
        case SB_PAGEUP:
          Y -= static_cast<int>(Si.nPage);
          break;
        case SB_PAGEDOWN:
          Y += static_cast<int>(Si.nPage);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          Y = Si.nTrackPos;
          break;
        default:
          break;
        }
        Self->ScrollTo(Y);
        return 0;
      }
      break;
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      // A container passes its children's notifications to the form.
      if (Self->FControl.IsContainer())
        return SendMessageA(WindowOf(Self->FControl.Form()), Msg, W, L);
      break;
    default:
      break;
    }
    return DefWindowProcA(Wnd, Msg, W, L);
  }

  Win32PeerFactory &FFactory;
  TControl &FControl;
  int FId;
  HWND FWnd = nullptr;
  bool FOwnClass = false;
  int FScrollY = 0;
  std::unique_ptr<controls::TVemoTreeViewListWindow> FTree;
  std::unique_ptr<controls::TVemoProgressBarWindow> FBar;
};

} // namespace

std::unique_ptr<ControlPeer> MakeWin32ControlPeer(Win32PeerFactory &Factory, TControl &C, int Id) {
  return std::make_unique<Win32ControlPeer>(Factory, C, Id);
}

HWND ControlPeerWindow(const ControlPeer *P) {
  return P ? static_cast<const Win32ControlPeer *>(P)->Handle() : nullptr;
}

} // namespace ui
