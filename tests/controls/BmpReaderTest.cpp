// The bitmap reader against pictures written by Pillow, ImageMagick and the
// small encoders of make_pictures.py, and against damaged headers.
#include "controls/BmpReader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

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

class BmpFile : public ::testing::TestWithParam<std::string> {};

TEST_P(BmpFile, DecodesLikeTheOtherTools) {
  const std::vector<uint8_t> Data = ReadPictureFile(GetParam());
  ASSERT_FALSE(Data.empty());
  Expectation E;
  ASSERT_TRUE(LoadExpectation(GetParam(), E));
  Bitmap B;
  std::string Error;
  ASSERT_TRUE(ReadBmp(Data.data(), Data.size(), B, Error)) << Error;
  EXPECT_TRUE(Matches(B, E));
}

// Whatever is cut off, the reader fails with a message and leaves the
// output alone. The last four bytes may go without harm: the padding of the
// last row, or the end-of-line and end-of-bitmap codes of a run-length file.
TEST_P(BmpFile, TruncatedFails) {
  const std::vector<uint8_t> Data = ReadPictureFile(GetParam());
  ASSERT_GT(Data.size(), 4u);
  const size_t Step = Data.size() > 4096 ? 97 : 1;
  for (size_t Cut = 0; Cut + 4 < Data.size(); Cut += Step) {
    std::vector<uint8_t> Part(Data.begin(), Data.begin() + Cut);
    Bitmap B(1, 1, 0x123456);
    std::string Error;
    ASSERT_FALSE(ReadBmp(Part.data(), Part.size(), B, Error)) << "cut at " << Cut;
    EXPECT_FALSE(Error.empty());
    ASSERT_EQ(B.Width, 1);
    EXPECT_EQ(B.Pixels[0], 0x123456u);
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, BmpFile, ::testing::ValuesIn(PicturesEndingIn(".bmp")),
                         TestName);

TEST(BmpReader, TheSetCoversEveryLayout) {
  // A guard against an index that silently lost files.
  EXPECT_GE(PicturesEndingIn(".bmp").size(), 30u);
}

// ---------------------------------------------------------------- builder

void Put16(std::vector<uint8_t> &V, size_t At, uint32_t X) {
  V[At] = X & 0xFF;
  V[At + 1] = X >> 8 & 0xFF;
}
void Put32(std::vector<uint8_t> &V, size_t At, uint32_t X) {
  for (int I = 0; I < 4; ++I)
    V[At + I] = X >> (8 * I) & 0xFF;
}

// A file with a 40-byte header, Palette entries (B, G, R, 0) and Pixels.
std::vector<uint8_t> Make(int32_t W, int32_t H, uint16_t Bits, uint32_t Compression,
                          const std::vector<uint32_t> &Palette, const std::vector<uint8_t> &Pixels,
                          uint32_t ColorsUsed = 0) {
  std::vector<uint8_t> V(54);
  V[0] = 'B';
  V[1] = 'M';
  const uint32_t Offset = 54 + 4 * static_cast<uint32_t>(Palette.size());
  Put32(V, 2, Offset + static_cast<uint32_t>(Pixels.size()));
  Put32(V, 10, Offset);
  Put32(V, 14, 40);
  Put32(V, 18, static_cast<uint32_t>(W));
  Put32(V, 22, static_cast<uint32_t>(H));
  Put16(V, 26, 1);
  Put16(V, 28, Bits);
  Put32(V, 30, Compression);
  Put32(V, 34, static_cast<uint32_t>(Pixels.size()));
  Put32(V, 46, ColorsUsed);
  for (uint32_t C : Palette) {
    V.push_back(C & 0xFF);
    V.push_back(C >> 8 & 0xFF);
    V.push_back(C >> 16 & 0xFF);
    V.push_back(0);
  }
  V.insert(V.end(), Pixels.begin(), Pixels.end());
  return V;
}

bool Decode(const std::vector<uint8_t> &V, Bitmap &B, std::string &Error,
            const PictureLimits &L = {}) {
  return ReadBmp(V.data(), V.size(), B, Error, L);
}

std::string FailureOf(const std::vector<uint8_t> &V) {
  Bitmap B;
  std::string Error;
  return Decode(V, B, Error) ? std::string("decoded") : Error;
}

const std::vector<uint32_t> kGreys = {0x000000, 0x111111, 0x222222, 0x333333};

} // namespace

TEST(BmpReader, HugeDimensionsFailBeforeAllocating) {
  // 100000 x 100000 at 24 bits would need 30 GB; the header alone is given.
  EXPECT_EQ(FailureOf(Make(100000, 100000, 24, 0, {}, {1, 2, 3})), "Bitmap image is too large");
  EXPECT_EQ(FailureOf(Make(100000, -2, 24, 0, {}, {})), "Bitmap image is too large");
  // Run-length data can claim any size with a few bytes.
  EXPECT_EQ(FailureOf(Make(40000, 40000, 8, 1, kGreys, {0, 1})), "Bitmap image is too large");
  EXPECT_EQ(FailureOf(Make(0x7FFFFFFF, 1, 1, 0, kGreys, {0})), "Bitmap image is too large");
  // The limits are the caller's to choose.
  Bitmap B;
  std::string Error;
  PictureLimits Small;
  Small.MaxPixels = 15;
  EXPECT_FALSE(Decode(Make(4, 4, 8, 0, kGreys, std::vector<uint8_t>(16)), B, Error, Small));
  EXPECT_TRUE(Decode(Make(3, 5, 8, 0, kGreys, std::vector<uint8_t>(20)), B, Error, Small)) << Error;
}

TEST(BmpReader, MalformedHeadersFail) {
  const std::vector<uint8_t> Row = {0, 1, 2, 3};
  EXPECT_EQ(FailureOf(Make(0, 1, 8, 0, kGreys, Row)), "Bitmap image is not valid");
  EXPECT_EQ(FailureOf(Make(-4, 1, 8, 0, kGreys, Row)), "Bitmap image is not valid");
  EXPECT_EQ(FailureOf(Make(4, 0, 8, 0, kGreys, Row)), "Bitmap image is not valid");
  EXPECT_EQ(FailureOf(Make(1, 1, 3, 0, kGreys, Row)), "Bitmap image is not valid");
  EXPECT_EQ(FailureOf(Make(1, 1, 64, 0, kGreys, std::vector<uint8_t>(8))),
            "Bitmap image is not valid");
  EXPECT_EQ(FailureOf(Make(1, 1, 24, 4, {}, Row)),
            "Unsupported bitmap compression"); // embedded JPEG
  EXPECT_EQ(FailureOf(Make(1, 1, 24, 5, {}, Row)),
            "Unsupported bitmap compression"); // embedded PNG
  EXPECT_EQ(FailureOf(Make(4, 1, 8, 2, kGreys, Row)),
            "Bitmap image is not valid"); // RLE4 at 8 bits
  EXPECT_EQ(FailureOf(Make(4, 1, 24, 3, {}, std::vector<uint8_t>(12))),
            "Bitmap image is not valid");
  // Run-length rows are bottom-up by definition.
  EXPECT_EQ(FailureOf(Make(2, -1, 8, 1, kGreys, {2, 1, 0, 1})), "Bitmap image is not valid");

  std::vector<uint8_t> V = Make(4, 1, 8, 0, kGreys, Row);
  for (uint32_t Size : {0u, 8u, 15u, 5000u, 0xFFFFFFFFu}) {
    Put32(V, 14, Size);
    EXPECT_NE(FailureOf(V), "decoded") << Size;
  }
  Put32(V, 14, 124); // a V5 header longer than the file
  EXPECT_EQ(FailureOf(V), "Bitmap image is truncated");
  V = Make(4, 1, 8, 0, kGreys, Row);
  V[1] = 'A';
  EXPECT_EQ(FailureOf(V), "Bitmap image is not valid");
  EXPECT_EQ(FailureOf({}), "Bitmap image is not valid");
  Bitmap B;
  std::string Error;
  EXPECT_FALSE(ReadBmp(nullptr, 100, B, Error));
}

TEST(BmpReader, PixelOffsetIsChecked) {
  std::vector<uint8_t> V = Make(4, 1, 8, 0, kGreys, {3, 2, 1, 0}, 4);
  Bitmap B;
  std::string Error;
  Put32(V, 10, static_cast<uint32_t>(V.size()) + 1);
  EXPECT_EQ(FailureOf(V), "Bitmap image is truncated");
  Put32(V, 10, static_cast<uint32_t>(V.size()) - 2); // the row would run past the end
  EXPECT_EQ(FailureOf(V), "Bitmap image is truncated");
  // An offset of 0 or one into the headers: the pixels follow the palette.
  for (uint32_t Offset : {0u, 20u}) {
    Put32(V, 10, Offset);
    ASSERT_TRUE(Decode(V, B, Error)) << Error;
    EXPECT_EQ(B.At(0, 0), 0x333333u);
    EXPECT_EQ(B.At(3, 0), 0x000000u);
  }
  // Data further on than the palette's end is taken from the offset.
  V = Make(2, 1, 8, 0, kGreys, {9, 9, 1, 2, 0, 0});
  Put32(V, 10, static_cast<uint32_t>(V.size()) - 4);
  ASSERT_TRUE(Decode(V, B, Error)) << Error;
  EXPECT_EQ(B.At(0, 0), 0x111111u);
  EXPECT_EQ(B.At(1, 0), 0x222222u);
}

TEST(BmpReader, PaletteRulesAndIndicesPastIt) {
  Bitmap B;
  std::string Error;
  // Two colours used; index 3 is past the palette and shows black, and the
  // pixel offset ends the palette early.
  std::vector<uint8_t> V = Make(4, 1, 8, 0, {0xFF0000, 0x00FF00}, {0, 1, 3, 255}, 2);
  ASSERT_TRUE(Decode(V, B, Error)) << Error;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>{0xFF0000, 0x00FF00, 0, 0}));
  // An absurd colour count is bounded by the bit count and by the offset.
  Put32(V, 46, 0xFFFFFFFF);
  ASSERT_TRUE(Decode(V, B, Error)) << Error;
  EXPECT_EQ(B.At(1, 0), 0x00FF00u);
  // A palette cut by the end of the file is damage.
  V = Make(1, 1, 8, 0, {}, {});
  Put32(V, 10, 0);
  EXPECT_EQ(FailureOf(V), "Bitmap image is truncated");
}

TEST(BmpReader, RunLengthCodes) {
  const std::vector<uint32_t> Pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  Bitmap B;
  std::string Error;
  // 5 x 3, bottom row first: a run past the row's end is cut; delta (1, 1)
  // skips to the next row; an absolute run of 3 with its pad byte; EOL early.
  const std::vector<uint8_t> Rle8 = {
      9, 1,               // row 0: five of 1, four cut off
      0, 0,               // end of line
      0, 2, 1, 1,         // delta: x = 1, row 2
      0, 3, 2, 3, 200, 0, // absolute: 2, 3, 200 (past the palette: black)
      0, 1,               // end of bitmap
  };
  ASSERT_TRUE(Decode(Make(5, 3, 8, 1, Pal, Rle8), B, Error)) << Error;
  const Pixel R = 0xFF0000, G = 0x00FF00, Bl = 0x0000FF;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>{0, G, Bl, 0, 0, //
                                          0, 0, 0, 0, 0,  //
                                          R, R, R, R, R}));
  // RLE4: the run alternates the two nibbles; absolute runs pack two pixels
  // a byte and pad to 16 bits.
  const std::vector<uint8_t> Rle4 = {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1};
  ASSERT_TRUE(Decode(Make(5, 2, 4, 2, Pal, Rle4), B, Error)) << Error;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>{Bl, R, G, 0, 0, R, G, R, G, R}));
  // Codes that run off the end of the data are damage; a missing end of
  // bitmap after the last row is not.
  EXPECT_EQ(FailureOf(Make(5, 3, 8, 1, Pal, {9, 1, 0, 0, 0, 2, 1})), "Bitmap image is truncated");
  EXPECT_EQ(FailureOf(Make(5, 3, 8, 1, Pal, {0, 5, 1, 1})), "Bitmap image is truncated");
  EXPECT_EQ(FailureOf(Make(5, 3, 8, 1, Pal, {5, 1, 0, 0})), "Bitmap image is truncated");
  EXPECT_TRUE(Decode(Make(1, 2, 8, 1, Pal, {1, 1, 0, 0, 1, 2, 0, 0}), B, Error)) << Error;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>{G, R}));
  // Deltas far past the picture end it without harm.
  EXPECT_TRUE(Decode(Make(2, 2, 8, 1, Pal, {0, 2, 255, 255, 1, 1}), B, Error)) << Error;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>(4, 0)));
}

TEST(BmpReader, AChainOfDeltasCannotCarryTheColumnOutOfThePicture) {
  // 8.4 million deltas of 255 columns each (34 MB) would take a plain int
  // column past 2^31; the run that follows must still draw nothing.
  const std::vector<uint32_t> Pal = {0x000000, 0xFF0000};
  std::vector<uint8_t> Codes;
  const size_t Deltas = (size_t(1) << 31) / 255 + 16;
  Codes.reserve(Deltas * 4 + 8);
  for (size_t I = 0; I < Deltas; ++I)
    Codes.insert(Codes.end(), {0, 2, 255, 0});
  Codes.insert(Codes.end(), {4, 1, 0, 1});
  Bitmap B;
  std::string Error;
  ASSERT_TRUE(Decode(Make(4, 2, 8, 1, Pal, Codes), B, Error)) << Error;
  EXPECT_EQ(B.Pixels, (std::vector<Pixel>(8, 0)));
}

TEST(BmpReader, APixelCountPastTheAddressSpaceFailsLikeAnAllocation) {
  Bitmap B(3, 2);
  EXPECT_THROW(B.Resize(0x7FFFFFFF, 0x7FFFFFFF), std::bad_alloc);
  EXPECT_EQ(B.Width, 3) << "a size that cannot be made leaves the bitmap as it was";
  EXPECT_EQ(B.Pixels.size(), 6u);
}

TEST(BmpReader, BitFieldMasks) {
  Bitmap B;
  std::string Error;
  // 16 bits with masks after a 40-byte header: 4-4-4 in the low bits.
  std::vector<uint8_t> V = Make(2, 1, 16, 3, {}, {0x00, 0x0F, 0x21, 0x0F});
  V.insert(V.begin() + 54, {0x00, 0x0F, 0, 0, 0xF0, 0, 0, 0, 0x0F, 0, 0, 0});
  Put32(V, 10, 66);
  ASSERT_TRUE(Decode(V, B, Error)) << Error;
  EXPECT_EQ(B.At(0, 0), 0xFF0000u);
  EXPECT_EQ(B.At(1, 0), 0xFF2211u);
  // A mask with a hole in it cannot be scaled.
  Put32(V, 54, 0x0A00);
  EXPECT_EQ(FailureOf(V), "Bitmap image is not valid");
  // Masks that the file does not hold.
  EXPECT_EQ(FailureOf(Make(1, 1, 16, 3, {}, {})), "Bitmap image is truncated");
  // 32 bits without masks: B, G, R and an ignored fourth byte.
  ASSERT_TRUE(Decode(Make(1, 1, 32, 0, {}, {0x10, 0x20, 0x30, 0xFF}), B, Error)) << Error;
  EXPECT_EQ(B.At(0, 0), 0x302010u);
}

// Damaged copies of real files: any outcome but a crash, and a decoded
// picture is whole.
TEST(BmpReader, CorruptedFilesNeverCrash) {
  uint32_t Seed = 12345;
  auto Next = [&] { return Seed = Seed * 1103515245u + 12345u; };
  int Decoded = 0, Refused = 0;
  for (const std::string &Name : PicturesEndingIn(".bmp")) {
    const std::vector<uint8_t> Data = ReadPictureFile(Name);
    if (Data.size() > 4096)
      continue;
    for (int Round = 0; Round < 200; ++Round) {
      std::vector<uint8_t> V = Data;
      const int Flips = 1 + Next() % 4;
      for (int I = 0; I < Flips; ++I) {
        // mostly the headers, where the sizes and offsets are
        const size_t At = (Next() >> 8) % (Round % 2 ? V.size() : std::min<size_t>(V.size(), 70));
        V[At] = static_cast<uint8_t>(Next() >> 16);
      }
      Bitmap B;
      std::string Error;
      if (ReadBmp(V.data(), V.size(), B, Error)) {
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
