#include "codec/LZREncoder.h"

#include "codec/LZR.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace codec {
namespace {

constexpr uint32_t kHashBits = 15;
constexpr uint32_t kMaxOffset = 4095;
constexpr uint32_t kMinCopy = 3;
constexpr uint32_t kMaxCopy = 18;
constexpr uint32_t kMinRun = 16;
constexpr uint32_t kMaxRun = 4111;
// Item costs in bits, its control bit included.
constexpr uint32_t kLiteralBits = 9;
constexpr uint32_t kCopyBits = 17;
constexpr uint32_t kRunBits = 33;
constexpr uint32_t kMaxInput = 32767;

enum : uint8_t { kLiteral, kCopy, kRun };

inline uint32_t Hash3(const uint8_t *P) {
  const uint32_t V = uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16;
  return (V * 2654435761u) >> (32 - kHashBits);
}

inline uint32_t CommonLength(const uint8_t *A, const uint8_t *B, uint32_t Max) {
  uint32_t n = 0;
  while (n + 8 <= Max) {
    uint64_t X, Y;
    std::memcpy(&X, A + n, 8);
    std::memcpy(&Y, B + n, 8);
    if (X != Y)
      return n + (__builtin_ctzll(X ^ Y) >> 3); // little-endian hosts
    n += 8;
  }
  while (n < Max && A[n] == B[n])
    ++n;
  return n;
}

} // namespace

TLzrEncoder::TLzrEncoder(uint32_t ChainDepth) : FDepth(ChainDepth ? ChainDepth : 1) {
  try {
    FHead.resize(size_t(1) << kHashBits);
    FPrev.resize(kMaxInput);
    FMatchLen.resize(kMaxInput);
    FMatchOff.resize(kMaxInput);
    FRunLen.resize(kMaxInput);
    FCost.resize(kMaxInput + 1);
    FStep.resize(kMaxInput);
    FKind.resize(kMaxInput);
  } catch (const std::bad_alloc &) {
    throw ELzrw1KHCompressor();
  }
}

void TLzrEncoder::FindMatches(const uint8_t *In, uint32_t Size) {
  std::fill(FHead.begin(), FHead.end(), -1);
  const uint32_t Last = Size >= kMinCopy ? Size - kMinCopy + 1 : 0; // positions with 3 bytes
  uint32_t Inherit = 0; // a long match at i-1 gives one a byte shorter at i
  for (uint32_t i = 0; i < Size; ++i) {
    FMatchLen[i] = 0;
    if (i >= Last)
      continue;
    const uint32_t h = Hash3(In + i);
    const uint32_t Max = std::min(kMaxCopy, Size - i);
    uint32_t Best = 0, BestOff = 0;
    int32_t Cand = FHead[h];
    if (Inherit >= 10 && FDepth < kExhaustiveDepth) {
      // Inside a long repeat the search would find the same source again;
      // taking it saves most of the time on repetitive data.
      Best = std::min(Inherit, Max);
      BestOff = FMatchOff[i - 1];
      Cand = -1;
    }
    for (uint32_t Depth = FDepth; Cand >= 0 && Depth; --Depth) {
      const uint32_t Off = i - uint32_t(Cand);
      if (Off > kMaxOffset)
        break;
      // Only a longer match matters: test its last byte first.
      if (In[Cand + Best] == In[i + Best]) {
        const uint32_t Len = CommonLength(In + Cand, In + i, Max);
        if (Len > Best) {
          Best = Len;
          BestOff = Off;
          if (Best == Max)
            break;
        }
      }
      Cand = FPrev[Cand];
    }
    FPrev[i] = FHead[h];
    FHead[h] = int32_t(i);
    if (Best >= kMinCopy) {
      FMatchLen[i] = uint8_t(Best);
      FMatchOff[i] = uint16_t(BestOff);
    }
    Inherit = Best > 0 ? Best - 1 : 0;
  }
  // Runs of one byte, counted backwards and capped at the longest run item.
  if (Size) {
    FRunLen[Size - 1] = 1;
    for (uint32_t i = Size - 1; i-- > 0;)
      FRunLen[i] =
          In[i] == In[i + 1] ? uint16_t(std::min<uint32_t>(FRunLen[i + 1] + 1, kMaxRun)) : 1;
  }
}

uint32_t TLzrEncoder::ChooseItems(const uint8_t *In, uint32_t Size) {
  // Shortest path from each position to the end: all copies cost the same,
  // so a position's longest match offers every shorter length too.
  FCost[Size] = 0;
  for (uint32_t i = Size; i-- > 0;) {
    // Cost and length in one key: the smallest cost wins, and among equal
    // costs the shortest item (a literal before any copy), without a branch
    // per length.
    uint32_t Key = (FCost[i + 1] + kLiteralBits) << 5 | 1;
    const uint32_t Len = FMatchLen[i];
    for (uint32_t l = kMinCopy; l <= Len; ++l)
      Key = std::min(Key, (FCost[i + l] + kCopyBits) << 5 | l);
    uint32_t Best = Key >> 5;
    uint16_t Step = uint16_t(Key & 31);
    uint8_t Kind = Step == 1 ? kLiteral : kCopy;
    const uint32_t Run = FRunLen[i];
    if (Run >= kMinRun) {
      // The whole run, or a little less so that a copy can take the rest.
      for (uint32_t k = 0; k <= kMaxCopy && Run - k >= kMinRun; ++k) {
        const uint32_t c = FCost[i + Run - k] + kRunBits;
        if (c < Best) {
          Best = c;
          Step = uint16_t(Run - k);
          Kind = kRun;
        }
      }
    }
    FCost[i] = Best;
    FStep[i] = Step;
    FKind[i] = Kind;
  }
  // Bytes: the flag, the item bits and one control word per 16 items.
  uint32_t Items = 0, ItemBytes = 0;
  for (uint32_t i = 0; i < Size; i += FStep[i]) {
    ++Items;
    ItemBytes += FKind[i] == kLiteral ? 1 : FKind[i] == kCopy ? 2 : 4;
  }
  const uint32_t Words = Items ? (Items + 15) / 16 : 1;
  return 1 + 2 * Words + ItemBytes;
}

uint32_t TLzrEncoder::Emit(const uint8_t *In, uint32_t Size, uint8_t *Out) {
  Out[0] = kCodedFlag;
  uint32_t ControlPos = 1, Pos = 3, Bits = 0, Control = 0;
  for (uint32_t i = 0; i < Size; i += FStep[i]) {
    if (Bits == 16) {
      Out[ControlPos] = uint8_t(Control >> 8);
      Out[ControlPos + 1] = uint8_t(Control);
      ControlPos = Pos;
      Pos += 2;
      Bits = 0;
      Control = 0;
    }
    Control <<= 1;
    switch (FKind[i]) {
    case kLiteral:
      Out[Pos++] = In[i];
      break;
    case kCopy: {
      const uint32_t Off = FMatchOff[i];
      Control |= 1;
      Out[Pos++] = uint8_t(Off >> 4);
      Out[Pos++] = uint8_t(((Off & 15) << 4) | (FStep[i] - kMinCopy));
      break;
    }
    default: {
      const uint32_t Count = FStep[i] - kMinRun;
      Control |= 1;
      Out[Pos++] = 0;
      Out[Pos++] = uint8_t(Count >> 8);
      Out[Pos++] = uint8_t(Count);
      Out[Pos++] = In[i];
      break;
    }
    }
    ++Bits;
  }
  Control <<= (16 - Bits) & 15; // the unused bits of the last word
  if (Bits == 0)
    Control = 0;
  Out[ControlPos] = uint8_t(Control >> 8);
  Out[ControlPos + 1] = uint8_t(Control);
  return Pos;
}

uint32_t TLzrEncoder::EncodeBlock(const uint8_t *In, uint32_t Size, uint8_t *Out) {
  if (Size > kMaxInput)
    return 0;
  if (Size == 0) {
    Out[0] = kStoredFlag;
    return 1;
  }
  FindMatches(In, Size);
  const uint32_t Coded = ChooseItems(In, Size);
  if (Coded < Size + 1)
    return Emit(In, Size, Out);
  Out[0] = kStoredFlag;
  std::memcpy(Out + 1, In, Size);
  return Size + 1;
}

} // namespace codec
