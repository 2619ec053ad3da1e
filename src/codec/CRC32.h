// The package checksum: the reflected CRC-32 of polynomial 0xEDB88320, but
// started from 0 where the common CRC-32 starts from 0xFFFFFFFF (the result
// equals zlib's crc32(data, 0xFFFFFFFF)). The running value carries across
// blocks; only the end result is complemented.
#pragma once

#include <cstddef>
#include <cstdint>

namespace codec {

extern const uint32_t Crc32Table[256];

inline uint32_t UpdateCrc32(uint8_t Byte, uint32_t Crc) {
  return Crc32Table[(Crc ^ Byte) & 0xFF] ^ (Crc >> 8);
}

inline uint32_t FinishCrc32(uint32_t Crc) {
  return ~Crc;
}

// UpdateCrc32 over a whole buffer; the same result as feeding the bytes one
// at a time. Takes the fastest way the processor offers.
uint32_t UpdateCrc32(const void *Data, size_t Size, uint32_t Crc);

// The ways UpdateCrc32 may take, for tests and benchmarks. The sliced one
// (tables, eight bytes a step) runs on any processor; the folded one
// (carry-less multiplication) only where Crc32FoldingAvailable() says so.
uint32_t UpdateCrc32Sliced(const void *Data, size_t Size, uint32_t Crc);
uint32_t UpdateCrc32Folded(const void *Data, size_t Size, uint32_t Crc);
bool Crc32FoldingAvailable();

// Checksum of one byte sequence, as stored in an entry header.
inline uint32_t Crc32Of(const void *Data, size_t Size) {
  return FinishCrc32(UpdateCrc32(Data, Size, 0));
}

} // namespace codec
