#include "codec/CompressedEntry.h"

#include <memory>

#include "codec/CRC32.h"
#include "codec/LZR.h"

namespace codec {

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
    do {
      // Every block must lie inside the entry's stored size: a stream whose
      // lengths do not add up is damaged, and reading on would decode the
      // entries after it.
      if (Remaining < 4) {
        Error = ExtractBadBlock;
        break;
      }
      Package.ClearError();
      uint8_t L[4];
      const uint32_t GotLength = Package.Read(L, 4);
      Remaining -= 4;
      if (GotLength != 4 || Package.Error()) {
        Error = ExtractReadFailed;
        break;
      }
      const int32_t N = int32_t(uint32_t(L[0]) | uint32_t(L[1]) << 8 | uint32_t(L[2]) << 16 |
                                uint32_t(L[3]) << 24);
      if (N < 0 || uint32_t(N) > kMaxCodedBlock || uint32_t(N) > Remaining) {
        Error = ExtractBadBlock;
        break;
      }
      const uint32_t Got = Package.Read(Coded.get(), uint32_t(N));
      Remaining -= uint32_t(N);
      if (Got != uint32_t(N) || Package.Error()) {
        Error = ExtractReadFailed;
        break;
      }
      if (N == 0) // a zero length ends the data
        break;

      bool Damaged = false;
      const uint16_t M =
          DecompressBlock(Coded.get(), Plain.get(), uint16_t(N), kDecodeLimit, Damaged);
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
