// The package readers over arbitrary bytes. With the first byte odd the
// input is a whole launcher file (PE headers, magic, script, entries);
// otherwise it is the entry area alone, placed after a stand-in for the
// script so that links can point back. Every walk runs, with the link
// resolution the extraction does for each entry it meets.
#include "package/Package.h"
#include "platform/MemoryFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  if (Size < 1)
    return 0;
  const bool WholeFile = Data[0] & 1;
  const bool AddUnInstaller = Data[0] & 2;
  std::vector<uint8_t> Bytes;
  if (!WholeFile)
    Bytes.assign(16, 'S');
  Bytes.insert(Bytes.end(), Data + 1, Data + Size);
  platform::MemoryFile F(std::move(Bytes));

  uint64_t Entries = 16;
  if (WholeFile) {
    package::PackageLayout Layout;
    std::string Script;
    if (package::OpenPackage(F, Layout, Script) != package::OpenPackageResult::Ok)
      return 0;
    if (Script.size() > Layout.ScriptLength)
      __builtin_trap();
    Entries = Layout.EntriesPosition;
  }

  uint64_t Resolved = 0;
  auto Resolve = [&F, &Resolved](uint64_t Pos, const package::TEntryHeader &H) {
    uint64_t DataPos = 0;
    package::TEntryHeader DataHeader;
    if (package::ResolveEntryLink(F, Pos, H, DataPos, DataHeader)) {
      if (DataPos > Pos || DataHeader.IsLinked())
        __builtin_trap();
      ++Resolved;
    }
    F.Seek(DataPos ^ Pos); // the walks must not depend on where an action leaves the file
    return true;
  };
  uint64_t FilesPosition = package::WalkPictures(F, Entries, Resolve);
  uint64_t Groups = package::ReadUninstaller(F, FilesPosition, AddUnInstaller, Resolve);
  std::vector<package::GroupIndexEntry> Index = package::BuildGroupIndex(F, Groups);
  for (size_t I = 1; I < Index.size(); ++I)
    if (Index[I].Position <= Index[I - 1].Position)
      __builtin_trap(); // the index only moves forward
  for (const package::GroupIndexEntry &G : Index) {
    uint64_t Pos = 0;
    if (!package::FindGroupPosition(Index, G.Name, Pos))
      __builtin_trap();
    package::WalkGroupFiles(F, G.Position, Resolve);
  }
  return 0;
}
