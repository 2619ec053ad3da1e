#include "controls/BmpReader.h"

#include <algorithm>
#include <new>

#include <array>
#include <bit>

namespace controls {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12; // OS/2 1.x and Windows 2.x
constexpr uint32_t kInfoHeaderSize = 40;

enum Compression : uint32_t {
  BiRgb = 0,
  BiRle8 = 1,
  BiRle4 = 2,
  BiBitfields = 3,
  BiAlphaBitfields = 6,
};

uint16_t U16(const uint8_t *P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}
uint32_t U32(const uint8_t *P) {
  return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 |
         static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[3]) << 24;
}

const char *const kInvalid = "Bitmap image is not valid";
const char *const kTruncated = "Bitmap image is truncated";

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit Channel(uint32_t M = 0) : Mask(M) {
    if (M != 0) {
      Shift = std::countr_zero(M);
      Bits = std::popcount(M);
    }
  }
  // A mask must be one run of bits; others cannot be scaled meaningfully.
  bool Contiguous() const {
    return Mask == 0 || Bits == 32 || (Mask >> Shift) == (uint32_t{1} << Bits) - 1;
  }
  uint8_t Of(uint32_t Value) const {
    if (Bits == 0)
      return 0;
    uint32_t V = (Value & Mask) >> Shift;
    if (Bits >= 8)
      return static_cast<uint8_t>(V >> (Bits - 8));
    // Repeat the bits (5 bits abcde give abcdeabc), as Windows does.
    uint32_t Wide = 0;
    int Have = 0;
    while (Have < 8) {
      Wide = Wide << Bits | V;
      Have += Bits;
    }
    return static_cast<uint8_t>(Wide >> (Have - 8));
  }
};

struct Header {
  uint32_t PixelOffset = 0; // bfOffBits
  uint32_t HeaderSize = 0;
  int64_t Width = 0;
  int64_t Height = 0; // negative: rows stored from the top
  uint32_t BitCount = 0;
  uint32_t Compression = BiRgb;
  uint32_t ColorsUsed = 0;
  uint32_t Masks[3] = {0, 0, 0}; // red, green, blue
  bool Core = false;
  bool Os2 = false;      // OS/2 2.x header: its compression codes 3 and 4 differ
  uint64_t MasksEnd = 0; // where the palette starts
};

class Reader {
public:
  Reader(const uint8_t *Data, size_t Size, std::string &Error, const PictureLimits &Limits)
      : FData(Data), FSize(Size), FError(Error), FLimits(Limits) {}

  bool Read(Bitmap &Out) {
    Header H;
    if (!ReadHeader(H) || !ReadPalette(H))
      return false;
    if (!FLimits.Allows(static_cast<uint64_t>(H.Width),
                        static_cast<uint64_t>(H.Height < 0 ? -H.Height : H.Height)))
      return Fail("Bitmap image is too large");
    const uint64_t Start = PixelStart(H);
    if (Start > FSize)
      return Fail(kTruncated);
    const int W = static_cast<int>(H.Width);
    const bool TopDown = H.Height < 0;
    const int Rows = static_cast<int>(TopDown ? -H.Height : H.Height);

    if (H.Compression == BiRle8 || H.Compression == BiRle4) {
      if (TopDown)
        return Fail(kInvalid); // RLE bitmaps are bottom-up by definition
      Bitmap Result(W, Rows, Color(0));
      if (!DecodeRle(Start, H.Compression == BiRle4, Result))
        return false;
      Out = std::move(Result);
      return true;
    }

    // Uncompressed rows are padded to 4 bytes; the last row's padding may be
    // missing in files from careless writers, so it is not required.
    const uint64_t RowBits = static_cast<uint64_t>(W) * H.BitCount;
    const uint64_t Stride = (RowBits + 31) / 32 * 4;
    const uint64_t Needed = Stride * (Rows - 1) + (RowBits + 7) / 8;
    if (Needed > FSize - Start)
      return Fail(kTruncated);

    Bitmap Result(W, Rows);
    std::array<Channel, 3> Fields;
    if (H.BitCount == 16 || H.BitCount == 32) {
      for (int I = 0; I < 3; ++I) {
        Fields[I] = Channel(H.Masks[I]);
        if (!Fields[I].Contiguous())
          return Fail(kInvalid);
      }
    }
    for (int Y = 0; Y < Rows; ++Y) {
      const uint8_t *Row = FData + Start + Stride * Y;
      Pixel *Dest = &Result.At(0, TopDown ? Y : Rows - 1 - Y);
      DecodeRow(Row, W, H.BitCount, Fields, Dest);
    }
    Out = std::move(Result);
    return true;
  }

private:
  bool Fail(const char *Message) {
    FError = Message;
    return false;
  }

  bool ReadHeader(Header &H) {
    if (FSize < kFileHeaderSize + 4 || FData[0] != 'B' || FData[1] != 'M')
      return Fail(kInvalid);
    H.PixelOffset = U32(FData + 10);
    H.HeaderSize = U32(FData + kFileHeaderSize);
    const uint8_t *P = FData + kFileHeaderSize;
    if (H.HeaderSize == kCoreHeaderSize) {
      if (FSize < kFileHeaderSize + kCoreHeaderSize)
        return Fail(kTruncated);
      H.Core = true;
      H.Width = U16(P + 4);
      H.Height = U16(P + 6);
      H.BitCount = U16(P + 10);
    } else {
      // Windows headers are 40, 52, 56, 108 or 124 bytes; OS/2 2.x ones 16 to
      // 64. Fields a short header leaves out count as zero.
      if (H.HeaderSize < 16 || H.HeaderSize > 4096)
        return Fail(kInvalid);
      if (FSize - kFileHeaderSize < H.HeaderSize)
        return Fail(kTruncated);
      std::array<uint8_t, 56> Fields{};
      for (uint32_t I = 0; I < Fields.size() && I < H.HeaderSize; ++I)
        Fields[I] = P[I];
      H.Os2 = H.HeaderSize < kInfoHeaderSize || H.HeaderSize == 64;
      H.Width = static_cast<int32_t>(U32(&Fields[4]));
      H.Height = static_cast<int32_t>(U32(&Fields[8]));
      H.BitCount = U16(&Fields[14]);
      H.Compression = U32(&Fields[16]);
      H.ColorsUsed = U32(&Fields[32]);
      H.Masks[0] = U32(&Fields[40]);
      H.Masks[1] = U32(&Fields[44]);
      H.Masks[2] = U32(&Fields[48]);
    }
    H.MasksEnd = kFileHeaderSize + static_cast<uint64_t>(H.HeaderSize);
    if (H.Width <= 0 || H.Height == 0)
      return Fail(kInvalid);

    switch (H.Compression) {
    case BiRgb:
      if (H.BitCount != 1 && H.BitCount != 2 && H.BitCount != 4 && H.BitCount != 8 &&
          H.BitCount != 16 && H.BitCount != 24 && H.BitCount != 32)
        return Fail(kInvalid);
      if (H.BitCount == 16) { // 5-5-5
        H.Masks[0] = 0x7C00;
        H.Masks[1] = 0x03E0;
        H.Masks[2] = 0x001F;
      } else if (H.BitCount == 32) {
        H.Masks[0] = 0x00FF0000;
        H.Masks[1] = 0x0000FF00;
        H.Masks[2] = 0x000000FF;
      }
      break;
    case BiRle8:
      if (H.BitCount != 8)
        return Fail(kInvalid);
      break;
    case BiRle4:
      if (H.BitCount != 4)
        return Fail(kInvalid);
      break;
    case BiBitfields:
    case BiAlphaBitfields:
      if (H.Os2 || (H.BitCount != 16 && H.BitCount != 32))
        return Fail(H.Os2 ? "Unsupported bitmap compression" : kInvalid);
      if (H.HeaderSize == kInfoHeaderSize) {
        // The masks follow a 40-byte header (a fourth one, alpha, with
        // BI_ALPHABITFIELDS).
        const uint32_t Count = H.Compression == BiAlphaBitfields ? 4 : 3;
        if (FSize < H.MasksEnd + 4 * Count)
          return Fail(kTruncated);
        for (uint32_t I = 0; I < 3; ++I)
          H.Masks[I] = U32(FData + H.MasksEnd + 4 * I);
        H.MasksEnd += 4 * Count;
      } else if (H.HeaderSize < 52) {
        return Fail(kInvalid);
      }
      break;
    default:
      return Fail("Unsupported bitmap compression");
    }
    return true;
  }

  bool ReadPalette(const Header &H) {
    if (H.BitCount > 8)
      return true; // a palette of a direct-colour bitmap only helps displays
    const uint32_t EntrySize = H.Core ? 3 : 4;
    uint64_t Count = uint64_t{1} << H.BitCount;
    if (!H.Core && H.ColorsUsed != 0 && H.ColorsUsed < Count)
      Count = H.ColorsUsed;
    // Some writers store fewer entries than the bit count implies; the
    // pixel offset then tells how many there are.
    if (H.PixelOffset > H.MasksEnd && (H.PixelOffset - H.MasksEnd) / EntrySize < Count)
      Count = (H.PixelOffset - H.MasksEnd) / EntrySize;
    if (H.MasksEnd + Count * EntrySize > FSize)
      return Fail(kTruncated);
    FPaletteSize = static_cast<uint32_t>(Count);
    FPaletteEnd = H.MasksEnd + Count * EntrySize;
    for (uint32_t I = 0; I < FPaletteSize; ++I) {
      const uint8_t *E = FData + H.MasksEnd + static_cast<uint64_t>(I) * EntrySize;
      FPalette[I] = Rgb(E[2], E[1], E[0]);
    }
    return true;
  }

  // Where the pixels start: the file header's offset, unless it is missing
  // or points into the headers, in which case they follow the palette.
  uint64_t PixelStart(const Header &H) const {
    const uint64_t After = H.BitCount > 8 ? H.MasksEnd : FPaletteEnd;
    return H.PixelOffset >= After ? H.PixelOffset : After;
  }

  // Indices past the palette show black.
  Pixel Color(uint32_t Index) const { return Index < FPaletteSize ? FPalette[Index] : 0; }

  void DecodeRow(const uint8_t *Row, int W, uint32_t BitCount, const std::array<Channel, 3> &Fields,
                 Pixel *Dest) const {
    switch (BitCount) {
    case 1:
    case 2:
    case 4: {
      const uint32_t PerByte = 8 / BitCount;
      const uint32_t Mask = (1u << BitCount) - 1;
      for (int X = 0; X < W; ++X) {
        const uint32_t Shift = 8 - BitCount * (X % PerByte + 1);
        Dest[X] = Color(Row[X / PerByte] >> Shift & Mask);
      }
      break;
    }
    case 8:
      for (int X = 0; X < W; ++X)
        Dest[X] = Color(Row[X]);
      break;
    case 24:
      for (int X = 0; X < W; ++X, Row += 3)
        Dest[X] = Rgb(Row[2], Row[1], Row[0]);
      break;
    case 16:
      for (int X = 0; X < W; ++X, Row += 2) {
        const uint32_t V = U16(Row);
        Dest[X] = Rgb(Fields[0].Of(V), Fields[1].Of(V), Fields[2].Of(V));
      }
      break;
    case 32:
      for (int X = 0; X < W; ++X, Row += 4) {
        const uint32_t V = U32(Row);
        Dest[X] = Rgb(Fields[0].Of(V), Fields[1].Of(V), Fields[2].Of(V));
      }
      break;
    }
  }

  // Run-length coded rows, bottom-up: (count, index) runs, and after a zero
  // byte the escapes end-of-line, end-of-bitmap, delta and absolute run.
  // Pixels the codes skip keep palette entry 0; runs past a row's end are cut.
  bool DecodeRle(uint64_t Pos, bool Four, Bitmap &Out) const {
    const int W = Out.Width;
    const int H = Out.Height;
    int X = 0;
    int Y = 0; // from the bottom
    auto Put = [&](uint32_t Index) {
      if (X < W && Y < H)
        Out.At(X, H - 1 - Y) = Color(Index);
      ++X;
    };
    while (Y < H) {
      if (FSize - Pos < 2)
        return Truncated();
      const uint32_t Count = FData[Pos];
      const uint32_t Value = FData[Pos + 1];
      Pos += 2;
      if (Count > 0) {
        for (uint32_t I = 0; I < Count && X < W; ++I)
          Put(Four ? (I % 2 == 0 ? Value >> 4 : Value & 15) : Value);
        continue;
      }
      switch (Value) {
      case 0: // end of line
        X = 0;
        ++Y;
        break;
      case 1: // end of bitmap
        return true;
      case 2: // delta: move right and up
        if (FSize - Pos < 2)
          return Truncated();
        // Past the row's end nothing is drawn; stopping there keeps a long
        // chain of deltas from carrying the column out of range.
        X = std::min(X + FData[Pos], W);
        Y = std::min(Y + FData[Pos + 1], H);
        Pos += 2;
        break;
      default: { // absolute run of Value pixels, padded to a 16-bit boundary
        const uint64_t Bytes = Four ? (Value + 1) / 2 : Value;
        if (FSize - Pos < Bytes)
          return Truncated();
        for (uint32_t I = 0; I < Value && X < W; ++I) {
          const uint8_t B = FData[Pos + (Four ? I / 2 : I)];
          Put(Four ? (I % 2 == 0 ? B >> 4 : B & 15) : B);
        }
        Pos += Bytes + (Bytes & 1);
        if (Pos > FSize)
          Pos = FSize; // the padding of the very last run may be missing
        break;
      }
      }
    }
    return true; // every row given; a missing end-of-bitmap does no harm
  }

  bool Truncated() const {
    FError = kTruncated;
    return false;
  }

  const uint8_t *FData;
  size_t FSize;
  std::string &FError;
  const PictureLimits &FLimits;
  std::array<Pixel, 256> FPalette{};
  uint32_t FPaletteSize = 0;
  uint64_t FPaletteEnd = 0;
};

} // namespace

bool ReadBmp(const uint8_t *Data, size_t Size, Bitmap &Out, std::string &Error,
             const PictureLimits &Limits) {
  if (Data == nullptr) {
    Error = kInvalid;
    return false;
  }
  // A small run-length or 1-bit file may stand for a large picture: memory
  // that is not there fails this picture, not the program.
  try {
    return Reader(Data, Size, Error, Limits).Read(Out);
  } catch (const std::bad_alloc &) {
    Error = "Out of memory for the bitmap image";
    return false;
  }
}

} // namespace controls
