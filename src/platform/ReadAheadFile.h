// Reads another file through a buffer of its own. The package is read in
// small pieces (a 282-byte header, a 4-byte block length, a block of at most
// 32 KB), each of which would otherwise be one call of the system; through
// this reader most of them are copies from memory (or no copy: ReadInPlace),
// and a seek inside what is buffered costs nothing.
//
// On request the reader reads the next buffer on a second thread while the
// caller works on this one, so that reading and decoding a package overlap.
#pragma once

#include "platform/BackgroundJob.h"
#include "platform/Platform.h"

#include <memory>

namespace platform {

class ReadAheadFile : public File {
public:
  // Source must outlive the reader; its position is the reader's business
  // while the reader is used. With OnSecondThread, a buffer read through to
  // its end has the one after it read on a second thread meanwhile (where a
  // thread cannot be started, at once).
  explicit ReadAheadFile(File &Source, uint32_t BufferSize = 256u << 10,
                         bool OnSecondThread = false);
  ~ReadAheadFile() override;

  // A failure of the system is charged only to the bytes asked for: when a
  // read ahead fails (on this thread or the second one), the piece asked for
  // is read again on its own, and that read decides (so a damaged sector
  // after a header does not fail the header).
  uint32_t Read(void *Buffer, uint32_t Count) override;
  // What is buffered at the position, without a copy; reads the buffer
  // first where needed. Null where that read fails or the file ends.
  const uint8_t *ReadInPlace(uint32_t Count, uint32_t &Got) override;
  // The reader does not write.
  uint32_t Write(const void *Buffer, uint32_t Count) override;
  bool Seek(uint64_t Position) override;
  uint64_t Position() const override { return FPos; }
  uint64_t Size() override;
  bool Truncate() override;

private:
  // A stretch of the source in memory.
  struct Chunk {
    std::unique_ptr<uint8_t[]> Data; // FSize bytes, not cleared first
    uint64_t Start = 0;              // file position of Data[0]
    uint32_t Filled = 0;             // bytes of Data that hold the file
    bool Failed = false;             // the source failed while it was read
    bool Holds(uint64_t Pos) const { return Pos >= Start && Pos - Start < Filled; }
  };
  enum class FillResult { Ok, End, Failed };
  static constexpr uint32_t kJumpRead = 64u << 10; // what a read after a jump takes

  // Makes the byte at FPos buffered: from the chunk read ahead when that
  // holds it, else by a read of the source on this thread.
  FillResult Fill();
  // Takes the chunk read ahead as the buffer when it holds FPos.
  bool TakeAhead();
  // Starts reading the chunk after the buffer on the second thread.
  void StartAhead();
  // Waits for the second thread: the source is this thread's again.
  void Settle();
  // Reads Count bytes at FPos straight from the source, without the buffer.
  uint32_t ReadDirect(uint8_t *Buffer, uint32_t Count);

  File &FSource;
  const uint32_t FSize; // of each chunk
  Chunk FBuffer;
  Chunk FAhead;                        // read on the second thread
  bool FAheadStarted = false;          // FAhead is being read, or was read and not yet taken
  std::unique_ptr<BackgroundJob> FJob; // none: no second thread
  uint64_t FPos = 0;
};

} // namespace platform
