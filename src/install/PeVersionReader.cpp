#include "install/PeVersionReader.h"

#include "install/FileVersion.h"

#include <algorithm>

namespace install {

namespace {

constexpr uint32_t RtVersion = 16;
constexpr uint32_t HighBit = 0x80000000u;

// Bounds-checked little-endian reads over an image; a read outside it fails.
class Bytes {
public:
  Bytes(const uint8_t *Data, size_t Size) : FData(Data), FSize(Size) {}
  size_t Size() const { return FSize; }
  bool Has(uint64_t Offset, uint64_t Count) const {
    return Offset <= FSize && Count <= FSize - Offset;
  }
  bool U16(uint64_t Offset, uint32_t &Out) const {
    if (!Has(Offset, 2))
      return false;
    Out = FData[Offset] | (FData[Offset + 1] << 8);
    return true;
  }
  bool U32(uint64_t Offset, uint32_t &Out) const {
    if (!Has(Offset, 4))
      return false;
    Out = uint32_t(FData[Offset]) | (uint32_t(FData[Offset + 1]) << 8) |
          (uint32_t(FData[Offset + 2]) << 16) | (uint32_t(FData[Offset + 3]) << 24);
    return true;
  }
  const uint8_t *At(uint64_t Offset) const { return FData + Offset; }

private:
  const uint8_t *FData;
  size_t FSize;
};

struct Section {
  uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
};

// Maps an RVA to a file offset inside a section's raw data.
bool RvaToOffset(const std::vector<Section> &Sections, const Bytes &Image, uint32_t Rva,
                 uint64_t &Offset) {
  for (const Section &S : Sections) {
    uint32_t Span = std::max(S.VirtualSize, S.RawSize);
    if (Rva >= S.VirtualAddress && Rva - S.VirtualAddress < Span) {
      uint32_t Delta = Rva - S.VirtualAddress;
      if (Delta >= S.RawSize)
        return false; // in the zero-filled tail: no file bytes there
      Offset = uint64_t(S.RawOffset) + Delta;
      return Offset < Image.Size();
    }
  }
  return false;
}

// One entry of a resource directory: its name or id and where it points.
struct DirEntry {
  uint32_t Name;
  uint32_t Target;
};

bool ReadDirectory(const Bytes &Image, uint64_t Base, uint64_t Offset,
                   std::vector<DirEntry> &Entries) {
  uint32_t Named, Ids;
  if (!Image.U16(Base + Offset + 12, Named) || !Image.U16(Base + Offset + 14, Ids))
    return false;
  uint64_t Count = uint64_t(Named) + Ids;
  uint64_t First = Base + Offset + 16;
  if (!Image.Has(First, Count * 8))
    return false;
  Entries.clear();
  for (uint64_t i = 0; i < Count; ++i) {
    DirEntry E;
    Image.U32(First + i * 8, E.Name);
    Image.U32(First + i * 8 + 4, E.Target);
    Entries.push_back(E);
  }
  return true;
}

// Picks the id entry Wanted, or failing that the first entry; Directory
// says whether the entry must lead to a further directory.
const DirEntry *PickEntry(const std::vector<DirEntry> &Entries, uint32_t Wanted, bool Directory) {
  const DirEntry *First = nullptr;
  for (const DirEntry &E : Entries) {
    if (((E.Target & HighBit) != 0) != Directory)
      continue;
    if (E.Name == Wanted)
      return &E;
    if (!First)
      First = &E;
  }
  return First;
}

// ---------------------------------------------------------------- the tree

uint32_t Align4(uint32_t Offset) {
  return (Offset + 3) & ~3u;
}

// A node of the VS_VERSIONINFO tree: wLength, wValueLength, wType, the key
// as 16-bit text, then the value and the children, each 32-bit aligned.
struct Node {
  uint32_t Start = 0, End = 0;
  uint32_t KeyStart = 0, KeyEnd = 0; // 16-bit units, no terminator
  uint32_t ValueStart = 0, ValueBytes = 0;
  bool Text = false;
  uint32_t ChildrenStart = 0;
};

bool ParseNode(const Bytes &B, uint32_t Start, uint32_t Limit, Node &N) {
  uint32_t Length, ValueLength, Type;
  if (!B.U16(Start, Length) || !B.U16(Start + 2, ValueLength) || !B.U16(Start + 4, Type))
    return false;
  if (Length < 6 || Start + uint64_t(Length) > Limit)
    return false;
  N.Start = Start;
  N.End = Start + Length;
  N.KeyStart = Start + 6;
  uint32_t P = N.KeyStart;
  uint32_t Unit = 1;
  while (P + 2 <= N.End && B.U16(P, Unit) && Unit != 0)
    P += 2;
  if (Unit != 0)
    return false; // the key has no terminator inside the node
  N.KeyEnd = P;
  N.ValueStart = std::min(Align4(P + 2), N.End);
  N.Text = Type == 1;
  uint64_t Bytes = N.Text ? uint64_t(ValueLength) * 2 : ValueLength;
  // Some resource compilers count text values in bytes; never run past the node.
  N.ValueBytes = uint32_t(std::min<uint64_t>(Bytes, N.End - N.ValueStart));
  N.ChildrenStart = std::min(Align4(N.ValueStart + N.ValueBytes), N.End);
  return true;
}

char UpperAscii(uint32_t C) {
  return C >= 'a' && C <= 'z' ? char(C - 32) : char(C);
}

bool KeyEquals(const Bytes &B, const Node &N, const std::string &Key) {
  if ((N.KeyEnd - N.KeyStart) / 2 != Key.size())
    return false;
  for (size_t i = 0; i < Key.size(); ++i) {
    uint32_t Unit = 0;
    B.U16(N.KeyStart + 2 * i, Unit);
    if (Unit > 0x7F || UpperAscii(Unit) != UpperAscii(uint8_t(Key[i])))
      return false;
  }
  return true;
}

bool FindChild(const Bytes &B, const Node &Parent, const std::string &Key, Node &Child) {
  uint32_t P = Parent.ChildrenStart;
  while (P + 6 <= Parent.End) {
    Node N;
    if (!ParseNode(B, P, Parent.End, N))
      return false;
    if (KeyEquals(B, N, Key)) {
      Child = N;
      return true;
    }
    P = Align4(N.End);
  }
  return false;
}

// The tree's length inside a block: the root's wLength, clamped.
uint32_t TreeLength(const std::vector<uint8_t> &Block) {
  if (Block.size() < 6)
    return 0;
  uint32_t Length = Block[0] | (Block[1] << 8);
  return Length;
}

} // namespace

bool FindPeVersionResource(const uint8_t *Data, size_t Size, std::vector<uint8_t> &Resource) {
  Bytes Image(Data, Size);
  uint32_t Mz, PeOffset, Signature;
  if (!Image.U16(0, Mz) || Mz != 0x5A4D || !Image.U32(0x3C, PeOffset))
    return false;
  if (!Image.U32(PeOffset, Signature) || Signature != 0x00004550)
    return false;
  uint64_t Coff = uint64_t(PeOffset) + 4;
  uint32_t SectionCount, OptionalSize, Magic;
  if (!Image.U16(Coff + 2, SectionCount) || !Image.U16(Coff + 16, OptionalSize))
    return false;
  uint64_t Optional = Coff + 20;
  if (!Image.U16(Optional, Magic))
    return false;
  uint64_t CountField, Directories;
  if (Magic == 0x10B) { // PE32
    CountField = Optional + 92;
    Directories = Optional + 96;
  } else if (Magic == 0x20B) { // PE32+
    CountField = Optional + 108;
    Directories = Optional + 112;
  } else {
    return false;
  }
  uint32_t DirectoryCount, ResourceRva, ResourceSize;
  if (!Image.U32(CountField, DirectoryCount) || DirectoryCount < 3)
    return false;
  if (Directories + 24 > Optional + OptionalSize)
    return false;
  if (!Image.U32(Directories + 16, ResourceRva) || !Image.U32(Directories + 20, ResourceSize) ||
      ResourceRva == 0)
    return false;

  std::vector<Section> Sections;
  uint64_t Table = Optional + OptionalSize;
  if (!Image.Has(Table, uint64_t(SectionCount) * 40))
    return false;
  for (uint32_t i = 0; i < SectionCount; ++i) {
    Section S;
    uint64_t At = Table + uint64_t(i) * 40;
    Image.U32(At + 8, S.VirtualSize);
    Image.U32(At + 12, S.VirtualAddress);
    Image.U32(At + 16, S.RawSize);
    Image.U32(At + 20, S.RawOffset);
    Sections.push_back(S);
  }

  uint64_t Base;
  if (!RvaToOffset(Sections, Image, ResourceRva, Base))
    return false;
  // Three levels: type, name, language. Offsets are relative to the start of
  // the resource directory; a directory link always carries the high bit, so
  // a loop back to a directory is cut by the fixed depth.
  std::vector<DirEntry> Entries;
  if (!ReadDirectory(Image, Base, 0, Entries))
    return false;
  const DirEntry *Type = PickEntry(Entries, RtVersion, true);
  if (!Type || Type->Name != RtVersion)
    return false;
  if (!ReadDirectory(Image, Base, Type->Target & ~HighBit, Entries))
    return false;
  const DirEntry *Name = PickEntry(Entries, 1, true);
  if (!Name)
    return false;
  if (!ReadDirectory(Image, Base, Name->Target & ~HighBit, Entries))
    return false;
  const DirEntry *Language = PickEntry(Entries, 0, false);
  if (!Language)
    return false;
  uint32_t DataRva, DataSize;
  uint64_t DataEntry = Base + Language->Target;
  if (!Image.U32(DataEntry, DataRva) || !Image.U32(DataEntry + 4, DataSize))
    return false;
  uint64_t DataOffset;
  if (!RvaToOffset(Sections, Image, DataRva, DataOffset) || !Image.Has(DataOffset, DataSize))
    return false;
  Resource.assign(Image.At(DataOffset), Image.At(DataOffset) + DataSize);
  return true;
}

bool MakeVersionBlock(const std::vector<uint8_t> &Resource, std::vector<uint8_t> &Block) {
  uint32_t Length = TreeLength(Resource);
  if (Length < 6 || Length > Resource.size())
    return false;
  Length &= ~1u;
  // The tree, then one narrow byte per 16-bit unit: the text value at tree
  // offset X is found as 8-bit text at Length + X / 2.
  Block.assign(Resource.begin(), Resource.begin() + Length);
  Block.resize(Length + Length / 2);
  for (uint32_t i = 0; i < Length / 2; ++i) {
    uint32_t Unit = Resource[2 * i] | (Resource[2 * i + 1] << 8);
    Block[Length + i] = Unit < 0x100 ? uint8_t(Unit) : uint8_t('?');
  }
  return true;
}

bool QueryVersionBlock(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                       const uint8_t *&Data, uint32_t &Length) {
  uint32_t Tree = TreeLength(Block) & ~1u;
  if (Tree < 6 || uint64_t(Tree) + Tree / 2 > Block.size())
    return false;
  Bytes B(Block.data(), Tree);
  Node Current;
  if (!ParseNode(B, 0, Tree, Current))
    return false;
  size_t Pos = 0;
  while (Pos < SubBlock.size()) {
    size_t Next = SubBlock.find('\\', Pos);
    if (Next == std::string::npos)
      Next = SubBlock.size();
    if (Next > Pos) {
      Node Child;
      if (!FindChild(B, Current, SubBlock.substr(Pos, Next - Pos), Child))
        return false;
      Current = Child;
    }
    Pos = Next + 1;
  }
  if (Current.Text) {
    if (Current.ValueStart % 2 != 0)
      return false;
    Data = Block.data() + Tree + Current.ValueStart / 2;
    Length = Current.ValueBytes / 2;
  } else {
    Data = Block.data() + Current.ValueStart;
    Length = Current.ValueBytes;
  }
  return true;
}

bool ReadPackedVersionFromPe(const std::vector<uint8_t> &Image, uint32_t &Packed) {
  Packed = 0;
  std::vector<uint8_t> Resource, Block;
  if (!FindPeVersionResource(Image.data(), Image.size(), Resource) ||
      !MakeVersionBlock(Resource, Block))
    return false;
  // The same reader serves as the version services, without a file system.
  class BlockOnly : public platform::VersionInfo {
  public:
    bool GetOsVersion(platform::OsVersionInfo &) override { return false; }
    bool LoadFileVersionBlock(const std::string &, std::vector<uint8_t> &) override {
      return false;
    }
    bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                    const uint8_t *&Data, uint32_t &Length) override {
      return QueryVersionBlock(Block, SubBlock, Data, Length);
    }
  } Version;
  VersionTranslation Translation;
  if (!ReadTranslation(Version, Block, Translation))
    return false;
  Packed = PackVersionText(ReadVersionString(Version, Block, Translation, "FileVersion"));
  return true;
}

bool PeVersionInfo::GetOsVersion(platform::OsVersionInfo &) {
  return false;
}

bool PeVersionInfo::LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) {
  std::vector<uint8_t> Image, Resource;
  if (!ReadWholeFile(FFiles, Path, Image))
    return false;
  return FindPeVersionResource(Image.data(), Image.size(), Resource) &&
         MakeVersionBlock(Resource, Block);
}

bool PeVersionInfo::QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                               const uint8_t *&Data, uint32_t &Length) {
  return QueryVersionBlock(Block, SubBlock, Data, Length);
}

bool ReadWholeFile(platform::FileSystem &Files, const std::string &Path, std::vector<uint8_t> &Data,
                   uint64_t MaxSize) {
  std::unique_ptr<platform::File> F = Files.Open(Path, platform::OpenMode::Read);
  if (!F)
    return false;
  uint64_t Size = F->Size();
  if (Size > MaxSize)
    return false;
  Data.resize(Size);
  uint64_t Done = 0;
  while (Done < Size) {
    uint32_t Chunk = uint32_t(std::min<uint64_t>(Size - Done, 1u << 24));
    uint32_t Got = F->Read(Data.data() + Done, Chunk);
    if (Got == 0)
      break;
    Done += Got;
  }
  if (Done != Size || F->Error()) {
    Data.clear();
    return false;
  }
  return true;
}

} // namespace install
