// LZRW1-KH block decoder: the coding every stored package entry uses.
// A block starts with a flag byte (0x80 stored, anything else coded); a coded
// block holds 16-bit control words, each governing 16 items (0 literal byte,
// 1 reference: a copy of 3..18 bytes from up to 4095 bytes back, or, with
// offset 0, a run of 16..4111 copies of one byte).
#pragma once

#include <cstdint>

namespace codec {

// Limits of the block stream.
constexpr uint32_t kMaxCodedBlock = 32100;   // largest coded block accepted
constexpr uint32_t kBlockInput = 32000;      // bytes the tool codes per block
constexpr uint16_t kDecodeLimit = 32767;     // output limit the reader uses
constexpr uint32_t kBlockBufferSize = 65535; // size of the reader's buffers
// How far past DestLimit a block may carry the output: a run starts below
// the limit and is not held to it (up to 4111 bytes from DestLimit - 1), and
// a copy may end exactly at DestLimit. The reader's buffers hold
// kDecodeLimit + kDecodeSlack bytes with room to spare.
constexpr uint32_t kDecodeSlack = 4110;
static_assert(kDecodeLimit + kDecodeSlack <= kBlockBufferSize);

constexpr uint8_t kStoredFlag = 0x80;
constexpr uint8_t kCodedFlag = 0x40;

// Decodes the SourceSize bytes of one block at Source into Dest and returns
// the number of bytes written. Items are decoded while the output is below
// DestLimit: a run there is made whole, and a copy whose last byte lands at
// DestLimit at the latest. Dest must hold DestLimit + kDecodeSlack bytes;
// Source is read only below SourceSize and Dest written only inside those
// bytes, whatever the block holds. A block that cannot be decoded in full
// (a copy reaching before the first output byte or ending past DestLimit,
// an item cut short, items left once the output reached DestLimit) stops at
// the fault and sets Damaged; the bytes before it are decoded.
uint16_t DecompressBlock(const uint8_t *Source, uint8_t *Dest, uint16_t SourceSize,
                         uint16_t DestLimit, bool &Damaged);

// The same without the fault report: a damaged block simply yields fewer
// bytes, which its entry's checksum then rejects.
uint16_t DecompressBlock(const uint8_t *Source, uint8_t *Dest, uint16_t SourceSize,
                         uint16_t DestLimit);

} // namespace codec
