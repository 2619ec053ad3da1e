#include "platform/ReadAheadFile.h"

#include <algorithm>
#include <cstring>

namespace platform {

ReadAheadFile::ReadAheadFile(File &Source, uint32_t BufferSize, bool OnSecondThread)
    : FSource(Source), FSize(std::max<uint32_t>(BufferSize, 1)), FPos(Source.Position()) {
  FBuffer.Data.reset(new uint8_t[FSize]);
  if (OnSecondThread) {
    FAhead.Data.reset(new uint8_t[FSize]);
    FJob = std::make_unique<BackgroundJob>();
  }
}

// The second thread must be done with the source and the chunk before they go.
ReadAheadFile::~ReadAheadFile() {
  Settle();
}

void ReadAheadFile::Settle() {
  if (FJob)
    FJob->Wait();
}

void ReadAheadFile::StartAhead() {
  FAhead.Start = FBuffer.Start + FBuffer.Filled;
  FAhead.Filled = 0;
  FAhead.Failed = false;
  FAheadStarted = true;
  FJob->Start([this] {
    FSource.ClearError();
    uint32_t Got = 0;
    if (FSource.Seek(FAhead.Start))
      Got = FSource.Read(FAhead.Data.get(), FSize);
    FAhead.Failed = FSource.Error();
    FSource.ClearError();
    FAhead.Filled = Got;
  });
}

bool ReadAheadFile::TakeAhead() {
  if (!FAheadStarted)
    return false;
  FJob->Wait();
  // A chunk whose reading failed is not used: the bytes asked for are read
  // again, which charges the failure to them alone.
  if (FAhead.Failed || !FAhead.Holds(FPos))
    return false;
  std::swap(FBuffer, FAhead);
  FAheadStarted = false;
  if (FBuffer.Filled == FSize)
    StartAhead();
  return true;
}

ReadAheadFile::FillResult ReadAheadFile::Fill() {
  if (TakeAhead())
    return FillResult::Ok;
  Settle();
  FAheadStarted = false;
  // Reading on from the buffer's end (or a little past it, over a header)
  // goes on the same way: the whole buffer is worth reading, and the one
  // after it. After a jump (over a large entry's data, say) only a little
  // is read: the next jump may come soon.
  const uint64_t End = FBuffer.Start + FBuffer.Filled;
  const bool Streaming = FBuffer.Filled > 0 && FPos >= End && FPos - End < FSize;
  const uint32_t Want = Streaming ? FSize : std::min(FSize, kJumpRead);
  FSource.ClearError();
  FBuffer.Filled = 0;
  FBuffer.Start = FPos;
  uint32_t Got = 0;
  if (FSource.Seek(FPos))
    Got = FSource.Read(FBuffer.Data.get(), Want);
  if (FSource.Error()) {
    FSource.ClearError();
    return FillResult::Failed;
  }
  FBuffer.Filled = Got;
  if (Got == 0)
    return FillResult::End;
  if (FJob && Streaming && Got == Want)
    StartAhead();
  return FillResult::Ok;
}

uint32_t ReadAheadFile::ReadDirect(uint8_t *Buffer, uint32_t Count) {
  Settle();
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
    if (FBuffer.Holds(FPos) || TakeAhead()) {
      const uint32_t At = uint32_t(FPos - FBuffer.Start);
      const uint32_t N = std::min(Count - Done, FBuffer.Filled - At);
      std::memcpy(Out + Done, FBuffer.Data.get() + At, N);
      Done += N;
      FPos += N;
      continue;
    }
    // What is left does not fit the buffer: it goes straight to the caller.
    if (Count - Done >= FSize)
      return Done + ReadDirect(Out + Done, Count - Done);
    const FillResult R = Fill();
    if (R == FillResult::Failed)
      return Done + ReadDirect(Out + Done, Count - Done);
    if (R == FillResult::End)
      break;
  }
  return Done;
}

const uint8_t *ReadAheadFile::ReadInPlace(uint32_t Count, uint32_t &Got) {
  Got = 0;
  if (Count == 0 || (!FBuffer.Holds(FPos) && Fill() != FillResult::Ok))
    return nullptr;
  const uint32_t At = uint32_t(FPos - FBuffer.Start);
  Got = std::min(Count, FBuffer.Filled - At);
  FPos += Got;
  return FBuffer.Data.get() + At;
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
  Settle();
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
