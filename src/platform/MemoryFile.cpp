#include "platform/MemoryFile.h"

#include <algorithm>
#include <cstring>

namespace platform {

uint32_t MemoryFile::Read(void *Buffer, uint32_t Count) {
  if (FPos >= FData.size())
    return 0;
  uint64_t n = std::min<uint64_t>(Count, FData.size() - FPos);
  std::memcpy(Buffer, FData.data() + FPos, n);
  FPos += n;
  return static_cast<uint32_t>(n);
}

uint32_t MemoryFile::Write(const void *Buffer, uint32_t Count) {
  uint64_t n = Count;
  if (FPos + n > FWriteLimit) {
    n = FPos < FWriteLimit ? FWriteLimit - FPos : 0;
    SetError();
  }
  if (FPos + n > FData.size())
    FData.resize(FPos + n);
  if (n)
    std::memcpy(FData.data() + FPos, Buffer, n);
  FPos += n;
  return static_cast<uint32_t>(n);
}

bool MemoryFile::Seek(uint64_t Position) {
  // A seek past the end is allowed, as with a disk file; a later write fills
  // the gap with zeros.
  FPos = Position;
  return true;
}

bool MemoryFile::Truncate() {
  FData.resize(FPos);
  return true;
}

const uint8_t *LendingMemoryFile::ReadInPlace(uint32_t Count, uint32_t &Got) {
  const std::vector<uint8_t> &Bytes = Data();
  Got = 0;
  if (Position() >= Bytes.size())
    return Bytes.data() + Bytes.size();
  const uint64_t At = Position();
  Got = static_cast<uint32_t>(std::min<uint64_t>(Count, Bytes.size() - At));
  Seek(At + Got);
  return Bytes.data() + At;
}

} // namespace platform
