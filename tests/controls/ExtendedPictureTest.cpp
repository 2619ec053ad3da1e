// The picture holder: format detection from the first bytes, the format
// list, and what a load leaves behind when it succeeds or fails.
#include "controls/ExtendedPicture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "PictureTestData.h"
#include "platform/MemoryFile.h"

using namespace controls;
using namespace picturetest;

namespace {

std::string Detect(const std::vector<uint8_t> &V) {
  return DetectPictureFormat(V.data(), V.size());
}

std::vector<uint8_t> Bytes(const char *S) {
  return std::vector<uint8_t>(S, S + std::strlen(S));
}

// A stream that is not a memory stream, with a read that may fail.
class ChunkyFile : public platform::File {
public:
  explicit ChunkyFile(std::vector<uint8_t> Data) : FData(std::move(Data)) {}
  uint32_t Read(void *Buffer, uint32_t Count) override {
    const uint64_t Left = FPos < FData.size() ? FData.size() - FPos : 0;
    uint32_t N = static_cast<uint32_t>(std::min<uint64_t>({Count, Left, 1000}));
    if (FPos + N > FailAt)
      N = FPos < FailAt ? static_cast<uint32_t>(FailAt - FPos) : 0;
    std::memcpy(Buffer, FData.data() + FPos, N);
    FPos += N;
    ++Reads;
    return N;
  }
  uint32_t Write(const void *, uint32_t) override { return 0; }
  bool Seek(uint64_t P) override {
    FPos = P;
    return true;
  }
  uint64_t Position() const override { return FPos; }
  uint64_t Size() override { return FData.size(); }
  bool Truncate() override { return false; }
  uint64_t FailAt = UINT64_MAX;
  int Reads = 0;

private:
  std::vector<uint8_t> FData;
  uint64_t FPos = 0;
};

struct Loader {
  PictureFormats Formats;
  TExtendedPicture Picture{Formats};
  int Changes = 0;
  Loader() {
    RegisterJpegFormat(Formats);
    Picture.OnChange = [this] { ++Changes; };
  }
};

} // namespace

TEST(ExtendedPicture, DetectsTheFormatFromTheFirstBytes) {
  EXPECT_EQ(Detect(Bytes("BM\x10\x20")), "BMP");
  EXPECT_EQ(Detect({0xFF, 0xD8, 0xFF, 0xE0}), "JPG");
  EXPECT_EQ(Detect(Bytes("\x89PNG\r\n\x1a\n")), "");
  EXPECT_EQ(Detect(Bytes("GIF89a")), "");
  EXPECT_EQ(Detect(Bytes("B")), "");
  EXPECT_EQ(Detect({}), "");
  EXPECT_EQ(DetectPictureFormat(nullptr, 0), "");
  // "JFIF" anywhere in the first 30 bytes wins, even over "BM".
  std::vector<uint8_t> V(40, 'x');
  std::memcpy(V.data() + 26, "JFIF", 4);
  EXPECT_EQ(Detect(V), "JPG");
  V[0] = 'B';
  V[1] = 'M';
  EXPECT_EQ(Detect(V), "JPG");
  std::memcpy(V.data() + 26, "xxxxJFIF", 8); // starts at 30: outside
  EXPECT_EQ(Detect(V), "BMP");
  EXPECT_EQ(Detect(Bytes("JFIF")), "JPG");
}

TEST(ExtendedPicture, FormatList) {
  PictureFormats F;
  ASSERT_NE(F.Find("bmp"), nullptr);
  EXPECT_EQ(F.Find("BMP")->Kind, PictureKind::Bitmap);
  EXPECT_EQ(F.Find("JPG"), nullptr);
  RegisterJpegFormat(F);
  const PictureFormats::Format *J = F.Find("jpg");
  ASSERT_NE(J, nullptr);
  EXPECT_EQ(J->Extension, "JPG");
  EXPECT_EQ(J->Description, "Joint Photographic Experts Group image");
  EXPECT_EQ(J->Kind, PictureKind::Jpeg);
  RegisterJpegFormat(F); // again: replaced, not repeated
  EXPECT_EQ(F.All().size(), 2u);
}

TEST(ExtendedPicture, LoadsBitmapsAndJpegsFromTheirBytes) {
  Loader L;
  platform::MemoryFile Bmp(ReadPictureFile("im-v5-rgb24-23x17.bmp"));
  Bmp.Seek(100); // the driver rewinds, but the loader does not rely on it
  ASSERT_TRUE(L.Picture.LoadFromStream(Bmp)) << L.Picture.LastError();
  EXPECT_EQ(L.Picture.Kind(), PictureKind::Bitmap);
  EXPECT_EQ(L.Changes, 1);
  Expectation E;
  ASSERT_TRUE(LoadExpectation("im-v5-rgb24-23x17.bmp", E));
  EXPECT_TRUE(Matches(L.Picture.Graphic(), E));
  EXPECT_EQ(Bmp.Position(), 0u);

  platform::MemoryFile Jpeg(ReadPictureFile("pil-progressive-40x30.jpg"));
  ASSERT_TRUE(L.Picture.LoadFromStream(Jpeg)) << L.Picture.LastError();
  EXPECT_EQ(L.Picture.Kind(), PictureKind::Jpeg);
  EXPECT_EQ(L.Changes, 2);
  ASSERT_TRUE(LoadExpectation("pil-progressive-40x30.jpg", E));
  EXPECT_TRUE(Matches(L.Picture.Graphic(), E));
  EXPECT_EQ(L.Picture.Width(), 40);
  EXPECT_EQ(L.Picture.Height(), 30);
}

TEST(ExtendedPicture, ReadsOtherStreamsWholeFromTheStart) {
  Loader L;
  ChunkyFile F(ReadPictureFile("pil-progressive-1600x1200.jpg"));
  F.Seek(5000);
  ASSERT_TRUE(L.Picture.LoadFromStream(F)) << L.Picture.LastError();
  EXPECT_GT(F.Reads, 1);
  EXPECT_EQ(L.Picture.Width(), 1600);
  EXPECT_EQ(F.Position(), 0u);
  // A read that stops early, here inside the scan data, fails (the reader
  // would show a picture cut short), and the picture keeps the one it had.
  const std::vector<uint8_t> Small = ReadPictureFile("pil-33x17.jpg");
  ChunkyFile Short(Small);
  Short.FailAt = Small.size() - 20;
  EXPECT_FALSE(L.Picture.LoadFromStream(Short));
  EXPECT_EQ(L.Picture.LastError(), "Stream read error");
  EXPECT_EQ(L.Picture.Width(), 1600);
  EXPECT_EQ(L.Changes, 1);
}

TEST(ExtendedPicture, UnknownDataIsRefusedAndThePictureKept) {
  Loader L;
  platform::MemoryFile Good(ReadPictureFile("pil-rgb24-5x7.bmp"));
  ASSERT_TRUE(L.Picture.LoadFromStream(Good));
  for (const char *Head : {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", "GIF89a\x01\0\x01\0", ""}) {
    platform::MemoryFile F(Bytes(Head));
    EXPECT_FALSE(L.Picture.LoadFromStream(F));
    EXPECT_EQ(L.Picture.LastError(), "Unknown picture file extension (.)");
  }
  EXPECT_EQ(L.Picture.Kind(), PictureKind::Bitmap);
  EXPECT_EQ(L.Picture.Width(), 5);
  EXPECT_EQ(L.Changes, 1);
  // A damaged bitmap brings the reader's message.
  std::vector<uint8_t> Cut = ReadPictureFile("pil-rgb24-17x13.bmp");
  Cut.resize(Cut.size() / 2);
  platform::MemoryFile F(Cut);
  EXPECT_FALSE(L.Picture.LoadFromStream(F));
  EXPECT_EQ(L.Picture.LastError(), "Bitmap image is truncated");
  EXPECT_EQ(L.Picture.Width(), 5);
}

// Without the JPEG format in the list, a JPEG stream names its extension.
TEST(ExtendedPicture, JpegNeedsItsRegistration) {
  PictureFormats Plain;
  TExtendedPicture P(Plain);
  platform::MemoryFile F(ReadPictureFile("pil-7x5.jpg"));
  EXPECT_FALSE(P.LoadFromStream(F));
  EXPECT_EQ(P.LastError(), "Unknown picture file extension (.JPG)");
  EXPECT_TRUE(P.Empty());
}

TEST(ExtendedPicture, JfifDecidesTheFormat) {
  Loader L;
  // A JPEG behind a few other bytes, its "JFIF" still within the first 30.
  std::vector<uint8_t> V = {'x', 'y', 'z'};
  const std::vector<uint8_t> Jpeg = ReadPictureFile("pil-16x16.jpg");
  ASSERT_EQ(std::memcmp(Jpeg.data() + 6, "JFIF", 4), 0);
  V.insert(V.end(), Jpeg.begin(), Jpeg.end());
  platform::MemoryFile F(V);
  ASSERT_TRUE(L.Picture.LoadFromStream(F)) << L.Picture.LastError();
  EXPECT_EQ(L.Picture.Kind(), PictureKind::Jpeg);
  EXPECT_EQ(L.Picture.Width(), 16);
  // A bitmap carrying "JFIF" in its reserved header bytes goes to the JPEG
  // reader, which refuses it.
  std::vector<uint8_t> Bmp = ReadPictureFile("pil-rgb24-5x7.bmp");
  std::memcpy(Bmp.data() + 6, "JFIF", 4);
  platform::MemoryFile G(Bmp);
  EXPECT_FALSE(L.Picture.LoadFromStream(G));
  EXPECT_EQ(L.Picture.LastError().rfind("JPEG error #", 0), 0u) << L.Picture.LastError();
  EXPECT_EQ(L.Picture.Kind(), PictureKind::Jpeg);
}
