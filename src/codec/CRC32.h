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

// UpdateCrc32 over a whole buffer, eight bytes a step; the same result as
// feeding the bytes one at a time.
uint32_t UpdateCrc32(const void *Data, size_t Size, uint32_t Crc);

// Checksum of one byte sequence, as stored in an entry header.
inline uint32_t Crc32Of(const void *Data, size_t Size) {
  return FinishCrc32(UpdateCrc32(Data, Size, 0));
}

} // namespace codec
