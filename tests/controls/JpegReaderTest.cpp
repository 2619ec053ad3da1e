// The JPEG reader against pictures written by Pillow and ImageMagick, and
// against damaged, truncated and hostile streams.
#include "controls/JpegReader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "PictureTestData.h"

using namespace controls;
using namespace picturetest;

namespace {

std::string TestName(const ::testing::TestParamInfo<std::string> &Info) {
  std::string N;
  for (char C : Info.param)
    N += std::isalnum(static_cast<unsigned char>(C)) ? C : '_';
  return N;
}

std::string JpegError(int Code) {
  return "JPEG error #" + std::to_string(Code);
}

bool Decode(const std::vector<uint8_t> &V, Bitmap &B, std::string &Error,
            const PictureLimits &L = {}) {
  return ReadJpeg(V.data(), V.size(), B, Error, L);
}

std::string FailureOf(const std::vector<uint8_t> &V) {
  Bitmap B;
  std::string Error;
  return Decode(V, B, Error) ? std::string("decoded") : Error;
}

// Offset of the first marker FF Code at or after From, or npos.
size_t FindMarker(const std::vector<uint8_t> &V, uint8_t Code, size_t From = 0) {
  for (size_t I = From; I + 1 < V.size(); ++I)
    if (V[I] == 0xFF && V[I + 1] == Code)
      return I;
  return std::string::npos;
}

class JpegFile : public ::testing::TestWithParam<std::string> {};

TEST_P(JpegFile, DecodesLikeTheOtherTools) {
  const std::vector<uint8_t> Data = ReadPictureFile(GetParam());
  ASSERT_FALSE(Data.empty());
  Expectation E;
  ASSERT_TRUE(LoadExpectation(GetParam(), E));
  Bitmap B;
  std::string Error;
  ASSERT_TRUE(ReadJpeg(Data.data(), Data.size(), B, Error)) << Error;
  EXPECT_TRUE(Matches(B, E));
}

// Data cut short is what libjpeg only warns about: it decodes what is there
// and fills the rest, and that picture is shown. Cut inside the last scan's
// data, every picture decodes at its full size; cut earlier, libjpeg may
// still decode it or fail with its own error (a table cut in two), and then
// the bitmap is untouched. A picture that only lacks its end-of-image marker
// is whole.
TEST_P(JpegFile, TruncatedDecodesWhatTheLibraryDecodes) {
  const std::vector<uint8_t> Data = ReadPictureFile(GetParam());
  ASSERT_GT(Data.size(), 100u);
  ASSERT_EQ(FindMarker(Data, 0xD9, Data.size() - 2), Data.size() - 2);
  Expectation E;
  ASSERT_TRUE(LoadExpectation(GetParam(), E));
  // Scan data stuffs its FF bytes, so the last FF DA is the last scan's header.
  size_t LastSos = std::string::npos;
  for (size_t At = 0; (At = FindMarker(Data, 0xDA, At)) != std::string::npos; At += 2)
    LastSos = At;
  ASSERT_NE(LastSos, std::string::npos);
  const size_t LastScanData = LastSos + 2 + (Data[LastSos + 2] << 8 | Data[LastSos + 3]);
  const size_t Step = Data.size() > 4096 ? 211 : 7;
  int Decoded = 0;
  for (size_t Cut = 0; Cut < Data.size(); Cut += Step) {
    std::vector<uint8_t> Part(Data.begin(), Data.begin() + Cut);
    Bitmap B(1, 1, 0x123456);
    std::string Error;
    const bool Ok = ReadJpeg(Part.data(), Part.size(), B, Error);
    if (Cut >= LastScanData)
      ASSERT_TRUE(Ok) << "cut at " << Cut << ": " << Error;
    if (Ok) {
      ++Decoded;
      EXPECT_EQ(B.Width, E.Width) << "cut at " << Cut;
      EXPECT_EQ(B.Height, E.Height) << "cut at " << Cut;
      continue;
    }
    EXPECT_EQ(Error.rfind("JPEG error #", 0), 0u) << Error;
    ASSERT_EQ(B.Width, 1);
    EXPECT_EQ(B.Pixels[0], 0x123456u);
  }
  EXPECT_GT(Decoded, 0);
  const std::vector<uint8_t> NoEnd(Data.begin(), Data.end() - 2);
  Bitmap B;
  std::string Error;
  ASSERT_TRUE(ReadJpeg(NoEnd.data(), NoEnd.size(), B, Error)) << Error;
  EXPECT_TRUE(Matches(B, E));
}

INSTANTIATE_TEST_SUITE_P(Pictures, JpegFile, ::testing::ValuesIn(PicturesEndingIn(".jpg")),
                         TestName);

TEST(JpegReader, TheSetCoversEveryKind) {
  EXPECT_GE(PicturesEndingIn(".jpg").size(), 15u);
}

TEST(JpegReader, NotAJpegStream) {
  EXPECT_EQ(FailureOf({'B', 'M', 0, 0, 0, 0}), JpegError(JERR_NO_SOI));
  EXPECT_EQ(FailureOf({0xFF, 0xD8}), JpegError(JERR_NO_IMAGE));
  EXPECT_EQ(FailureOf({0xFF}), JpegError(JERR_INPUT_EMPTY));
  EXPECT_EQ(FailureOf({}), JpegError(JERR_INPUT_EMPTY));
  Bitmap B;
  std::string Error;
  EXPECT_FALSE(ReadJpeg(nullptr, 10, B, Error));
  EXPECT_FALSE(Error.empty());
}

// The frame header claims a size: huge ones fail before libjpeg allocates
// its buffers, a zero one is libjpeg's own error.
TEST(JpegReader, FrameSizeIsChecked) {
  for (const char *Name : {"pil-33x17.jpg", "pil-progressive-40x30.jpg"}) {
    std::vector<uint8_t> V = ReadPictureFile(Name);
    size_t Sof = FindMarker(V, 0xC0);
    if (Sof == std::string::npos)
      Sof = FindMarker(V, 0xC2);
    ASSERT_NE(Sof, std::string::npos) << Name;
    const int OrigH = V[Sof + 5] << 8 | V[Sof + 6];
    const int OrigW = V[Sof + 7] << 8 | V[Sof + 8];
    auto SetSize = [&](int W, int H) {
      V[Sof + 5] = static_cast<uint8_t>(H >> 8);
      V[Sof + 6] = static_cast<uint8_t>(H);
      V[Sof + 7] = static_cast<uint8_t>(W >> 8);
      V[Sof + 8] = static_cast<uint8_t>(W);
    };
    SetSize(65000, 65000);
    EXPECT_EQ(FailureOf(V), "JPEG image is too large") << Name;
    SetSize(0, 30);
    EXPECT_EQ(FailureOf(V), JpegError(JERR_EMPTY_IMAGE)) << Name;
    // A frame larger than its data (by more than a block row and column):
    // within the limits the scans end early and libjpeg fills the rest, past
    // them it fails at once.
    SetSize(OrigW + 20, OrigH + 20);
    Bitmap Larger;
    std::string Why;
    ASSERT_TRUE(Decode(V, Larger, Why)) << Name << ": " << Why;
    EXPECT_EQ(Larger.Width, OrigW + 20) << Name;
    EXPECT_EQ(Larger.Height, OrigH + 20) << Name;
    PictureLimits Small;
    Small.MaxPixels = static_cast<uint64_t>(OrigW + 20) * (OrigH + 20) - 1;
    Bitmap B;
    std::string Error;
    EXPECT_FALSE(Decode(V, B, Error, Small));
    EXPECT_EQ(Error, "JPEG image is too large");
  }
}

// A scan cut short by the end-of-image marker: libjpeg warns, decodes what
// it has and fills the rest, and that is the picture shown.
TEST(JpegReader, ScanCutShortShowsWhatTheLibraryDecodes) {
  const std::vector<uint8_t> Eoi = {0xFF, 0xD9};
  for (const char *Name : {"pil-33x17.jpg", "pil-progressive-40x30.jpg", "im-64x48.jpg"}) {
    std::vector<uint8_t> V = ReadPictureFile(Name);
    Expectation E;
    ASSERT_TRUE(LoadExpectation(Name, E));
    const size_t Sos = FindMarker(V, 0xDA);
    ASSERT_NE(Sos, std::string::npos);
    const size_t Middle = Sos + (V.size() - Sos) / 3;
    std::vector<uint8_t> Cut(V.begin(), V.begin() + Middle);
    Cut.insert(Cut.end(), Eoi.begin(), Eoi.end());
    Bitmap Whole, Part;
    std::string Error;
    ASSERT_TRUE(Decode(V, Whole, Error)) << Name << ": " << Error;
    ASSERT_TRUE(Decode(Cut, Part, Error)) << Name << ": " << Error;
    EXPECT_EQ(Part.Width, E.Width) << Name;
    EXPECT_EQ(Part.Height, E.Height) << Name;
    EXPECT_NE(Part.Pixels, Whole.Pixels) << Name << ": the lost data shows";
  }
}

TEST(JpegReader, CorruptedStreamsNeverCrash) {
  uint32_t Seed = 777;
  auto Next = [&] { return Seed = Seed * 1103515245u + 12345u; };
  int Decoded = 0, Refused = 0;
  for (const char *Name :
       {"pil-33x17.jpg", "pil-progressive-40x30.jpg", "pil-grey-9x7.jpg", "im-cmyk-20x10.jpg"}) {
    const std::vector<uint8_t> Data = ReadPictureFile(Name);
    for (int Round = 0; Round < 150; ++Round) {
      std::vector<uint8_t> V = Data;
      for (int I = 0, N = 1 + Next() % 3; I < N; ++I)
        V[(Next() >> 8) % V.size()] = static_cast<uint8_t>(Next() >> 16);
      Bitmap B;
      std::string Error;
      if (Decode(V, B, Error)) {
        ++Decoded;
        ASSERT_EQ(B.Pixels.size(), static_cast<size_t>(B.Width) * B.Height);
      } else {
        ++Refused;
        ASSERT_FALSE(Error.empty());
      }
    }
  }
  EXPECT_GT(Decoded, 0);
  EXPECT_GT(Refused, 0);
}

// Bytes before the start-of-image marker: the loader takes a stream as JPEG
// when "JFIF" is within its first 30 bytes, so the marker is looked for there.
TEST(JpegReader, SkipsLeadingBytesBeforeTheStartMarker) {
  const std::vector<uint8_t> Data = ReadPictureFile("pil-16x16.jpg");
  Expectation E;
  ASSERT_TRUE(LoadExpectation("pil-16x16.jpg", E));
  for (size_t Junk : {1u, 7u, 20u}) {
    std::vector<uint8_t> V(Junk, 0x20);
    V.insert(V.end(), Data.begin(), Data.end());
    Bitmap B;
    std::string Error;
    ASSERT_TRUE(Decode(V, B, Error)) << Junk << ": " << Error;
    EXPECT_TRUE(Matches(B, E));
  }
  std::vector<uint8_t> Far(40, 0x20);
  Far.insert(Far.end(), Data.begin(), Data.end());
  EXPECT_EQ(FailureOf(Far), JpegError(JERR_NO_SOI));
}

// A progressive stream that repeats a scan without end is refused instead
// of being decoded for ever; a few repeats of its first (DC) scan are
// within reason.
TEST(JpegReader, EndlessScansAreRefused) {
  const std::vector<uint8_t> Data = ReadPictureFile("pil-progressive-40x30.jpg");
  const size_t First = FindMarker(Data, 0xDA);
  ASSERT_NE(First, std::string::npos);
  const size_t Second = FindMarker(Data, 0xDA, First + 2);
  ASSERT_NE(Second, std::string::npos);
  auto Repeated = [&](int Times) {
    std::vector<uint8_t> V(Data.begin(), Data.begin() + Second);
    for (int I = 0; I < Times; ++I)
      V.insert(V.end(), Data.begin() + First, Data.begin() + Second);
    V.insert(V.end(), Data.begin() + Second, Data.end());
    return V;
  };
  EXPECT_EQ(FailureOf(Repeated(600)), "JPEG image has too many scans");
  EXPECT_EQ(FailureOf(Repeated(5)), "decoded");
}

} // namespace
