// The coding side of an entry's data, for the authoring tool: the source is
// cut into blocks of 32000 bytes, each coded (or stored where coding does
// not help) and written with its 4-byte length. The launcher never calls it.
#pragma once

#include <cstdint>

#include "codec/LZREncoder.h"
#include "platform/Platform.h"

namespace codec {

struct EncodedEntryInfo {
  uint32_t PackedSize = 0;   // bytes written to Out, block lengths included
  uint32_t UnpackedSize = 0; // bytes read from Source
  uint32_t Crc = 0;          // checksum of the bytes read
};

enum class EncodeResult {
  Ok,
  ReadFailed,
  WriteFailed,
  TooLarge, // the data would not fit the 32-bit sizes of the header
};

// Reads Source from its position to its end and writes the block stream to
// Out at its position. An empty source gives one zero length (PackedSize 4),
// the form readers expect for an empty file.
EncodeResult EncodeEntryData(platform::File &Source, platform::File &Out, TLzrEncoder &Encoder,
                             EncodedEntryInfo &Info);

} // namespace codec
