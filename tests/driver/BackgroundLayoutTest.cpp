// The arithmetic of the setup background and of the page layout, drawn and
// measured on the software raster: gradient bands, picture placement and
// tiling, image-group places and intervals, animation strips, colours, the
// picture entries' names, button slots, text heights and the page sizes.
#include "controls/SoftCanvas.h"
#include "driver/mainform/Background.h"
#include "driver/mainform/PageLayout.h"
#include "driver/mainform/PictureEntries.h"
#include "pages/LicenseAgreement.h"
#include "pages/Welcome.h"
#include "ui/Colors.h"

#include <gtest/gtest.h>

namespace {

using controls::Rgb;

TEST(Background, BlackToWhiteGradientHas128BandsOfSixPixels) {
  controls::SoftCanvas C(1024, 768);
  driver::DrawGradient(C, {0, 0, 1024, 768}, 0x000000, 0xFFFFFF);
  for (int K = 1; K <= 128; ++K) {
    const uint8_t V = static_cast<uint8_t>(K * 255 / 128); // trunc of k * 255/128
    const controls::Pixel Band = Rgb(V, V, V);
    EXPECT_EQ(C.GetPixel(0, 6 * (K - 1)), Band) << K;
    EXPECT_EQ(C.GetPixel(1023, 6 * K - 1), Band) << K;
  }
  EXPECT_EQ(C.GetPixel(500, 762), Rgb(255, 255, 255));
  EXPECT_EQ(C.GetPixel(500, 761), Rgb(253, 253, 253));

  // Equal colours: one plain colour; script colours keep red in the low byte.
  driver::DrawGradient(C, {0, 0, 1024, 768}, 0x0000FF, 0x0000FF);
  EXPECT_EQ(C.GetPixel(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(C.GetPixel(1023, 767), Rgb(255, 0, 0));
  // System colours (high bit) resolve to the system's colour of that index.
  EXPECT_EQ(ui::ColorToPixel(0x80000000u | 15), ui::SystemColor(15));
  EXPECT_EQ(ui::ColorToPixel(15), Rgb(15, 0, 0));
  EXPECT_EQ(ui::ColorToPixel(0x00A05010), Rgb(0x10, 0x50, 0xA0));
}

TEST(Background, PicturePlacesAndTheTileGridAnchoredAtTheAlignedTile) {
  EXPECT_EQ(driver::AlignedPosition(4, 1024, 768, 100, 100), (driver::Point{462, 334}));
  EXPECT_EQ(driver::AlignedPosition(2, 1024, 768, 101, 51), (driver::Point{923, 0}));
  EXPECT_EQ(driver::AlignedPosition(7, 1024, 768, 101, 51), (driver::Point{462, 717}));
  EXPECT_EQ(driver::TileOrigin({462, 334}, 100, 100), (driver::Point{-38, -66}));

  controls::Bitmap Pic(100, 100, Rgb(0, 128, 0));
  Pic.At(0, 0) = Rgb(255, 0, 0);
  controls::SoftCanvas C(1024, 768);
  driver::DrawBackgroundPicture(C, &Pic, 4, 1);
  EXPECT_EQ(C.GetPixel(462, 334), Rgb(255, 0, 0));
  EXPECT_EQ(C.GetPixel(62, 34), Rgb(255, 0, 0));
  EXPECT_EQ(C.GetPixel(0, 0), Rgb(0, 128, 0)); // covered by the tile from (-38, -66)
  EXPECT_EQ(C.GetPixel(962, 734), Rgb(255, 0, 0));

  controls::SoftCanvas N(1024, 768);
  driver::DrawBackgroundPicture(N, &Pic, 8, 0); // once, bottom right
  EXPECT_EQ(N.GetPixel(924, 668), Rgb(255, 0, 0));
  EXPECT_EQ(N.GetPixel(923, 668), Rgb(0, 0, 0));
}

TEST(Background, ImageGroupPlacesIntervalsAndStrips) {
  package::ImageGroupType G;
  G.HorizontalAlign = 2;
  G.HorizontalSpace = 10;
  G.VerticalAlign = 1;
  G.VerticalSpace = -5;
  EXPECT_EQ(driver::ImageGroupPosition(G, 1024, 768, 40, 30), (driver::Point{882, 384 - 15 - 38}));
  EXPECT_EQ(driver::FrameInterval(3), 333);
  EXPECT_EQ(driver::FrameInterval(6), 167);
  EXPECT_EQ(driver::FrameInterval(0), 100);
  EXPECT_EQ(driver::FrameInterval(-4), 100);

  G.Frames = {controls::Bitmap(10, 4, 1), controls::Bitmap(6, 8, 2), controls::Bitmap(3, 3, 3)};
  driver::AnimationLayout A = driver::LayOutAnimation(G, 1024, 768);
  ASSERT_TRUE(A.Animated);
  EXPECT_EQ(A.CellWidth, 10);
  EXPECT_EQ(A.CellHeight, 8);
  EXPECT_EQ(A.Strip.Width, 30);
  EXPECT_EQ(A.Strip.At(10 + 5, 7), 2u);
  EXPECT_EQ(A.Strip.At(10 + 6, 0), 0u); // beside the smaller frame
  EXPECT_EQ(A.Strip.At(20 + 2, 2), 3u);
  G.Frames.resize(1);
  EXPECT_FALSE(driver::LayOutAnimation(G, 1024, 768).Animated);
}

TEST(Background, CompositionDrawsStillGroupsAndCentredTitle) {
  package::TOpenFileType M;
  M.BGGradient = false;
  M.BGStartingColor = 0x800000; // blue
  M.Title = "AB";
  M.TitleCenterHorizontal = true;
  M.TitleColor = 0x00FFFF; // yellow
  auto G = std::make_unique<package::ImageGroupType>();
  G->AlwaysShow = true;
  G->Frames = {controls::Bitmap(4, 4, Rgb(1, 2, 3))};
  M.ImageGroups.Append(std::move(G));
  controls::SoftCanvas C(200, 100);
  driver::ComposeBackgroundOn(C, M, 96);
  EXPECT_EQ(C.GetPixel(199, 99), Rgb(0, 0, 128));
  EXPECT_EQ(C.GetPixel(0, 0), Rgb(1, 2, 3));
  EXPECT_EQ(M.TitleLeft, 100 - 6); // two 6-pixel cells of the raster font
  bool Yellow = false;
  for (int Y = 10; Y < 21; ++Y)
    for (int X = 94; X < 106; ++X)
      Yellow = Yellow || C.GetPixel(X, Y) == Rgb(255, 255, 0);
  EXPECT_TRUE(Yellow);
}

TEST(PictureEntries, NamesOfFramesAndLogos) {
  EXPECT_EQ(driver::ImageGroupKey("spin\x01"
                                  "frame2.bmp"),
            "SPIN");
  EXPECT_EQ(driver::ImageGroupKey("Ümlaut"), "\xC3\x9CMLAUT");
  package::TOpenFileType M;
  for (const char *N : {"Other", "Spin", "SPIN"}) {
    auto G = std::make_unique<package::ImageGroupType>();
    G->Name = N;
    M.ImageGroups.Append(std::move(G));
  }
  EXPECT_TRUE(driver::AddImageGroupFrame(M, controls::Bitmap(2, 2), "sPiN\x01x"));
  EXPECT_FALSE(driver::AddImageGroupFrame(M, controls::Bitmap(2, 2), "Nope"));
  EXPECT_EQ(M.ImageGroups.First()->Next->Frames.size(), 1u);
  EXPECT_TRUE(M.ImageGroups.Last()->Frames.empty());
  EXPECT_EQ(driver::LogoPageOf("welcome"), driver::LogoPage::Welcome);
  EXPECT_EQ(driver::LogoPageOf("DestinationDir"), driver::LogoPage::Destination);
  EXPECT_EQ(driver::LogoPageOf("ReadyToInstall"), driver::LogoPage::ReadyToInstall);
  EXPECT_EQ(driver::LogoPageOf("License"), driver::LogoPage::None);
}

class Nav : public pages::WizardNavigator {
public:
  void ShowWizardPage(uint16_t, bool) override {}
};

TEST(PageLayout, WrappingAndTextHeights) {
  controls::SoftCanvas C(1, 1); // 6 x 11 cells
  controls::Font F;
  // "aaaa bbbb" is 54 pixels, below 60; with " cccc" it is not.
  EXPECT_EQ(driver::WrapLine(C, F, "aaaa bbbb cccc", 60),
            (std::vector<std::string>{"aaaa bbbb ", "cccc"}));
  EXPECT_EQ(driver::WrapLine(C, F, "abcdefghijklmnop x", 30),
            (std::vector<std::string>{"abcdefghijklmnop ", "x"}));
  EXPECT_EQ(std::string(driver::TextHeightSample).size(), 58u);

  ui::TApplication App;
  Nav N;
  pages::TWelcomeForm W(App, N);
  W.RichEdit2->SetLines({"aaaa bbbb cccc", "", "x"});
  W.RichEdit2->SetWidth(60);
  EXPECT_EQ(driver::TextHeight(C, *W.RichEdit2), 4 * 11);
}

TEST(PageLayout, ButtonSlotsLogoShiftAndFittedLicencePage) {
  controls::SoftCanvas C(1, 1);
  ui::TApplication App;
  Nav N;
  pages::TWelcomeForm W(App, N);
  W.SetFrameSize(6, 25);
  W.RichEdit1->SetLines({"Welcome"});
  // A logo 120 wide: the texts move 8 pixels right.
  W.Image1->SetPicture(controls::Bitmap(120, 200, 1));
  EXPECT_EQ(W.Image1->Width(), 120);
  driver::LayoutPage(W, W.Image1, W.RichEdit2->Left(), C);
  EXPECT_EQ(W.RichEdit2->Left(), 152);
  EXPECT_EQ(W.Image2->Left(), 152);
  EXPECT_EQ(W.Image1->Left(), 16);
  EXPECT_EQ(W.Bevel1->Width(), 438 + 8);
  EXPECT_EQ(W.RichEdit1->Height(), 11);
  EXPECT_EQ(W.RichEdit2->Height(), 0);
  EXPECT_EQ(W.ClientWidth(), 454 + 8 + 16);
  EXPECT_EQ(W.ClientHeight(), 339);
  EXPECT_EQ(W.Button1->Left(), W.ClientWidth() - 182);
  EXPECT_EQ(W.Button2->Left(), W.ClientWidth() - 91);
  EXPECT_EQ(W.Button2->Top(), 339 - 8 - 25);

  // No logo picture: the text column moves to the logo's place.
  pages::TWelcomeForm Bare(App, N);
  driver::LayoutPage(Bare, Bare.Image1, Bare.RichEdit2->Left(), C);
  EXPECT_EQ(Bare.RichEdit2->Left(), 16);
  EXPECT_EQ(Bare.ClientWidth(), 454 - 128 + 16);

  pages::TLicenseAgreementForm L(App, N);
  L.SetFrameSize(6, 25);
  driver::FitPageToSize(L, W.Width(), W.Height() + 20, C);
  EXPECT_EQ(L.Width(), W.Width());
  EXPECT_EQ(L.ClientHeight(), 339 + 20);
  const int Dx = W.ClientWidth() - 467;
  EXPECT_EQ(L.RichEdit1->Width(), 438 + Dx);
  EXPECT_EQ(L.RichEdit1->Height(), 191 + 20);
  EXPECT_EQ(L.Label2->Width(), 436 + Dx);
  EXPECT_EQ(L.Image2->Left(), 16);
  EXPECT_EQ(L.Button1->Left(), L.ClientWidth() - 265);
  EXPECT_EQ(L.Button3->Top(), 359 - 33);
}

} // namespace
