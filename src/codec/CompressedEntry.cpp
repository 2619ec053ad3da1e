#include "codec/CompressedEntry.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "codec/CRC32.h"
#include "codec/LZR.h"

namespace codec {
namespace {

// The entry's stored data, read through a window of many blocks: a read per
// block (and one per block length) cost more than decoding small blocks.
// The window is the file's own memory where the file lends it (a read-ahead
// buffer), else a copy. It never reads past the entry's stored size, so a
// whole entry leaves the file where per-block reads would.
class BlockStream {
public:
  BlockStream(platform::File &File, uint32_t StoredSize) : FFile(File), FUnread(StoredSize) {}

  // N bytes of the stream: a pointer into the window, or into Scratch
  // (which has room for N) when they straddle two fillings. Null when the
  // file ends or fails first. Valid until the next call.
  const uint8_t *Take(uint32_t N, uint8_t *Scratch) {
    if (FEnd - FPos >= N) {
      FPos += N;
      return FWindow + FPos - N;
    }
    uint32_t Got = 0;
    while (Got < N) {
      if (FPos == FEnd && !Fill())
        return nullptr;
      const uint32_t Part = std::min(N - Got, FEnd - FPos);
      std::memcpy(Scratch + Got, FWindow + FPos, Part);
      FPos += Part;
      Got += Part;
    }
    return Scratch;
  }

private:
  static constexpr uint32_t kWindowSize = 256 * 1024;

  bool Fill() {
    const uint32_t Want = std::min(FUnread, kWindowSize);
    if (Want == 0)
      return false;
    FFile.ClearError();
    uint32_t Got = 0;
    FWindow = FFile.ReadInPlace(Want, Got);
    if (!FWindow) {
      if (!FCopy) // no later filling wants more than the first
        FCopy.reset(new uint8_t[Want]);
      FWindow = FCopy.get();
      Got = FFile.Read(FCopy.get(), Want);
    }
    FUnread -= Got;
    FPos = 0;
    FEnd = Got;
    // What a short read gave is still the stream's: the blocks inside it
    // decode, and the one it cuts fails at the next filling.
    return Got > 0;
  }

  platform::File &FFile;
  uint32_t FUnread; // stored bytes not yet read from the file
  const uint8_t *FWindow = nullptr;
  std::unique_ptr<uint8_t[]> FCopy; // the window where the file lends none
  uint32_t FPos = 0, FEnd = 0;
};

} // namespace

const char *ExtractErrorText(uint8_t Code) {
  switch (Code) {
  case ExtractOk:
    return "";
  case ExtractReadFailed:
    return "Failed to read file!";
  case ExtractBadBlock:
    return "Errors found in file!";
  case ExtractWriteFailed:
    return "Failed to write to destination!";
  case ExtractCrcMismatch:
    return "CRC check failed!";
  default:
    return "Errors found in file!";
  }
}

uint8_t ExtractEntry(platform::File &Package, const ExtractTarget &Target,
                     const TExtractProgress &Progress, package::TEntryHeader Header,
                     ExtractReport *Report) {
  uint8_t Error = ExtractOk;

  // The output file is replaced; a failure to create it shows as a write
  // failure at the first block.
  std::unique_ptr<platform::File> OutFile;
  platform::File *Out = Target.OutStream;
  if (!Out && Target.Files) {
    if (Target.Files->FileExists(Target.OutFileName))
      Target.Files->RemoveFile(Target.OutFileName);
    OutFile = Target.Files->Open(Target.OutFileName, platform::OpenMode::Create);
    Out = OutFile.get();
  }
  if (Out)
    Out->ClearError();

  if (Header.IsLinked()) {
    // The data, sizes and checksum are those of the header linked to.
    // The caller stands right after the entry's header, so the header is
    // the 282 bytes before: links may only point before it.
    const uint64_t Here = Package.Position();
    const uint64_t HeaderPosition =
        Here >= package::EntryHeaderSize ? Here - package::EntryHeaderSize : 0;
    uint64_t DataPosition = 0;
    package::TEntryHeader Data;
    Package.ClearError();
    if (!package::ResolveEntryLink(Package, HeaderPosition, Header, DataPosition, Data))
      Error = Package.Error() ? ExtractReadFailed : ExtractBadBlock;
    else if (!Package.Seek(DataPosition + package::EntryHeaderSize))
      Error = ExtractReadFailed;
    Header = Data;
  }

  uint32_t Total = 0;
  uint32_t Remaining = Header.PackedSize;
  uint32_t Crc = 0;
  bool Abort = false;     // as the progress procedure last set it
  bool StopAsked = false; // it asked to stop at some call
  if (Error == ExtractOk) {
    std::unique_ptr<uint8_t[]> Coded(new uint8_t[kBlockBufferSize]);
    std::unique_ptr<uint8_t[]> Plain(new uint8_t[kBlockBufferSize]);
    BlockStream Stream(Package, Remaining);
    do {
      // Every block must lie inside the entry's stored size: a stream whose
      // lengths do not add up is damaged, and reading on would decode the
      // entries after it.
      if (Remaining < 4) {
        Error = ExtractBadBlock;
        break;
      }
      uint8_t Scratch[4];
      const uint8_t *L = Stream.Take(4, Scratch);
      Remaining -= 4;
      if (!L) {
        Error = ExtractReadFailed;
        break;
      }
      const int32_t N = int32_t(uint32_t(L[0]) | uint32_t(L[1]) << 8 | uint32_t(L[2]) << 16 |
                                uint32_t(L[3]) << 24);
      if (N < 0 || uint32_t(N) > kMaxCodedBlock || uint32_t(N) > Remaining) {
        Error = ExtractBadBlock;
        break;
      }
      const uint8_t *Block = Stream.Take(uint32_t(N), Coded.get());
      Remaining -= uint32_t(N);
      if (!Block) {
        Error = ExtractReadFailed;
        break;
      }
      if (N == 0) // a zero length ends the data
        break;

      bool Damaged = false;
      const uint16_t M = DecompressBlock(Block, Plain.get(), uint16_t(N), kDecodeLimit, Damaged);
      if (Damaged) {
        // A block that does not decode inside its bounds cannot give the
        // entry's data: it fails as a checksum mismatch would.
        Error = ExtractCrcMismatch;
        break;
      }
      Total += M;
      if (Progress) {
        Progress(int32_t(Total), Abort);
        StopAsked = StopAsked || Abort;
      }
      if (!Out || Out->Write(Plain.get(), M) != M || Out->Error())
        Error = ExtractWriteFailed;
      Crc = UpdateCrc32(Plain.get(), M, Crc);
    } while (!Abort && Remaining != 0 && Error == ExtractOk);
  }
  Crc = FinishCrc32(Crc);
  if (Error == ExtractOk && Crc != Header.Crc)
    Error = ExtractCrcMismatch;

  if (Progress) {
    Progress(int32_t(Total), Abort);
    StopAsked = StopAsked || Abort;
  }
  // A corrupted output is never kept, whatever the progress procedure
  // answered last; nor is one whose extraction the caller stopped.
  if (OutFile) {
    OutFile.reset();
    if (StopAsked || Error == ExtractCrcMismatch)
      Target.Files->RemoveFile(Target.OutFileName);
  }
  if (Report) {
    Report->Total = int32_t(Total);
    Report->Stopped = StopAsked;
  }
  return Error;
}

} // namespace codec
