// Reading one package entry's data: a stream of blocks, each a 4-byte length
// and an LZRW1-KH block, decoded into a memory stream or a file and checked
// against the header's checksum.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "package/Package.h"
#include "platform/Platform.h"

namespace codec {

// Result codes of ExtractEntry.
enum : uint8_t {
  ExtractOk = 0,
  ExtractReadFailed = 1,  // "Failed to read file!"
  ExtractBadBlock = 2,    // "Errors found in file!"
  ExtractWriteFailed = 3, // "Failed to write to destination!"
  ExtractCrcMismatch = 4, // "CRC check failed!"
};

// The file installer's text for a result code; empty for ExtractOk.
const char *ExtractErrorText(uint8_t Code);

// Called after every decoded block with the bytes decoded so far, and once
// more at the end; setting Abort stops the extraction before the next block.
using TExtractProgress = std::function<void(int32_t Total, bool &Abort)>;

// Where the decoded bytes go: OutStream when given (a memory stream, or any
// open file, written at its position), else the file OutFileName, which is
// replaced.
struct ExtractTarget {
  platform::File *OutStream = nullptr;
  platform::FileSystem *Files = nullptr;
  std::string OutFileName;

  static ExtractTarget Stream(platform::File &Out) { return {&Out, nullptr, {}}; }
  static ExtractTarget FileNamed(platform::FileSystem &Files, const std::string &Name) {
    return {nullptr, &Files, Name};
  }
};

// What ExtractEntry did beyond its code.
struct ExtractReport {
  int32_t Total = 0;    // bytes decoded
  bool Stopped = false; // the progress procedure asked to stop: nothing was
                        // delivered (an output file is deleted), whatever
                        // the code says
};

// Decodes the entry whose header the caller has just read from Package,
// which stands right after that header (for a linked entry the data of the
// header it links to is read; that header must lie before the entry's own,
// which is taken to be the 282 bytes before the position). Afterwards
// Package stands after the data that was read. Returns the first error that
// occurred. An output file is deleted on a checksum mismatch or a damaged
// block (code 4) and whenever the progress procedure asked to stop; after
// codes 1, 2 and 3 the part written stays.
uint8_t ExtractEntry(platform::File &Package, const ExtractTarget &Target,
                     const TExtractProgress &Progress, package::TEntryHeader Header,
                     ExtractReport *Report = nullptr);

// Position of the header after the data entry whose header is at Position.
inline uint32_t NextEntryOffset(uint32_t Position, const package::TEntryHeader &Header) {
  return Position + package::EntryHeaderSize + (Header.LinkOffset ? 0 : Header.PackedSize);
}

} // namespace codec
