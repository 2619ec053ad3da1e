#include "package/Package.h"

#include <algorithm>
#include <cstring>

namespace package {

namespace {

uint32_t GetU32(const uint8_t *P) {
  return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 |
         static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[3]) << 24;
}

void PutU32(uint8_t *P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
  P[2] = static_cast<uint8_t>(V >> 16);
  P[3] = static_cast<uint8_t>(V >> 24);
}

bool ReadAt(platform::File &F, uint64_t Position, void *Buffer, uint32_t Count) {
  if (!F.Seek(Position))
    return false;
  return F.Read(Buffer, Count) == Count && !F.Error();
}

bool IsPicture(uint16_t Type) {
  return Type == EntryBackground || Type == EntryImageFrame || Type == EntryPageLogo;
}

bool HoldsData(uint16_t Type) {
  return IsPicture(Type) || Type == EntryUninstaller || Type == EntryFile;
}

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = static_cast<char>(C - 'a' + 'A');
  return S;
}

} // namespace

std::string TEntryHeader::NameText() const {
  return std::string(reinterpret_cast<const char *>(Name.data()) + 1, Name[0]);
}

bool TEntryHeader::SetName(const std::string &Text) {
  if (Text.size() > MaxEntryNameLength)
    return false;
  Name.fill(0);
  Name[0] = static_cast<uint8_t>(Text.size());
  std::memcpy(Name.data() + 1, Text.data(), Text.size());
  return true;
}

void EncodeEntryHeader(const TEntryHeader &H, EntryHeaderBytes &B) {
  B[0] = static_cast<uint8_t>(H.EntryType);
  B[1] = static_cast<uint8_t>(H.EntryType >> 8);
  PutU32(&B[2], H.PackedSize);
  PutU32(&B[6], H.UnpackedSize);
  PutU32(&B[10], H.Crc);
  PutU32(&B[14], H.LinkOffset);
  PutU32(&B[18], H.Version);
  PutU32(&B[22], static_cast<uint32_t>(H.FileDate));
  std::memcpy(&B[26], H.Name.data(), EntryNameFieldSize);
}

TEntryHeader DecodeEntryHeader(const EntryHeaderBytes &B) {
  TEntryHeader H;
  H.EntryType = static_cast<uint16_t>(B[0] | B[1] << 8);
  H.PackedSize = GetU32(&B[2]);
  H.UnpackedSize = GetU32(&B[6]);
  H.Crc = GetU32(&B[10]);
  H.LinkOffset = GetU32(&B[14]);
  H.Version = GetU32(&B[18]);
  H.FileDate = static_cast<int32_t>(GetU32(&B[22]));
  std::memcpy(H.Name.data(), &B[26], EntryNameFieldSize);
  return H;
}

bool ReadEntryHeader(platform::File &F, TEntryHeader &Header) {
  EntryHeaderBytes B{};
  uint32_t Got = F.Read(B.data(), EntryHeaderSize);
  Header = DecodeEntryHeader(B);
  return Got == EntryHeaderSize && !F.Error();
}

bool WriteEntryHeader(platform::File &F, const TEntryHeader &Header) {
  EntryHeaderBytes B;
  EncodeEntryHeader(Header, B);
  return F.Write(B.data(), EntryHeaderSize) == EntryHeaderSize && !F.Error();
}

uint64_t NextEntryPosition(uint64_t Position, const TEntryHeader &Header) {
  return Position + EntryHeaderSize + (Header.IsLinked() ? 0 : Header.PackedSize);
}

bool ResolveEntryLink(platform::File &F, uint64_t Position, const TEntryHeader &Header,
                      uint64_t &DataPosition, TEntryHeader &DataHeader) {
  uint64_t Pos = Position;
  TEntryHeader H = Header;
  for (int Hops = 0; H.IsLinked(); ++Hops) {
    // Only strictly earlier headers: a link to itself or forward is damage
    // and would otherwise loop.
    if (Hops >= MaxLinkHops || H.LinkOffset >= Pos)
      return false;
    Pos = H.LinkOffset;
    if (!F.Seek(Pos) || !ReadEntryHeader(F, H))
      return false;
    if (!HoldsData(H.EntryType))
      return false;
  }
  DataPosition = Pos;
  DataHeader = H;
  return true;
}

uint32_t GetPackageStart(platform::File &F) {
  uint8_t Dos[64];
  if (!ReadAt(F, 0, Dos, sizeof Dos) || Dos[0] != 'M' || Dos[1] != 'Z')
    return 0;
  // 4 bytes of signature, 20 of file header, then the optional header.
  uint8_t Pe[120];
  if (!ReadAt(F, GetU32(&Dos[60]), Pe, sizeof Pe) || Pe[0] != 'P' || Pe[1] != 'E')
    return 0;
  const uint8_t *Opt = Pe + 24;
  return GetU32(Opt + 4) + GetU32(Opt + 8) + GetU32(Opt + 12) + GetU32(Opt + 60);
}

bool CheckPackageMagic(platform::File &F, uint64_t Position) {
  char Magic[PackageMagicSize];
  return ReadAt(F, Position, Magic, PackageMagicSize) &&
         std::memcmp(Magic, PackageMagic, PackageMagicSize) == 0;
}

OpenPackageResult OpenPackage(platform::File &F, PackageLayout &Layout, std::string &Script) {
  Script.clear();
  Layout = PackageLayout();
  Layout.Start = GetPackageStart(F);
  if (!CheckPackageMagic(F, Layout.Start))
    return OpenPackageResult::Corrupted;
  uint8_t Len[4] = {};
  F.Read(Len, 4);
  Layout.ScriptLength = GetU32(Len);
  if (Layout.ScriptLength == 0)
    return OpenPackageResult::NothingToDo;
  Layout.EntriesPosition = uint64_t(Layout.Start) + PackageMagicSize + 4 + Layout.ScriptLength;
  // Room for the script at once (a large package's runs to megabytes), but
  // never for more than the file holds: the length may be damaged.
  const uint64_t Here = F.Position(), Size = F.Size();
  if (Size > Here)
    Script.reserve(size_t(std::min<uint64_t>(Layout.ScriptLength, Size - Here)));
  char Piece[1024];
  uint64_t Requested = 0;
  while (Requested < Layout.ScriptLength) {
    uint32_t Want =
        static_cast<uint32_t>(std::min<uint64_t>(sizeof Piece, Layout.ScriptLength - Requested));
    uint32_t Got = F.Read(Piece, Want);
    Script.append(Piece, Got);
    Requested += Want;
    if (Got < Want)
      break; // the rest of the requests would fall short as well
  }
  F.ClearError();
  return OpenPackageResult::Ok;
}

uint64_t WalkPictures(platform::File &F, uint64_t Position, const EntryAction &OnPicture) {
  uint64_t Pos = Position;
  for (;;) {
    TEntryHeader H;
    // An error left by the previous entry's data (a picture that failed to
    // read) must not end the walk: only this header's read counts.
    F.ClearError();
    if (!F.Seek(Pos) || !ReadEntryHeader(F, H)) {
      F.ClearError();
      break;
    }
    if (!IsPicture(H.EntryType) || F.Eof())
      break;
    uint64_t Next = NextEntryPosition(Pos, H);
    bool Go = !OnPicture || OnPicture(Pos, H);
    Pos = Next;
    if (!Go)
      break;
  }
  return Pos;
}

uint64_t ReadUninstaller(platform::File &F, uint64_t FilesPosition, bool AddUnInstaller,
                         const EntryAction &OnUninstaller) {
  TEntryHeader H;
  F.ClearError();
  if (!F.Seek(FilesPosition) || !ReadEntryHeader(F, H)) {
    F.ClearError();
    return FilesPosition;
  }
  if (H.EntryType != EntryUninstaller || !AddUnInstaller)
    return FilesPosition;
  if (OnUninstaller)
    OnUninstaller(FilesPosition, H);
  return NextEntryPosition(FilesPosition, H);
}

std::vector<GroupIndexEntry> BuildGroupIndex(platform::File &F, uint64_t Position) {
  std::vector<GroupIndexEntry> Index;
  uint64_t Pos = Position;
  uint64_t Size = F.Size();
  for (;;) {
    TEntryHeader H;
    F.ClearError();
    if (!F.Seek(Pos) || !ReadEntryHeader(F, H) || H.EntryType != EntryGroup) {
      F.ClearError();
      break;
    }
    Index.push_back({Upper(H.NameText()), Pos});
    uint64_t Next = H.UnpackedSize;
    // A next-group offset has to step past this header and stay in the file;
    // anything else is a damaged chain that could loop.
    if (Next < Pos + EntryHeaderSize || Next >= Size)
      break;
    Pos = Next;
  }
  return Index;
}

bool FindGroupPosition(const std::vector<GroupIndexEntry> &Index, const std::string &Name,
                       uint64_t &Position) {
  std::string Key = Upper(Name);
  for (const GroupIndexEntry &E : Index)
    if (E.Name == Key) {
      Position = E.Position;
      return true;
    }
  return false;
}

bool IsValidGroupName(const std::string &Name) {
  return Name.size() <= MaxEntryNameLength && Name.find('=') == std::string::npos;
}

bool WalkGroupFiles(platform::File &F, uint64_t GroupPosition, const EntryAction &OnFile) {
  TEntryHeader G;
  F.ClearError();
  if (!F.Seek(GroupPosition) || !ReadEntryHeader(F, G) || G.EntryType != EntryGroup) {
    F.ClearError();
    return false;
  }
  uint64_t Pos = GroupPosition + EntryHeaderSize;
  for (uint32_t I = 0; I < G.PackedSize; ++I) {
    TEntryHeader H;
    // A file whose data failed to read and was ignored leaves the error
    // pending; the next file's header is read afresh.
    F.ClearError();
    if (!F.Seek(Pos) || !ReadEntryHeader(F, H) || H.EntryType != EntryFile) {
      F.ClearError();
      break;
    }
    bool Go = !OnFile || OnFile(Pos, H);
    // Step by the header itself, whatever the action did with the position.
    Pos = Pos + EntryHeaderSize + H.PackedSize;
    if (!Go)
      break;
  }
  return true;
}

} // namespace package
