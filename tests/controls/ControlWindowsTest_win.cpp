// The controls in real windows: each is created on a top-level window, drawn
// by GDI, read back from the window's device context and probed at known
// points. The GDI canvas must follow the same pixel rules as the software
// raster the portable tests use. TC_SHOWCASE_MS keeps the showcase window up
// that long for a screenshot.
#include "controls/Aspect.h"
#include "controls/ControlWindows_win.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

using namespace controls;

namespace {

constexpr char TopClass[] = "TcControlsTestTop";

// A plain top-level window whose paint handler the test supplies.
class TopWindow {
public:
  std::function<void(HDC)> OnPaint;

  TopWindow(const char *Title, int W, int H, DWORD Style = WS_OVERLAPPEDWINDOW) {
    HINSTANCE Inst = GetModuleHandleA(nullptr);
    WNDCLASSA Wc{};
    if (!GetClassInfoA(Inst, TopClass, &Wc)) {
      Wc.lpfnWndProc = Proc;
      Wc.hInstance = Inst;
      Wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      Wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      Wc.lpszClassName = TopClass;
      RegisterClassA(&Wc);
    }
    Wnd = CreateWindowExA(0, TopClass, Title, Style | WS_VISIBLE, 40, 40, W, H, nullptr, nullptr,
                          Inst, nullptr);
    if (Wnd)
      SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TopWindow() {
    if (Wnd && IsWindow(Wnd)) {
      SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
      DestroyWindow(Wnd);
    }
  }
  HWND Wnd = nullptr;

private:
  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
    auto *Self = reinterpret_cast<TopWindow *>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
    if (Msg == WM_PAINT && Self && Self->OnPaint) {
      PAINTSTRUCT Ps;
      HDC Dc = BeginPaint(Wnd, &Ps);
      Self->OnPaint(Dc);
      EndPaint(Wnd, &Ps);
      return 0;
    }
    return DefWindowProcA(Wnd, Msg, W, L);
  }
};

void Pump(DWORD Ms) {
  const DWORD End = GetTickCount() + Ms;
  do {
    MSG M;
    while (PeekMessageA(&M, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&M);
      DispatchMessageA(&M);
    }
    Sleep(5);
  } while (static_cast<LONG>(End - GetTickCount()) > 0);
}

// The client area of a window as it is on screen now.
Bitmap Grab(HWND Wnd) {
  RECT Client;
  GetClientRect(Wnd, &Client);
  GdiCanvas C(Client.right, Client.bottom);
  HDC Dc = GetDC(Wnd);
  C.GrabFrom(Dc, 0, 0);
  ReleaseDC(Wnd, Dc);
  return C.Snapshot();
}

Pixel FrameColor(int N) {
  return Rgb(static_cast<uint8_t>(10 + N * 20), 40, 200);
}

Bitmap Sheet() {
  Bitmap B(40, 20);
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 40; ++X)
      B.At(X, Y) = FrameColor(Y / 10 * 4 + X / 10);
  return B;
}

#define REQUIRE_WINDOW(W)                                                                          \
  if (!(W).Wnd)                                                                                    \
  GTEST_SKIP() << "no window station (DISPLAY unset?)"

// The same drawing on both back ends.
void Scene(Canvas &C) {
  C.FillRect({0, 0, 40, 30}, Rgb(10, 20, 30));
  C.FillRect({3, 4, 12, 9}, Rgb(200, 0, 0));
  C.Line(2, 20, 30, 20, Rgb(0, 200, 0));
  C.Line(35, 2, 35, 25, Rgb(0, 0, 200));
  C.Line(30, 27, 5, 27, Rgb(9, 99, 199));
  C.Bevel({14, 2, 27, 15}, ClGray, ClWhite);
  C.Bevel({15, 3, 26, 14}, ClBlack, ClSilver);
  C.DottedHLine(1, 30, 23, ClGray);
  C.DottedVLine(38, 1, 28, ClGray);
  Bitmap B(3, 2);
  for (int I = 0; I < 6; ++I)
    B.Pixels[static_cast<size_t>(I)] = Rgb(static_cast<uint8_t>(40 * I), 100, 7);
  C.DrawBitmap(1, 12, B, CopyMode::Copy);
  C.DrawBitmap(5, 12, B, CopyMode::Xor);
  C.DrawTransparent(9, 12, B, B.At(0, 0));
  C.StretchBitmap({20, 17, 29, 23}, B, {0, 0, 3, 2});
  auto Off = C.CreateCompatible(4, 3);
  Off->FillRect({0, 0, 4, 3}, Rgb(255, 255, 255));
  Off->SetPixel(1, 1, 0);
  C.CopyFrom(30, 5, *Off, CopyMode::Xor);
}

} // namespace

TEST(GdiCanvas, DrawsWhatTheSoftwareRasterDraws) {
  GdiCanvas G(40, 30);
  SoftCanvas S(40, 30);
  Scene(G);
  Scene(S);
  const Bitmap A = G.Snapshot(), B = S.Snapshot();
  int Differences = 0;
  for (int Y = 0; Y < 30; ++Y)
    for (int X = 0; X < 40; ++X)
      if (A.At(X, Y) != B.At(X, Y) && ++Differences < 10)
        ADD_FAILURE() << "at " << X << "," << Y << ": gdi " << std::hex << A.At(X, Y) << " soft "
                      << B.At(X, Y);
  EXPECT_EQ(Differences, 0);
}

TEST(GdiCanvas, TextStaysInsideItsExtent) {
  GdiCanvas G(80, 40);
  Font F = DefaultScreenFont();
  F.Color = ClWhite;
  const Size Ext = G.TextExtent("50%", F);
  EXPECT_GT(Ext.Cx, 10);
  EXPECT_GE(Ext.Cy, 11);
  G.WriteText(7, 9, "50%", F, nullptr);
  int Ink = 0;
  const Bitmap B = G.Snapshot();
  for (int Y = 0; Y < 40; ++Y)
    for (int X = 0; X < 80; ++X)
      if (B.At(X, Y) != 0) {
        ++Ink;
        EXPECT_TRUE(X >= 7 && X < 7 + Ext.Cx && Y >= 9 && Y < 9 + Ext.Cy) << X << "," << Y;
      }
  EXPECT_GT(Ink, 15);
  EXPECT_FALSE(G.Resize(1 << 20, 1 << 20));
  EXPECT_EQ(G.Width(), 0);
}

TEST(ControlWindows, ProgressBarInAWindow) {
  TopWindow Top("TcProgress", 420, 140);
  REQUIRE_WINDOW(Top);
  TVemoProgressBarWindow W(Top.Wnd, 10, 10, 337, 20);
  ASSERT_TRUE(W.Handle());
  TVemoProgressBar &Bar = W.Bar();
  Bar.SetShowProgressText(false);
  Bar.SetProgressColor(Rgb(255, 0, 0));
  Bar.SetProgressColorDestination(Rgb(0, 0, 255));
  Bar.SetProgress(50);
  Pump(150);
  const Bitmap Shown = Grab(W.Handle());
  ASSERT_EQ(Shown.Width, 337);
  SoftCanvas Expected(337, 20);
  Bar.Paint(Expected);
  int Differences = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 337; ++X)
      Differences += Shown.At(X, Y) != Expected.GetPixel(X, Y);
  EXPECT_EQ(Differences, 0);
  EXPECT_EQ(Shown.At(2, 2), Rgb(255, 0, 0));
  EXPECT_EQ(Shown.At(0, 0), ClGray);
  EXPECT_EQ(Shown.At(336, 19), ClWhite);
  EXPECT_EQ(Shown.At(300, 10), Bar.Color());

  // With the text on, only the centred text box changes.
  controls::Font F = Bar.Font();
  F.Color = ClWhite;
  Bar.SetFont(F);
  Bar.SetShowProgressText(true);
  Pump(100);
  const Bitmap WithText = Grab(W.Handle());
  GdiCanvas Measure(1, 1);
  const Size Ext = Measure.TextExtent("50%", F);
  // The bar rectangle is (2, 2, 334, 18).
  const int Bx = 2 + 332 / 2 - Ext.Cx / 2, By = 2 + 16 / 2 - Ext.Cy / 2;
  int Changed = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 337; ++X)
      if (WithText.At(X, Y) != Shown.At(X, Y)) {
        ++Changed;
        EXPECT_TRUE(X >= Bx && X < Bx + Ext.Cx && Y >= By && Y < By + Ext.Cy) << X << "," << Y;
      }
  EXPECT_GT(Changed, 15);

  // Moves of the bar between two pumps are painted once, when the owner
  // takes its messages, and the paint shows the last of them: an
  // installation moves it several times per file, and a paint at each move
  // cost most of a small file's time.
  // (Without the text, which the soft canvas draws with other glyphs.)
  Bar.SetShowProgressText(false);
  Pump(100);
  RECT Pending{};
  for (int P = 51; P <= 90; ++P) {
    Bar.SetProgress(P);
    EXPECT_TRUE(GetUpdateRect(W.Handle(), &Pending, FALSE)) << "painted at once at " << P;
  }
  Pump(100);
  EXPECT_FALSE(GetUpdateRect(W.Handle(), &Pending, FALSE));
  const Bitmap Last = Grab(W.Handle());
  SoftCanvas AtNinety(337, 20);
  Bar.Paint(AtNinety);
  Differences = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 337; ++X)
      Differences += Last.At(X, Y) != AtNinety.GetPixel(X, Y);
  EXPECT_EQ(Differences, 0);
  // A move that changes nothing on the screen asks for no paint.
  Bar.SetProgress(90);
  EXPECT_FALSE(GetUpdateRect(W.Handle(), &Pending, FALSE));

  // Every press reaches OnMouseDown, also the second one of a double click,
  // which comes as a double click of its button because the class asks for
  // them; only the left button's raises OnDblClick.
  std::vector<MouseButton> Downs;
  int Doubles = 0;
  Bar.OnMouseDown = [&](TVemoProgressBar &, const MouseEvent &E) {
    Downs.push_back(E.Button);
    EXPECT_EQ(E.X, 5);
    EXPECT_EQ(E.Y, 6);
  };
  Bar.OnDblClick = [&](TVemoProgressBar &) { ++Doubles; };
  for (UINT Msg : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
                   WM_MBUTTONDOWN, WM_MBUTTONDBLCLK})
    SendMessageA(W.Handle(), Msg, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(Downs, (std::vector<MouseButton>{MouseButton::Left, MouseButton::Left,
                                             MouseButton::Right, MouseButton::Right,
                                             MouseButton::Middle, MouseButton::Middle}));
  EXPECT_EQ(Doubles, 1);
}

TEST(ControlWindows, TreeListInAWindow) {
  TopWindow Top("TcTree", 420, 300);
  REQUIRE_WINDOW(Top);
  TVemoTreeViewListWindow W(Top.Wnd, 10, 10, 300, 200);
  ASSERT_TRUE(W.Handle());
  TVemoTreeViewList &L = W.List();
  L.SetShowCheckBoxes(true);
  TVemoTreeViewItem *Alpha = L.Items().Add("Alpha");
  Alpha->Items().Add("One");
  Alpha->Items().Add("Two")->Items().Add("Deep");
  TVemoTreeViewItem *Beta = L.Items().Add("Beta");
  Alpha->Items().SetExpanded(true);
  Alpha->SetChecked(true);
  std::vector<TVemoTreeViewItem *> Changes, Checks;
  L.OnChange = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) { Changes.push_back(I); };
  L.OnChecked = [&](TVemoTreeViewList &, TVemoTreeViewItem *I) { Checks.push_back(I); };
  Pump(150);
  ASSERT_EQ(L.RowHeight(), 16);
  Bitmap Shown = Grab(W.Handle());
  const Pixel Bg = L.Color();
  // Alpha's button around (12, 10): grey square, black minus (expanded).
  EXPECT_EQ(Shown.At(8, 6), ClGray);
  EXPECT_EQ(Shown.At(16, 14), ClGray);
  EXPECT_EQ(Shown.At(12, 10), ClBlack);
  EXPECT_EQ(Shown.At(12, 8), Bg);
  // Alpha's check box at (24, 4) with the tick's row 2, column 8 at (33, 7).
  EXPECT_EQ(Shown.At(24, 4), ClGray);
  EXPECT_EQ(Shown.At(36, 4), ClWhite);
  EXPECT_EQ(Shown.At(24, 16), ClWhite);
  EXPECT_EQ(Shown.At(25, 5), ClBlack);
  EXPECT_EQ(Shown.At(35, 15), ClSilver);
  EXPECT_EQ(Shown.At(33, 7), ClBlack);
  EXPECT_EQ(Shown.At(27, 7), Bg);
  // Children are indented by the level shift plus the check box: One's box at (64, 20).
  EXPECT_EQ(Shown.At(64, 20), ClGray);
  // The vertical dots from Alpha's button down to Beta in column 12.
  EXPECT_EQ(Shown.At(12, 15), ClGray);
  EXPECT_EQ(Shown.At(12, 16), Bg);

  // A click in the check zone unticks without selecting.
  SendMessageA(W.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
  SendMessageA(W.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
  Pump(100);
  EXPECT_FALSE(Alpha->Checked());
  EXPECT_EQ(Checks, std::vector<TVemoTreeViewItem *>{Alpha});
  EXPECT_TRUE(Changes.empty());
  Shown = Grab(W.Handle());
  EXPECT_EQ(Shown.At(33, 7), Bg);
  // A click on the text selects and highlights it in navy.
  SendMessageA(W.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 10));
  SendMessageA(W.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(45, 10));
  Pump(100);
  EXPECT_EQ(L.Selected(), Alpha);
  EXPECT_EQ(Changes, std::vector<TVemoTreeViewItem *>{Alpha});
  Shown = Grab(W.Handle());
  EXPECT_EQ(Shown.At(39, 4), ClNavy);
  // Down moves to the next sibling, skipping the children.
  SendMessageA(W.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(L.Selected(), Beta);
  // A double click on Alpha's text collapses it.
  SendMessageA(W.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(45, 10));
  Pump(100);
  EXPECT_FALSE(Alpha->Items().Expanded());
  EXPECT_EQ(L.HitTable().size(), 2u);
  // The second press of a right or middle double click is a press like the
  // first: it selects and raises OnMouseDown, and expands nothing.
  std::vector<MouseButton> Downs;
  L.OnMouseDown = [&](TVemoTreeViewList &, const MouseEvent &E) { Downs.push_back(E.Button); };
  Changes.clear();
  SendMessageA(W.Handle(), WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(45, 26));
  EXPECT_EQ(L.Selected(), Beta);
  SendMessageA(W.Handle(), WM_MBUTTONDBLCLK, MK_MBUTTON, MAKELPARAM(45, 10));
  EXPECT_EQ(L.Selected(), Alpha);
  EXPECT_EQ(Changes, (std::vector<TVemoTreeViewItem *>{Beta, Alpha}));
  EXPECT_EQ(Downs, (std::vector<MouseButton>{MouseButton::Right, MouseButton::Middle}));
  EXPECT_FALSE(Alpha->Items().Expanded());
}

TEST(ControlWindows, TreeListScrollsALargePicture) {
  TopWindow Top("TcTreeScroll", 300, 200);
  REQUIRE_WINDOW(Top);
  TVemoTreeViewListWindow W(Top.Wnd, 0, 0, 200, 100);
  TVemoTreeViewList &L = W.List();
  for (int I = 0; I < 40; ++I)
    L.Items().Add("Item " + std::to_string(I));
  Pump(100);
  EXPECT_EQ(L.Picture().Height(), 3 + 40 * 16);
  SendMessageA(W.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  Pump(50);
  const POINT Pos = W.ScrollPos();
  EXPECT_GT(Pos.y, 0);
  // A click is mapped to picture coordinates.
  const HitRecord &Row = L.HitTable()[10];
  SendMessageA(W.Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(Row.C + 2 - Pos.x, Row.Top + 2 - Pos.y));
  EXPECT_EQ(L.Selected(), Row.Item);
}

TEST(ControlWindows, AspectKeeperEditsTheDraggedRectangle) {
  TopWindow Top("TcAspect", 416, 327);
  REQUIRE_WINDOW(Top);
  const LONG_PTR Original = GetWindowLongPtrA(Top.Wnd, GWLP_WNDPROC);
  RECT Wr, Cr;
  GetWindowRect(Top.Wnd, &Wr);
  GetClientRect(Top.Wnd, &Cr);
  const int Dx = (Wr.right - Wr.left) - Cr.right, Dy = (Wr.bottom - Wr.top) - Cr.bottom;
  {
    TAspect A(Top.Wnd);
    A.AspectX = 4;
    A.AspectY = 3;
    ASSERT_TRUE(A.Loaded());
    EXPECT_FALSE(A.Loaded()); // once only
    RECT R{100, 100, 100 + 400 + Dx, 150};
    EXPECT_EQ(SendMessageA(Top.Wnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&R)), 0);
    EXPECT_EQ(R.bottom, 100 + 300 + Dy);
    R = {100, 100, 300, 100 + 300 + Dy};
    SendMessageA(Top.Wnd, WM_SIZING, WMSZ_TOP, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R.left, 300 - 400 - Dx);

    MINMAXINFO Mm{};
    Mm.ptMaxSize = {1032, 776};
    SendMessageA(Top.Wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&Mm));
    const int ScreenH = GetSystemMetrics(SM_CYSCREEN);
    const int MH = 1032 * 3 / 4 > ScreenH ? 776 : 1032 * 3 / 4;
    const int MW = 1032 * 3 / 4 > ScreenH ? 776 * 4 / 3 : 1032;
    EXPECT_EQ(Mm.ptMaxSize.x, MW + Dx);
    EXPECT_EQ(Mm.ptMaxSize.y, MH + Dy);

    // Inactive: the previous procedure answers and leaves the rectangle.
    A.Active = false;
    R = {100, 100, 500, 150};
    SendMessageA(Top.Wnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R.bottom, 150);
    // Other messages pass through unchanged.
    SetWindowTextA(Top.Wnd, "TcAspect2");
    char Title[32] = {};
    GetWindowTextA(Top.Wnd, Title, sizeof Title);
    EXPECT_STREQ(Title, "TcAspect2");
  }
  // Destroying the keeper puts the old procedure back.
  EXPECT_EQ(GetWindowLongPtrA(Top.Wnd, GWLP_WNDPROC), Original);

  // A keeper whose window dies first lets go cleanly.
  TopWindow Short("TcAspect3", 200, 200);
  TAspect B(Short.Wnd);
  ASSERT_TRUE(B.Loaded());
  DestroyWindow(Short.Wnd);
  B.Unhook();
}

TEST(ControlWindows, AnimatedBitmapPlaysOnItsParent) {
  TopWindow Top("TcAnim", 200, 150);
  REQUIRE_WINDOW(Top);
  TAnimatedBitmapHost Host(Top.Wnd);
  Top.OnPaint = [&](HDC Dc) {
    RECT R;
    GetClientRect(Top.Wnd, &R);
    FillRect(Dc, &R, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    Host.PaintOn(Dc);
  };
  TAnimatedBitmap &A = Host.Control();
  A.SetColumns(4);
  A.SetRows(2);
  A.SetBitmap(Sheet());
  A.SetBounds({20, 20, 60, 60});
  A.SetInterval(15);
  std::set<int> Seen;
  for (int I = 0; I < 40; ++I) {
    Pump(10);
    Seen.insert(A.ActivePicture());
  }
  EXPECT_GE(Seen.size(), 3u);
  A.SetInterval(0);
  Pump(50);
  const uint16_t Frozen = A.ActivePicture();
  Pump(150);
  EXPECT_EQ(A.ActivePicture(), Frozen);
  InvalidateRect(Top.Wnd, nullptr, TRUE);
  Pump(80);
  const Bitmap Shown = Grab(Top.Wnd);
  const Pixel Want = FrameColor(A.SelectFrame());
  EXPECT_EQ(Shown.At(20, 20), Want);
  EXPECT_EQ(Shown.At(59, 59), Want);
  EXPECT_EQ(Shown.At(40, 40), Want);
  EXPECT_NE(Shown.At(19, 40), Want);
  EXPECT_NE(Shown.At(60, 40), Want);
}

TEST(ControlWindows, Showcase) {
  TopWindow Top("TcControls", 520, 330);
  REQUIRE_WINDOW(Top);
  TAnimatedBitmapHost Anim(Top.Wnd);
  Top.OnPaint = [&](HDC Dc) {
    RECT R;
    GetClientRect(Top.Wnd, &R);
    FillRect(Dc, &R, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    Anim.PaintOn(Dc);
  };
  TVemoProgressBarWindow Bar(Top.Wnd, 10, 10, 337, 20);
  Bar.Bar().SetProgressColor(Rgb(0, 0, 128));
  Bar.Bar().SetProgressColorDestination(Rgb(0, 160, 255));
  controls::Font F = Bar.Bar().Font();
  F.Color = ClWhite;
  Bar.Bar().SetFont(F);
  Bar.Bar().SetProgress(64);
  TVemoTreeViewListWindow Tree(Top.Wnd, 10, 45, 300, 220);
  TVemoTreeViewList &L = Tree.List();
  L.SetShowCheckBoxes(true);
  TVemoTreeViewItem *Full = L.Items().Add("Full installation");
  Full->SetChecked(true);
  TVemoTreeViewItem *Docs = Full->Items().Add("Documentation");
  Docs->Items().Add("Samples")->SetChecked(true);
  Full->Items().Add("Fonts");
  L.Items().Add("Minimal installation");
  Full->Items().SetExpanded(true);
  Docs->Items().SetExpanded(true);
  L.SetSelected(Docs);
  Anim.Control().SetColumns(4);
  Anim.Control().SetRows(2);
  Anim.Control().SetBitmap(Sheet());
  Anim.Control().SetBounds({360, 60, 440, 100});
  Anim.Control().SetInterval(120);
  const char *Env = std::getenv("TC_SHOWCASE_MS");
  Pump(Env ? static_cast<DWORD>(std::atoi(Env)) : 200);
  Anim.Control().SetInterval(0);
  Pump(50);
  const Bitmap Shown = Grab(Top.Wnd);
  // One probe per control, in the parent's coordinates.
  EXPECT_EQ(Shown.At(10, 10), ClGray);                                    // bar frame
  EXPECT_EQ(Shown.At(12, 12), Rgb(0, 0, 128));                            // first bar column
  EXPECT_EQ(Shown.At(400, 80), FrameColor(Anim.Control().SelectFrame())); // animation
  POINT Origin{0, 0};
  MapWindowPoints(Tree.Handle(), Top.Wnd, &Origin, 1);
  EXPECT_EQ(Shown.At(Origin.x + 24, Origin.y + 4), ClGray); // first check box
}
