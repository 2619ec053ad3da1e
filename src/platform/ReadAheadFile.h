// Reads another file through a buffer of its own. The package is read in
// small pieces (a 282-byte header, a 4-byte block length, a block of at most
// 32 KB), each of which would otherwise be one call of the system; through
// this reader most of them are copies from memory, and a seek inside what
// is buffered costs nothing.
#pragma once

#include "platform/Platform.h"

#include <vector>

namespace platform {

class ReadAheadFile : public File {
public:
  // Source must outlive the reader; its position is the reader's business
  // while the reader is used.
  explicit ReadAheadFile(File &Source, uint32_t BufferSize = 256u << 10);

  // A failure of the system is charged only to the bytes asked for: when a
  // read ahead fails, the piece asked for is read again on its own, and
  // that read decides (so a damaged sector after a header does not fail the
  // header).
  uint32_t Read(void *Buffer, uint32_t Count) override;
  // The reader does not write.
  uint32_t Write(const void *Buffer, uint32_t Count) override;
  bool Seek(uint64_t Position) override;
  uint64_t Position() const override { return FPos; }
  uint64_t Size() override;
  bool Truncate() override;

private:
  // Reads Count bytes at FPos straight from the source, without the buffer.
  uint32_t ReadDirect(uint8_t *Buffer, uint32_t Count);

  File &FSource;
  std::vector<uint8_t> FBuffer;
  uint64_t FBufferStart = 0; // file position of FBuffer[0]
  uint32_t FFilled = 0;      // bytes of FBuffer that hold the file
  uint64_t FPos = 0;
};

} // namespace platform
