#include "ReadBuffer.h"

#include <algorithm>
#include <cstring>

namespace mksetup {

ReadBuffer::ReadBuffer(std::unique_ptr<platform::File> Inner, uint32_t Capacity)
    : FInner(std::move(Inner)), FBuffer(Capacity), FPos(FInner->Position()) {}

uint32_t ReadBuffer::ReadInner(void *Buffer, uint32_t Count) {
  FInner->ClearError();
  if (FInner->Position() != FPos && !FInner->Seek(FPos)) {
    SetError();
    return 0;
  }
  const uint32_t Got = FInner->Read(Buffer, Count);
  if (FInner->Error())
    SetError();
  return Got;
}

uint32_t ReadBuffer::Read(void *Buffer, uint32_t Count) {
  uint8_t *Out = static_cast<uint8_t *>(Buffer);
  uint32_t Done = 0;
  while (Done < Count) {
    if (FPos >= FStart && FPos < FStart + FLength) {
      const uint32_t Part = uint32_t(std::min<uint64_t>(Count - Done, FStart + FLength - FPos));
      std::memcpy(Out + Done, FBuffer.data() + (FPos - FStart), Part);
      FPos += Part;
      Done += Part;
      continue;
    }
    if (Count - Done >= FBuffer.size()) { // a large read goes straight through
      const uint32_t Got = ReadInner(Out + Done, Count - Done);
      FPos += Got;
      Done += Got;
      break;
    }
    FStart = FPos;
    FLength = ReadInner(FBuffer.data(), uint32_t(FBuffer.size()));
    if (FLength == 0)
      break;
  }
  return Done; // short at the end of the file, as the inner file's read is
}

uint32_t ReadBuffer::Write(const void *, uint32_t) {
  SetError();
  return 0;
}

bool ReadBuffer::Seek(uint64_t Position) {
  FPos = Position; // the inner file follows at the next read
  return true;
}

} // namespace mksetup
