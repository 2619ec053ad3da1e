// The toolkit's forms as real windows: the focus a form had when another
// window took the activation is where it is again when the form comes back,
// also when its owner brings it back to the front, but not once it was
// hidden.
#include "ui/Toolkit_win.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Activation goes through the window system (the X server under Wine): the
// messages that follow it are processed for a while.
void Settle(ui::TApplication &App) {
  for (int I = 0; I < 10; ++I) {
    App.ProcessMessages();
    Sleep(20);
  }
}

// A key pressed on the focused control, handled as the message loop does.
void Press(ui::TApplication &App, int Key) {
  PostMessageA(GetFocus(), WM_KEYDOWN, static_cast<WPARAM>(Key), 1);
  PostMessageA(GetFocus(), WM_KEYUP, static_cast<WPARAM>(Key), 1u | 3u << 30);
  Settle(App);
}

// A top-level window with its own thread and message loop, as another
// program's would be.
class OtherWindow {
public:
  OtherWindow() {
    HANDLE Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this, Ready] {
      Wnd = CreateWindowExA(0, "STATIC", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300, 200,
                            100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      FThreadId = GetCurrentThreadId();
      SetEvent(Ready);
      MSG M;
      while (GetMessageA(&M, nullptr, 0, 0) > 0)
        DispatchMessageA(&M);
    });
    WaitForSingleObject(Ready, 10000);
    CloseHandle(Ready);
  }
  ~OtherWindow() {
    if (Wnd)
      PostMessageA(Wnd, WM_CLOSE, 0, 0);
    PostThreadMessageA(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
  }
  HWND Wnd = nullptr;

private:
  std::thread FThread;
  DWORD FThreadId = 0;
};

// Activates another top-level window, then the form's again, as a user
// switching to another program and back does.
void SwitchAwayAndBack(ui::TApplication &App, HWND Form, HWND Other) {
  SetForegroundWindow(Other);
  Settle(App);
  ASSERT_EQ(GetForegroundWindow(), Other);
  SetForegroundWindow(Form);
  Settle(App);
}

class FormWindows : public ::testing::Test {
protected:
  FormWindows() : App(MakeFactory()) { Factory->SetApplication(App); }
  std::unique_ptr<ui::PeerFactory> MakeFactory() {
    auto F = std::make_unique<ui::Win32PeerFactory>();
    Factory = F.get();
    return F;
  }
  template <class T> T &Add(ui::TForm &Form, ui::TControl *Parent, const char *Name, int Left) {
    T &C = Form.Add<T>(Parent, Name);
    C.SetBounds(Left, 10, 80, 22);
    C.SetCaption(Name);
    return C;
  }
  // Shows the form; false when the window system gives it no activation.
  bool Activated(ui::TForm &Form) {
    Form.Show();
    Settle(App);
    return GetActiveWindow() == ui::WindowOf(Form);
  }

  ui::Win32PeerFactory *Factory = nullptr;
  ui::TApplication App;
  OtherWindow Other;
};

TEST_F(FormWindows, TheFocusedControlHasTheFocusAgainWhenTheFormIsActivated) {
  ui::TForm Form(App, "Form", "Focus", 300, 200);
  Add<ui::TButton>(Form, nullptr, "OK", 10).SetDefault(true);
  // Like the setup window's status panel: a button on a panel.
  auto &Panel = Form.Add<ui::TPanel>(nullptr, "Panel");
  Panel.SetBounds(10, 50, 200, 100);
  auto &Cancel = Add<ui::TButton>(Form, &Panel, "Cancel", 10);
  auto &Edit = Add<ui::TEdit>(Form, nullptr, "Edit", 100);
  int Clicks = 0;
  Cancel.OnClick = [&](ui::TButton &) { ++Clicks; };
  ASSERT_NE(Other.Wnd, nullptr);
  if (!Activated(Form))
    GTEST_SKIP() << "the window system gives no activation (DISPLAY unset?)";
  HWND FormWnd = ui::WindowOf(Form);

  // Focused by the program: Space presses it after a switch to a program
  // outside Wine (whose window system makes the desktop the foreground).
  Form.FocusControl(Cancel);
  Settle(App);
  ASSERT_EQ(GetFocus(), ui::WindowOf(Cancel));
  ASSERT_NO_FATAL_FAILURE(SwitchAwayAndBack(App, FormWnd, GetDesktopWindow()));
  EXPECT_EQ(GetFocus(), ui::WindowOf(Cancel));
  Press(App, VK_SPACE);
  EXPECT_EQ(Clicks, 1);

  // Moved by the user: Tab from Cancel to the edit box.
  Press(App, VK_TAB);
  ASSERT_EQ(GetFocus(), ui::WindowOf(Edit));
  ASSERT_NO_FATAL_FAILURE(SwitchAwayAndBack(App, FormWnd, Other.Wnd));
  EXPECT_EQ(GetFocus(), ui::WindowOf(Edit));
}

TEST_F(FormWindows, APageBroughtBackByItsOwnerKeepsItsFocusUntilItIsHidden) {
  // The setup window shows its visible pages again when it is activated.
  ui::TForm Main(App, "Main", "Main", 500, 400);
  ui::TForm Page(App, "Page", "Page", 300, 200);
  auto &Next = Add<ui::TButton>(Page, nullptr, "Next", 10);
  Next.SetDefault(true);
  Add<ui::TButton>(Page, nullptr, "Back", 100);
  auto &Edit = Add<ui::TEdit>(Page, nullptr, "Edit", 190);
  ASSERT_NE(Other.Wnd, nullptr);
  if (!Activated(Main) || !Activated(Page))
    GTEST_SKIP() << "the window system gives no activation (DISPLAY unset?)";
  Main.OnActivate = [&](ui::TForm &) { Page.Show(); };
  ASSERT_EQ(GetFocus(), ui::WindowOf(Next));

  Press(App, VK_TAB);
  Press(App, VK_TAB);
  ASSERT_EQ(GetFocus(), ui::WindowOf(Edit));
  // The user comes back by clicking the setup window.
  ASSERT_NO_FATAL_FAILURE(SwitchAwayAndBack(App, ui::WindowOf(Main), Other.Wnd));
  EXPECT_EQ(GetForegroundWindow(), ui::WindowOf(Page));
  EXPECT_EQ(GetFocus(), ui::WindowOf(Edit));

  // A page visited again starts from its default button.
  Page.Hide();
  Settle(App);
  Page.Show();
  Settle(App);
  EXPECT_EQ(GetFocus(), ui::WindowOf(Next));
}

} // namespace
