// ExtractEntry over arbitrary package bytes: the input is a 282-byte entry
// header followed by whatever comes, placed after a stand-in for the
// launcher's image so that links can point back. The output goes to a
// memory stream that stops taking bytes at a limit the input chooses, and
// the progress procedure stops the extraction when the input says so.
#include "codec/CompressedEntry.h"
#include "platform/MemoryFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  if (Size < package::EntryHeaderSize + 2)
    return 0;
  const uint8_t StopAt = Data[0];
  const uint32_t WriteLimit = uint32_t(Data[1]) << 10;
  Data += 2;
  Size -= 2;
  std::vector<uint8_t> Bytes(16, 'M');
  Bytes.insert(Bytes.end(), Data, Data + Size);
  platform::MemoryFile Package(std::move(Bytes));
  Package.Seek(16);
  package::TEntryHeader Header;
  package::ReadEntryHeader(Package, Header);

  platform::MemoryFile Out;
  if (WriteLimit)
    Out.SetWriteLimit(WriteLimit);
  int Calls = 0;
  codec::ExtractReport Report;
  const uint8_t Code = codec::ExtractEntry(
      Package, codec::ExtractTarget::Stream(Out),
      [&](int32_t, bool &Abort) {
        if (++Calls == StopAt)
          Abort = true;
      },
      Header, &Report);
  if (Code > codec::ExtractCrcMismatch || uint64_t(Report.Total) < Out.Size())
    std::abort();
  return 0;
}
