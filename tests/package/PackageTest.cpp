#include <gtest/gtest.h>

#include <cstring>

#include "package/Package.h"
#include "platform/MemoryFile.h"

using namespace package;

namespace {

// Lays a package out in memory the way the authoring tool does.
struct PackageBuilder {
  // Entries never start at 0 (the script comes first), and a link offset of
  // 0 means no link.
  std::vector<uint8_t> Bytes = std::vector<uint8_t>(64, 'S');

  uint64_t Add(uint16_t Type, const std::string &Name, uint32_t DataSize = 0, uint32_t Link = 0) {
    TEntryHeader H;
    H.EntryType = Type;
    H.PackedSize = Link ? 0 : DataSize;
    H.UnpackedSize = Link ? 0 : DataSize;
    H.LinkOffset = Link;
    H.FileDate = -1;
    EXPECT_TRUE(H.SetName(Name));
    return AddHeader(H, DataSize);
  }
  uint64_t AddHeader(const TEntryHeader &H, uint32_t DataSize = 0) {
    uint64_t Pos = Bytes.size();
    EntryHeaderBytes B;
    EncodeEntryHeader(H, B);
    Bytes.insert(Bytes.end(), B.begin(), B.end());
    Bytes.insert(Bytes.end(), H.IsLinked() ? 0 : DataSize, uint8_t(0xAB));
    return Pos;
  }
  // A group header followed by its files; the next-group offset is patched
  // to the end of the group.
  uint64_t AddGroup(const std::string &Name, const std::vector<std::string> &Files) {
    TEntryHeader G;
    G.EntryType = EntryGroup;
    G.PackedSize = static_cast<uint32_t>(Files.size());
    G.FileDate = -1;
    G.SetName(Name);
    uint64_t Pos = AddHeader(G);
    for (const std::string &F : Files)
      Add(EntryFile, F, 10);
    PatchU32(Pos + 6, static_cast<uint32_t>(Bytes.size()));
    return Pos;
  }
  void PatchU32(uint64_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I)
      Bytes[At + I] = static_cast<uint8_t>(V >> (8 * I));
  }
  platform::MemoryFile File() const { return platform::MemoryFile(Bytes); }
};

// A package file whose next read fails once when armed, leaving the error
// pending as a failing disk or network read does.
class FlakyFile : public platform::MemoryFile {
public:
  using platform::MemoryFile::MemoryFile;
  bool FailNextRead = false;
  uint32_t Read(void *Buffer, uint32_t Count) override {
    if (!FailNextRead)
      return platform::MemoryFile::Read(Buffer, Count);
    FailNextRead = false;
    SetError();
    return 0;
  }
};

} // namespace

TEST(EntryHeader, EncodesEveryFieldLittleEndianAtItsOffset) {
  TEntryHeader H;
  H.EntryType = 0x0228;
  H.PackedSize = 0x11223344;
  H.UnpackedSize = 0x55667788;
  H.Crc = 0x99AABBCC;
  H.LinkOffset = 0xDDEEFF01;
  H.Version = 0x01020304;
  H.FileDate = -2;
  ASSERT_TRUE(H.SetName("\\%InstallDir%\\default.flt"));
  EntryHeaderBytes B;
  EncodeEntryHeader(H, B);
  const uint8_t Expected[26] = {0x28, 0x02, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66,
                                0x55, 0xCC, 0xBB, 0xAA, 0x99, 0x01, 0xFF, 0xEE, 0xDD,
                                0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0, std::memcmp(B.data(), Expected, sizeof Expected));
  EXPECT_EQ(25, B[26]);
  EXPECT_EQ(0, std::memcmp(&B[27], "\\%InstallDir%\\default.flt", 25));
  for (size_t I = 27 + 25; I < B.size(); ++I)
    ASSERT_EQ(0, B[I]) << I;

  TEntryHeader Back = DecodeEntryHeader(B);
  EXPECT_EQ(H.EntryType, Back.EntryType);
  EXPECT_EQ(H.PackedSize, Back.PackedSize);
  EXPECT_EQ(H.UnpackedSize, Back.UnpackedSize);
  EXPECT_EQ(H.Crc, Back.Crc);
  EXPECT_EQ(H.LinkOffset, Back.LinkOffset);
  EXPECT_EQ(H.Version, Back.Version);
  EXPECT_EQ(-2, Back.FileDate);
  EXPECT_EQ("\\%InstallDir%\\default.flt", Back.NameText());
}

TEST(EntryHeader, NamesAreBoundedByTheLengthByte) {
  TEntryHeader H;
  EXPECT_TRUE(H.SetName(std::string(255, 'x')));
  EXPECT_EQ(255u, H.NameText().size());
  EXPECT_FALSE(H.SetName(std::string(256, 'y')));
  EXPECT_EQ(std::string(255, 'x'), H.NameText()); // unchanged
  // Garbage after the name (not written by us) is not part of it.
  EntryHeaderBytes B{};
  B[26] = 3;
  std::memcpy(&B[27], "abcdef", 6);
  EXPECT_EQ("abc", DecodeEntryHeader(B).NameText());
}

TEST(EntryHeader, ShortReadIsAFailure) {
  PackageBuilder P;
  uint64_t At = P.Add(EntryBackground, "", 0);
  P.Bytes.resize(At + 200);
  platform::MemoryFile F = P.File();
  F.Seek(At);
  TEntryHeader H;
  EXPECT_FALSE(ReadEntryHeader(F, H));
  EXPECT_EQ(EntryBackground, H.EntryType);
}

TEST(PackageStart, SumsTheOptionalHeaderSizes) {
  std::vector<uint8_t> Image(1024, 0);
  Image[0] = 'M';
  Image[1] = 'Z';
  Image[60] = 0x80; // PE header at 128
  Image[128] = 'P';
  Image[129] = 'E';
  auto Put = [&Image](size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I)
      Image[At + I] = static_cast<uint8_t>(V >> (8 * I));
  };
  const size_t Opt = 128 + 24;
  Put(Opt + 4, 0x3000);  // SizeOfCode
  Put(Opt + 8, 0x1200);  // SizeOfInitializedData
  Put(Opt + 12, 0x0000); // SizeOfUninitializedData
  Put(Opt + 60, 0x400);  // SizeOfHeaders
  platform::MemoryFile F(Image);
  EXPECT_EQ(0x4600u, GetPackageStart(F));

  Image[129] = 'X';
  platform::MemoryFile NoPe(Image);
  EXPECT_EQ(0u, GetPackageStart(NoPe));
  Image[129] = 'E';
  Image[0] = 'Z';
  platform::MemoryFile NoMz(Image);
  EXPECT_EQ(0u, GetPackageStart(NoMz));
  // A PE offset beyond the file is a failed read, not a crash.
  Image[0] = 'M';
  Put(60, 0xFFFFFF00);
  platform::MemoryFile FarPe(Image);
  EXPECT_EQ(0u, GetPackageStart(FarPe));
  platform::MemoryFile Tiny(std::vector<uint8_t>{'M', 'Z'});
  EXPECT_EQ(0u, GetPackageStart(Tiny));
}

TEST(PackageOpen, MagicScriptLengthAndScript) {
  std::string Script = "[VemoInstall_File]\r\n[End]\r\n";
  std::vector<uint8_t> Bytes;
  auto Build = [&](const char *Magic, uint32_t Length, const std::string &Text) {
    Bytes.assign(Magic, Magic + 11);
    for (int I = 0; I < 4; ++I)
      Bytes.push_back(static_cast<uint8_t>(Length >> (8 * I)));
    Bytes.insert(Bytes.end(), Text.begin(), Text.end());
  };
  // No MZ: the package is looked for at 0.
  Build("VemoInstall", static_cast<uint32_t>(Script.size()), Script);
  platform::MemoryFile F(Bytes);
  PackageLayout L;
  std::string Read;
  ASSERT_EQ(OpenPackageResult::Ok, OpenPackage(F, L, Read));
  EXPECT_EQ(Script, Read);
  EXPECT_EQ(15 + Script.size(), L.EntriesPosition);

  Build("VEMOINSTALL", static_cast<uint32_t>(Script.size()), Script);
  platform::MemoryFile Upper(Bytes);
  EXPECT_EQ(OpenPackageResult::Corrupted, OpenPackage(Upper, L, Read));

  Build("VemoInstall", 0, "");
  platform::MemoryFile Empty(Bytes);
  EXPECT_EQ(OpenPackageResult::NothingToDo, OpenPackage(Empty, L, Read));

  // A length far beyond the file reads what is there and allocates no more.
  Build("VemoInstall", 0xFFFFFFF0u, Script);
  platform::MemoryFile Long(Bytes);
  ASSERT_EQ(OpenPackageResult::Ok, OpenPackage(Long, L, Read));
  EXPECT_EQ(Script, Read);
  EXPECT_EQ(15 + uint64_t(0xFFFFFFF0u), L.EntriesPosition);

  // A script longer than one piece of 1024 bytes arrives whole.
  std::string Big(5000, 'x');
  Build("VemoInstall", static_cast<uint32_t>(Big.size()), Big);
  platform::MemoryFile BigF(Bytes);
  ASSERT_EQ(OpenPackageResult::Ok, OpenPackage(BigF, L, Read));
  EXPECT_EQ(Big, Read);
}

TEST(PictureWalk, StopsWhereThePicturesEnd) {
  // No entries at all: stops at once, at the end of the file.
  PackageBuilder Empty;
  Empty.Bytes.assign(100, 0);
  platform::MemoryFile E = Empty.File();
  int Calls = 0;
  auto Count = [&Calls](uint64_t, const TEntryHeader &) { return ++Calls, true; };
  EXPECT_EQ(100u, WalkPictures(E, 100, Count));
  EXPECT_EQ(0, Calls);

  // Pictures, then the uninstaller and a group.
  PackageBuilder P;
  P.Bytes.assign(50, 0);
  P.Add(EntryBackground, "", 100);
  P.Add(EntryImageFrame,
        "Spinner\x01"
        "frame1.bmp",
        30);
  uint64_t Uninst = P.Add(EntryUninstaller, "Uninstaller", 20);
  P.AddGroup("Main", {"\\a.txt"});
  platform::MemoryFile F = P.File();
  std::vector<uint16_t> Types;
  uint64_t Stop = WalkPictures(F, 50, [&](uint64_t, const TEntryHeader &H) {
    Types.push_back(H.EntryType);
    F.Seek(0); // what the action does with the position does not matter
    return true;
  });
  EXPECT_EQ(Uninst, Stop);
  EXPECT_EQ((std::vector<uint16_t>{EntryBackground, EntryImageFrame}), Types);

  // A last picture header that ends the file is not walked.
  PackageBuilder Last;
  uint64_t LastStart = Last.Add(EntryPageLogo, "Welcome", 10);
  uint64_t End = Last.Add(EntryPageLogo, "Welcome", 0);
  platform::MemoryFile LF = Last.File();
  Calls = 0;
  EXPECT_EQ(End, WalkPictures(LF, LastStart, Count));
  EXPECT_EQ(1, Calls);
}

TEST(PictureWalk, LinkedLogosStepByTheHeaderOnly) {
  PackageBuilder P;
  uint64_t First = P.Add(EntryPageLogo, "Welcome", 500);
  for (const char *Name : {"DestinationDir", "ProgramFolder", "selectcomponents", "ReadyToInstall"})
    P.Add(EntryPageLogo, Name, 0, static_cast<uint32_t>(First));
  uint64_t Group = P.AddGroup("Main", {});
  platform::MemoryFile F = P.File();
  std::vector<uint64_t> DataAt;
  EXPECT_EQ(Group, WalkPictures(F, First, [&](uint64_t Pos, const TEntryHeader &H) {
              uint64_t DataPos;
              TEntryHeader DataHeader;
              EXPECT_TRUE(ResolveEntryLink(F, Pos, H, DataPos, DataHeader));
              EXPECT_EQ(500u, DataHeader.PackedSize);
              DataAt.push_back(DataPos);
              return true;
            }));
  EXPECT_EQ(std::vector<uint64_t>(5, First), DataAt);
  EXPECT_EQ(First + 282 + 500 + 4 * 282, Group);
}

TEST(EntryLinks, ChainsToEarlierHeadersOnly) {
  PackageBuilder P;
  uint64_t A = P.Add(EntryPageLogo, "Welcome", 40);
  uint64_t B = P.Add(EntryPageLogo, "ProgramFolder", 0, static_cast<uint32_t>(A));
  uint64_t C = P.Add(EntryPageLogo, "ReadyToInstall", 0, static_cast<uint32_t>(B));
  platform::MemoryFile F = P.File();
  TEntryHeader H, DataHeader;
  uint64_t DataPos = 0;
  // A link to a linked header leads on to the header that holds the data.
  F.Seek(C);
  ASSERT_TRUE(ReadEntryHeader(F, H));
  ASSERT_TRUE(ResolveEntryLink(F, C, H, DataPos, DataHeader));
  EXPECT_EQ(A, DataPos);
  EXPECT_EQ(40u, DataHeader.PackedSize);
  // Unlinked: itself.
  F.Seek(A);
  ReadEntryHeader(F, H);
  ASSERT_TRUE(ResolveEntryLink(F, A, H, DataPos, DataHeader));
  EXPECT_EQ(A, DataPos);

  TEntryHeader Bad;
  Bad.EntryType = EntryPageLogo;
  Bad.LinkOffset = static_cast<uint32_t>(C); // itself
  EXPECT_FALSE(ResolveEntryLink(F, C, Bad, DataPos, DataHeader));
  Bad.LinkOffset = static_cast<uint32_t>(C + 10); // forward
  EXPECT_FALSE(ResolveEntryLink(F, C, Bad, DataPos, DataHeader));
  Bad.LinkOffset = 5; // not a header: garbage type
  EXPECT_FALSE(ResolveEntryLink(F, C, Bad, DataPos, DataHeader));
}

TEST(EntryLinks, RefusesGroupHeadersAndOverlongChains) {
  PackageBuilder P;
  uint64_t G = P.AddGroup("Main", {});
  P.Add(EntryFile, "\\x", 0, static_cast<uint32_t>(G));
  platform::MemoryFile F = P.File();
  TEntryHeader H, DataHeader;
  uint64_t DataPos;
  F.Seek(G + 282);
  ReadEntryHeader(F, H);
  EXPECT_FALSE(ResolveEntryLink(F, G + 282, H, DataPos, DataHeader));

  PackageBuilder Long;
  uint64_t Prev = Long.Add(EntryFile, "\\x", 4);
  for (int I = 0; I < MaxLinkHops + 1; ++I)
    Prev = Long.Add(EntryFile, "\\x", 0, static_cast<uint32_t>(Prev));
  platform::MemoryFile LF = Long.File();
  LF.Seek(Prev);
  ReadEntryHeader(LF, H);
  EXPECT_FALSE(ResolveEntryLink(LF, Prev, H, DataPos, DataHeader));
  // One hop fewer is still followed.
  uint64_t Shorter = Prev - 282;
  LF.Seek(Shorter);
  ReadEntryHeader(LF, H);
  EXPECT_TRUE(ResolveEntryLink(LF, Shorter, H, DataPos, DataHeader));
  EXPECT_EQ(64u, DataPos);
}

TEST(GroupIndex, UninstallerThenGroups) {
  PackageBuilder P;
  uint64_t Uninst = P.Add(EntryUninstaller, "Uninstaller", 77);
  uint64_t G1 = P.AddGroup("Program Files", {"\\%InstallDir%\\a.exe", "\\%InstallDir%\\b.dll"});
  uint64_t G2 = P.AddGroup("Empty", {});
  uint64_t G3 = P.AddGroup("fonts", {"\\<FontsDir>\\x.ttf"});
  platform::MemoryFile F = P.File();

  int Calls = 0;
  uint64_t Start = ReadUninstaller(F, Uninst, true, [&](uint64_t Pos, const TEntryHeader &H) {
    EXPECT_EQ(Uninst, Pos);
    EXPECT_EQ(77u, H.PackedSize);
    return ++Calls, true;
  });
  EXPECT_EQ(1, Calls);
  EXPECT_EQ(G1, Start);
  // Without AddUnInstaller the header is not the uninstaller's to take, and
  // the group scan starts at it (and finds nothing).
  EXPECT_EQ(Uninst, ReadUninstaller(F, Uninst, false, nullptr));
  EXPECT_TRUE(BuildGroupIndex(F, Uninst).empty());

  std::vector<GroupIndexEntry> Index = BuildGroupIndex(F, Start);
  ASSERT_EQ(3u, Index.size());
  EXPECT_EQ("PROGRAM FILES", Index[0].Name);
  EXPECT_EQ(G2, Index[1].Position);
  EXPECT_EQ("FONTS", Index[2].Name);
  uint64_t Pos = 0;
  ASSERT_TRUE(FindGroupPosition(Index, "Fonts", Pos));
  EXPECT_EQ(G3, Pos);
  EXPECT_FALSE(FindGroupPosition(Index, "Font", Pos));

  // Without an uninstaller entry the groups start at the files position.
  EXPECT_EQ(G1, ReadUninstaller(F, G1, true, nullptr));
  // The end of the file: nothing there.
  EXPECT_TRUE(BuildGroupIndex(F, F.Size()).empty());
}

TEST(GroupIndex, DamagedNextOffsetsEndTheScan) {
  PackageBuilder P;
  uint64_t G1 = P.AddGroup("One", {"\\a"});
  uint64_t G2 = P.AddGroup("Two", {"\\b"});
  P.AddGroup("Three", {"\\c"});
  // Two points back at One: the chain would cycle.
  P.PatchU32(G2 + 6, static_cast<uint32_t>(G1));
  platform::MemoryFile Back = P.File();
  EXPECT_EQ(2u, BuildGroupIndex(Back, G1).size());
  // Pointing at itself, or inside its own header.
  P.PatchU32(G2 + 6, static_cast<uint32_t>(G2 + 100));
  platform::MemoryFile Inside = P.File();
  EXPECT_EQ(2u, BuildGroupIndex(Inside, G1).size());
  // Beyond the file.
  P.PatchU32(G2 + 6, 0xFFFFFFFF);
  platform::MemoryFile Far = P.File();
  EXPECT_EQ(2u, BuildGroupIndex(Far, G1).size());
}

TEST(GroupIndex, NamesWithEqualsSignsAreFoundWhole) {
  PackageBuilder P;
  uint64_t AB = P.AddGroup("A=B", {});
  uint64_t A = P.AddGroup("A", {});
  platform::MemoryFile F = P.File();
  std::vector<GroupIndexEntry> Index = BuildGroupIndex(F, AB);
  uint64_t Pos = 0;
  ASSERT_TRUE(FindGroupPosition(Index, "a", Pos));
  EXPECT_EQ(A, Pos); // not hidden by "A=B"
  ASSERT_TRUE(FindGroupPosition(Index, "a=b", Pos));
  EXPECT_EQ(AB, Pos);
  EXPECT_FALSE(IsValidGroupName("A=B"));
  EXPECT_TRUE(IsValidGroupName("Program Files"));
  EXPECT_FALSE(IsValidGroupName(std::string(256, 'g')));
}

TEST(GroupFiles, WalksPackedSizeFileEntries) {
  PackageBuilder P;
  uint64_t G = P.AddGroup("Main", {"\\d\\one", "\\d\\two", "\\d\\three"});
  P.AddGroup("Next", {"\\other"});
  platform::MemoryFile F = P.File();
  std::vector<std::string> Names;
  EXPECT_TRUE(WalkGroupFiles(F, G, [&](uint64_t, const TEntryHeader &H) {
    Names.push_back(H.NameText());
    F.Seek(F.Size()); // the walk steps by the header, not by the position left
    return true;
  }));
  EXPECT_EQ((std::vector<std::string>{"\\d\\one", "\\d\\two", "\\d\\three"}), Names);

  // Stop on request.
  Names.clear();
  WalkGroupFiles(F, G, [&](uint64_t, const TEntryHeader &H) {
    Names.push_back(H.NameText());
    return false;
  });
  EXPECT_EQ(1u, Names.size());

  // A count larger than the entries there stops at the first header that is
  // not a file: the next group's.
  P.PatchU32(G + 2, 1000);
  platform::MemoryFile More = P.File();
  Names.clear();
  WalkGroupFiles(More, G, [&](uint64_t, const TEntryHeader &H) {
    Names.push_back(H.NameText());
    return true;
  });
  EXPECT_EQ(3u, Names.size());

  // Not a group header: nothing.
  EXPECT_FALSE(WalkGroupFiles(F, G + 282, nullptr));
  EXPECT_FALSE(WalkGroupFiles(F, F.Size() + 5, nullptr));
}

TEST(EntryWalks, AReadFailureInOneEntrysDataDoesNotEndTheWalk) {
  // The action reads the entry's data, that read fails, and the caller goes
  // on (as after Ignore): the next header is read afresh.
  PackageBuilder P;
  uint64_t First = P.Add(EntryPageLogo, "Welcome", 40);
  P.Add(EntryPageLogo, "ProgramFolder", 40);
  uint64_t G = P.AddGroup("Main", {"\\a", "\\b", "\\c"});
  FlakyFile F(P.Bytes);
  bool FailFirst = true;
  auto ReadData = [&](uint64_t Pos, const TEntryHeader &H) {
    uint8_t Data[64];
    const bool Fails = FailFirst;
    F.FailNextRead = FailFirst;
    FailFirst = false;
    F.Seek(Pos + EntryHeaderSize);
    EXPECT_EQ(Fails ? 0u : H.PackedSize, F.Read(Data, H.PackedSize));
    EXPECT_EQ(Fails, F.Error());
    return true;
  };

  std::vector<std::string> Names;
  EXPECT_EQ(G, WalkPictures(F, First, [&](uint64_t Pos, const TEntryHeader &H) {
              Names.push_back(H.NameText());
              return ReadData(Pos, H);
            }));
  EXPECT_EQ((std::vector<std::string>{"Welcome", "ProgramFolder"}), Names);

  Names.clear();
  FailFirst = true;
  EXPECT_TRUE(WalkGroupFiles(F, G, [&](uint64_t Pos, const TEntryHeader &H) {
    Names.push_back(H.NameText());
    return ReadData(Pos, H);
  }));
  EXPECT_EQ((std::vector<std::string>{"\\a", "\\b", "\\c"}), Names);

  // A failure of the header read itself still ends the walk quietly.
  Names.clear();
  EXPECT_TRUE(WalkGroupFiles(F, G, [&](uint64_t, const TEntryHeader &H) {
    Names.push_back(H.NameText());
    F.FailNextRead = true; // the next header's read
    return true;
  }));
  EXPECT_EQ((std::vector<std::string>{"\\a"}), Names);
}
