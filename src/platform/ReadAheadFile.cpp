#include "platform/ReadAheadFile.h"

#include <algorithm>
#include <cstring>

namespace platform {

ReadAheadFile::ReadAheadFile(File &Source, uint32_t BufferSize)
    : FSource(Source), FBuffer(std::max<uint32_t>(BufferSize, 1)), FPos(Source.Position()) {}

uint32_t ReadAheadFile::ReadDirect(uint8_t *Buffer, uint32_t Count) {
  FSource.ClearError();
  uint32_t Got = 0;
  if (FSource.Seek(FPos))
    Got = FSource.Read(Buffer, Count);
  if (FSource.Error())
    SetError();
  FSource.ClearError();
  FPos += Got;
  return Got;
}

uint32_t ReadAheadFile::Read(void *Buffer, uint32_t Count) {
  auto *Out = static_cast<uint8_t *>(Buffer);
  uint32_t Done = 0;
  while (Done < Count) {
    if (FPos >= FBufferStart && FPos < FBufferStart + FFilled) {
      const uint32_t At = uint32_t(FPos - FBufferStart);
      const uint32_t N = std::min(Count - Done, FFilled - At);
      std::memcpy(Out + Done, FBuffer.data() + At, N);
      Done += N;
      FPos += N;
      continue;
    }
    // What is left does not fit the buffer: it goes straight to the caller.
    if (Count - Done >= FBuffer.size())
      return Done + ReadDirect(Out + Done, Count - Done);
    FSource.ClearError();
    FFilled = 0;
    FBufferStart = FPos;
    uint32_t Got = 0;
    if (FSource.Seek(FPos))
      Got = FSource.Read(FBuffer.data(), uint32_t(FBuffer.size()));
    if (FSource.Error()) {
      FSource.ClearError();
      return Done + ReadDirect(Out + Done, Count - Done);
    }
    FFilled = Got;
    if (Got == 0)
      break; // the end of the file
  }
  return Done;
}

uint32_t ReadAheadFile::Write(const void *, uint32_t) {
  SetError();
  return 0;
}

bool ReadAheadFile::Seek(uint64_t Position) {
  // The source is positioned when it is next read.
  FPos = Position;
  return true;
}

uint64_t ReadAheadFile::Size() {
  FSource.ClearError();
  const uint64_t N = FSource.Size();
  if (FSource.Error())
    SetError();
  FSource.ClearError();
  return N;
}

bool ReadAheadFile::Truncate() {
  SetError();
  return false;
}

} // namespace platform
