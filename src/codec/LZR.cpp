#include "codec/LZR.h"

#include <cstring>

namespace codec {
namespace {

// A copy may overlap the bytes it produces (offset below length repeats a
// pattern), so its meaning is byte by byte. Chunks of 8 give the same result
// whenever the offset is at least 8: each chunk reads only finished bytes.
inline void CopyBack(uint8_t *D, uint32_t Offset, uint32_t Length, uint32_t Room) {
  const uint8_t *S = D - Offset;
  if (Offset >= 8 && Room >= 24) {
    std::memcpy(D, S, 8);
    std::memcpy(D + 8, S + 8, 8);
    if (Length > 16)
      std::memcpy(D + 16, S + 16, 8);
  } else if (Offset == 1) {
    std::memset(D, S[0], Length);
  } else {
    for (uint32_t k = 0; k < Length; ++k)
      D[k] = S[k];
  }
}

// The same where 32 bytes past D may be written: whole chunks of 8, whatever
// the length, so that the common copy takes no branch on it (a branch on 16
// or more, for two chunks of 16, mispredicts more than the third chunk costs).
inline void CopyBackWide(uint8_t *D, uint32_t Offset, uint32_t Length) {
  const uint8_t *S = D - Offset;
  if (Offset >= 8) {
    std::memcpy(D, S, 8);
    std::memcpy(D + 8, S + 8, 8);
    std::memcpy(D + 16, S + 16, 8);
  } else if (Offset == 1) {
    std::memset(D, S[0], 18);
  } else {
    for (uint32_t k = 0; k < Length; ++k)
      D[k] = S[k];
  }
}

} // namespace

uint16_t DecompressBlock(const uint8_t *Source, uint8_t *Dest, uint16_t SourceSize,
                         uint16_t DestLimit, bool &Damaged) {
  Damaged = false;
  if (SourceSize == 0)
    return 0;
  const uint32_t End = SourceSize;
  const uint32_t Limit = DestLimit;

  if (Source[0] == kStoredFlag) {
    uint32_t n = End - 1;
    if (n > Limit) {
      n = Limit;
      Damaged = true;
    }
    std::memcpy(Dest, Source + 1, n);
    return static_cast<uint16_t>(n);
  }
  if (End < 3) // no whole first control word, so no items
    return 0;

  uint32_t In = 3;
  uint32_t Out = 0;
  uint32_t Control = (uint32_t(Source[1]) << 8) | Source[2];
  uint32_t Bits = 16;

  while (In < End) {
    if (Bits == 0) {
      if (End - In < 2) {
        Damaged = true;
        break;
      }
      Control = (uint32_t(Source[In]) << 8) | Source[In + 1];
      In += 2;
      Bits = 16;
      if (In >= End) // a control word with no item after it carries nothing
        break;
    }
    if (Out >= Limit) { // items are left, but the output is full
      Damaged = true;
      break;
    }
    if (End - In >= 4 * Bits + 16 && Limit - Out >= 18 * Bits + 32) {
      // The rest of this control word's items can run past neither the block
      // (an item is at most 4 bytes, and literals are fetched 16 at a time)
      // nor the output (a copy at most 18 bytes, wide writes 32), so only
      // offsets and runs need checks. Literals between two references are
      // taken together: the zero bits at the top of the word count them.
      uint32_t Word = Control << 16;
      for (;;) {
        const uint32_t Literals = __builtin_clz(Word | (1u << (31 - Bits)));
        std::memcpy(Dest + Out, Source + In, 16);
        In += Literals;
        Out += Literals;
        Bits -= Literals;
        if (Bits == 0)
          break;
        Word <<= Literals;
        const uint32_t B1 = Source[In + 1];
        const uint32_t Offset = (uint32_t(Source[In]) << 4) | (B1 >> 4);
        if (Offset != 0) {
          const uint32_t Length = (B1 & 15) + 3;
          if (Offset > Out) {
            Damaged = true;
            goto done;
          }
          CopyBackWide(Dest + Out, Offset, Length);
          Out += Length;
          In += 2;
          Word <<= 1;
          if (--Bits == 0)
            break;
        } else {
          // A run is not held to the limit; it starts below it, so it ends
          // inside the slack. The room left is then no longer known to
          // suffice, so the word's other items go the careful way.
          const uint32_t Count = ((B1 & 15) << 8) + Source[In + 2] + 16;
          if (Out + Count > 0xFFFF) { // a count the result cannot give
            Damaged = true;
            goto done;
          }
          std::memset(Dest + Out, Source[In + 3], Count);
          Out += Count;
          In += 4;
          Word <<= 1;
          --Bits;
          break;
        }
      }
      Control = Word >> 16;
      continue;
    }
    // Near the end of the block or of the output: every item is checked.
    do {
      if (In >= End)
        goto done;
      if (Out >= Limit) {
        Damaged = true;
        goto done;
      }
      if (!(Control & 0x8000)) {
        Dest[Out++] = Source[In++];
      } else {
        if (End - In < 2) {
          Damaged = true;
          goto done;
        }
        const uint32_t B1 = Source[In + 1];
        const uint32_t Offset = (uint32_t(Source[In]) << 4) | (B1 >> 4);
        if (Offset == 0) {
          if (End - In < 4) {
            Damaged = true;
            goto done;
          }
          const uint32_t Count = ((B1 & 15) << 8) + Source[In + 2] + 16;
          if (Out + Count > 0xFFFF) {
            Damaged = true;
            goto done;
          }
          std::memset(Dest + Out, Source[In + 3], Count);
          Out += Count;
          In += 4;
        } else {
          // The last byte of a copy may land at the limit itself.
          const uint32_t Length = (B1 & 15) + 3;
          if (Offset > Out || Length > Limit - Out + 1) {
            Damaged = true;
            goto done;
          }
          CopyBack(Dest + Out, Offset, Length, Limit - Out);
          Out += Length;
          In += 2;
        }
      }
      Control <<= 1;
    } while (--Bits);
  }
done:
  return static_cast<uint16_t>(Out);
}

uint16_t DecompressBlock(const uint8_t *Source, uint8_t *Dest, uint16_t SourceSize,
                         uint16_t DestLimit) {
  bool Damaged;
  return DecompressBlock(Source, Dest, SourceSize, DestLimit, Damaged);
}

} // namespace codec
