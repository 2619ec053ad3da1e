#include "codec/CompressedEntry.h"
#include "codec/CRC32.h"
#include "codec/EntryWriter.h"
#include "codec/LZR.h"
#include "platform/MemoryFile.h"
#include "platform/ReadAheadFile.h"

#include "MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

using codec::ExtractEntry;
using codec::ExtractTarget;
using package::TEntryHeader;

namespace {

std::vector<uint8_t> Sample(size_t N, uint32_t Seed = 1) {
  // Compressible but not trivial: words from a small alphabet.
  std::mt19937 Rng(Seed);
  std::vector<uint8_t> V(N);
  for (auto &B : V)
    B = uint8_t('a' + Rng() % 6);
  return V;
}

void PutU32(std::vector<uint8_t> &V, uint32_t X) {
  for (int i = 0; i < 4; ++i)
    V.push_back(uint8_t(X >> (8 * i)));
}

// A package body in memory: entries appended one after another.
struct Package {
  // Offset 0 holds the launcher's image in a real package; a link offset of
  // 0 means "no link", so entries start after a stand-in.
  platform::MemoryFile F{std::vector<uint8_t>(64, 'M')};

  uint32_t AddHeader(TEntryHeader H, const std::string &Name) {
    const uint32_t Pos = uint32_t(F.Size());
    H.SetName(Name);
    F.Seek(Pos);
    EXPECT_TRUE(package::WriteEntryHeader(F, H));
    return Pos;
  }
  uint32_t Add(const std::vector<uint8_t> &Data, uint16_t Type = package::EntryFile) {
    const uint32_t Pos = uint32_t(F.Size());
    F.Seek(Pos + package::EntryHeaderSize);
    platform::MemoryFile Source(Data);
    codec::TLzrEncoder Encoder;
    codec::EncodedEntryInfo Info;
    EXPECT_EQ(codec::EncodeEntryData(Source, F, Encoder, Info), codec::EncodeResult::Ok);
    TEntryHeader H;
    H.EntryType = Type;
    H.PackedSize = Info.PackedSize;
    H.UnpackedSize = Info.UnpackedSize;
    H.Crc = Info.Crc;
    F.Seek(Pos);
    H.SetName("\\dir\\file.bin");
    EXPECT_TRUE(package::WriteEntryHeader(F, H));
    return Pos;
  }
  // An entry with a hand-made block stream and checksum.
  uint32_t AddRaw(const std::vector<uint8_t> &Stream, uint32_t Crc, uint32_t PackedSize) {
    TEntryHeader H;
    H.EntryType = package::EntryFile;
    H.PackedSize = PackedSize;
    H.Crc = Crc;
    const uint32_t Pos = AddHeader(H, "raw");
    F.Seek(F.Size());
    F.Write(Stream.data(), uint32_t(Stream.size()));
    return Pos;
  }
  uint32_t AddLink(uint32_t Target) {
    TEntryHeader H;
    H.EntryType = package::EntryPageLogo;
    H.LinkOffset = Target;
    return AddHeader(H, "Welcome");
  }
  TEntryHeader Header(uint32_t Pos) {
    TEntryHeader H;
    F.Seek(Pos);
    EXPECT_TRUE(package::ReadEntryHeader(F, H));
    return H;
  }
};

struct Calls {
  std::vector<int32_t> Totals;
  int StopAt = -1;          // call number (0-based) that sets Abort
  bool AssignFalse = false; // like a caller that writes its cancel flag into Abort
  codec::TExtractProgress Proc() {
    return [this](int32_t Total, bool &Abort) {
      if (AssignFalse)
        Abort = false;
      if (int(Totals.size()) == StopAt)
        Abort = true;
      Totals.push_back(Total);
    };
  }
};

} // namespace

TEST(ExtractEntry, DecodesIntoAStreamAndLeavesThePositionAfterTheData) {
  Package P;
  const auto Data = Sample(100000);
  const uint32_t A = P.Add(Data);
  const uint32_t B = P.Add(Sample(10, 2));
  platform::MemoryFile Out;
  Calls C;
  const TEntryHeader H = P.Header(A);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), C.Proc(), H), codec::ExtractOk);
  EXPECT_EQ(Out.Data(), Data);
  EXPECT_EQ(P.F.Position(), B);
  EXPECT_EQ(codec::NextEntryOffset(A, H), B);
  // One call per block (four of 32000 bytes or less) and one at the end.
  EXPECT_EQ(C.Totals, (std::vector<int32_t>{32000, 64000, 96000, 100000, 100000}));
}

TEST(ExtractEntry, EmptyFileIsOneZeroLength) {
  Package P;
  const uint32_t A = P.Add({});
  const TEntryHeader H = P.Header(A);
  EXPECT_EQ(H.PackedSize, 4u);
  EXPECT_EQ(H.Crc, 0xFFFFFFFFu);
  platform::MemoryFile Out;
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, H), codec::ExtractOk);
  EXPECT_TRUE(Out.Data().empty());
}

TEST(ExtractEntry, LinkedEntriesReadTheDataTheyLinkTo) {
  Package P;
  const auto Logo = Sample(40000, 5);
  const uint32_t A = P.Add(Logo, package::EntryPageLogo);
  const uint32_t L1 = P.AddLink(A);
  const uint32_t L2 = P.AddLink(L1); // a chain back to the data
  const uint32_t After = P.Add(Sample(5, 9));
  for (uint32_t L : {L1, L2}) {
    TEntryHeader H = P.Header(L);
    EXPECT_EQ(codec::NextEntryOffset(L, H), L + package::EntryHeaderSize);
    platform::MemoryFile Out;
    P.F.Seek(L + package::EntryHeaderSize); // where a reader stands after the header
    EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, H), codec::ExtractOk);
    EXPECT_EQ(Out.Data(), Logo);
    // After the linked-to data.
    const uint64_t End = P.F.Position();
    EXPECT_EQ(End, codec::NextEntryOffset(A, P.Header(A)));
  }
  // A link forward, to a sound data entry later in the file, or to itself
  // is damage, not data and not a loop.
  platform::MemoryFile Out;
  for (uint32_t Target : {After, L2, L1}) {
    TEntryHeader Bad = P.Header(L1);
    Bad.LinkOffset = Target;
    P.F.Seek(L1);
    package::WriteEntryHeader(P.F, Bad);
    EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, Bad), codec::ExtractBadBlock)
        << Target;
    EXPECT_TRUE(Out.Data().empty()) << Target;
  }
  TEntryHeader Good = P.Header(L1);
  Good.LinkOffset = A;
  P.F.Seek(L1);
  package::WriteEntryHeader(P.F, Good);
  // The linked-to header's checksum is the one checked.
  TEntryHeader Target = P.Header(A);
  Target.Crc ^= 1;
  P.F.Seek(A);
  package::WriteEntryHeader(P.F, Target);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, P.Header(L1)),
            codec::ExtractCrcMismatch);
}

TEST(ExtractEntry, BlockLengthLimits) {
  // 32100 bytes: a stored block of 32099 bytes is accepted.
  std::vector<uint8_t> Plain = Sample(32099, 3);
  std::vector<uint8_t> S;
  PutU32(S, 32100);
  S.push_back(codec::kStoredFlag);
  S.insert(S.end(), Plain.begin(), Plain.end());
  {
    Package P;
    const uint32_t A = P.AddRaw(S, codec::Crc32Of(Plain.data(), Plain.size()), uint32_t(S.size()));
    platform::MemoryFile Out;
    EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, P.Header(A)), codec::ExtractOk);
    EXPECT_EQ(Out.Data(), Plain);
  }
  for (uint32_t Bad : {32101u, 0xFFFFFFFFu, 0x80000000u}) {
    std::vector<uint8_t> T;
    PutU32(T, Bad);
    T.resize(40000, 0x80);
    Package P;
    const uint32_t A = P.AddRaw(T, 0, uint32_t(T.size()));
    platform::MemoryFile Out;
    EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, P.Header(A)),
              codec::ExtractBadBlock)
        << Bad;
    EXPECT_TRUE(Out.Data().empty());
  }
}

TEST(ExtractEntry, TruncatedPackageIsAReadFailure) {
  Package P;
  const auto Data = Sample(70000, 4);
  const uint32_t A = P.Add(Data);
  const TEntryHeader H = P.Header(A);
  for (uint64_t Cut : {uint64_t(10), uint64_t(H.PackedSize / 2), uint64_t(H.PackedSize - 1)}) {
    platform::MemoryFile Copy(P.F.Data());
    Copy.Data().resize(A + package::EntryHeaderSize + Cut);
    Copy.Seek(A + package::EntryHeaderSize);
    platform::MemoryFile Out;
    EXPECT_EQ(ExtractEntry(Copy, ExtractTarget::Stream(Out), {}, H), codec::ExtractReadFailed)
        << Cut;
  }
}

TEST(ExtractEntry, LengthsThatDoNotAddUpAreDamage) {
  // The entry claims fewer stored bytes than its first block holds: the
  // reader must not run on into the next entry.
  Package P;
  const uint32_t A = P.Add(Sample(50000, 6));
  const uint32_t B = P.Add(Sample(50000, 7));
  TEntryHeader H = P.Header(A);
  H.PackedSize = 100;
  platform::MemoryFile Out;
  P.F.Seek(A + package::EntryHeaderSize);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, H), codec::ExtractBadBlock);
  EXPECT_LE(P.F.Position(), B);
  H.PackedSize = 3; // not even a length
  P.F.Seek(A + package::EntryHeaderSize);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, H), codec::ExtractBadBlock);
}

TEST(ExtractEntry, DamagedBlockFailsAndLeavesNoFile) {
  // A copy reaching before the first output byte.
  std::vector<uint8_t> S;
  PutU32(S, 6);
  S.insert(S.end(), {0x40, 0x40, 0x00, 'a', 0x00, 0x20});
  Package P;
  const uint32_t A = P.AddRaw(S, 0, uint32_t(S.size()));
  codec_test::MemoryFileSystem Fs;
  Calls C;
  C.AssignFalse = true;
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "out.bin"), C.Proc(), P.Header(A)),
            codec::ExtractCrcMismatch);
  EXPECT_FALSE(Fs.FileExists("out.bin"));
}

TEST(ExtractEntry, ChecksumMismatchDeletesTheFileWhateverProgressAnswers) {
  Package P;
  const uint32_t A = P.Add(Sample(50000, 8));
  TEntryHeader H = P.Header(A);
  H.Crc ^= 0x100;
  codec_test::MemoryFileSystem Fs;
  Fs.Files["out.bin"] = std::make_shared<std::vector<uint8_t>>(3, 'x');
  Calls C;
  C.AssignFalse = true; // the installer's procedure writes its cancel flag into Abort
  P.F.Seek(A + package::EntryHeaderSize);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "out.bin"), C.Proc(), H),
            codec::ExtractCrcMismatch);
  EXPECT_FALSE(Fs.FileExists("out.bin"));
}

TEST(ExtractEntry, FileOutputReplacesAnExistingFile) {
  Package P;
  const auto Data = Sample(33000, 10);
  const uint32_t A = P.Add(Data);
  codec_test::MemoryFileSystem Fs;
  Fs.Files["out.bin"] = std::make_shared<std::vector<uint8_t>>(100000, 'x');
  codec::ExtractReport R;
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "out.bin"), {}, P.Header(A), &R),
            codec::ExtractOk);
  ASSERT_TRUE(Fs.FileExists("out.bin"));
  EXPECT_EQ(*Fs.Files["out.bin"], Data);
  EXPECT_EQ(R.Total, 33000);
  EXPECT_FALSE(R.Stopped);
}

TEST(ExtractEntry, StopOnTheFirstCall) {
  codec_test::MemoryFileSystem Fs;
  // One block: the data is complete, so the code is 0, but the file is gone
  // and the caller learns that nothing was delivered.
  {
    Package P;
    const uint32_t A = P.Add(Sample(1000, 11));
    Calls C;
    C.StopAt = 0;
    codec::ExtractReport R;
    EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "one.bin"), C.Proc(), P.Header(A), &R),
              codec::ExtractOk);
    EXPECT_TRUE(R.Stopped);
    EXPECT_FALSE(Fs.FileExists("one.bin"));
    EXPECT_EQ(C.Totals.size(), 2u);
  }
  // Several blocks: the partial data fails its checksum.
  {
    Package P;
    const uint32_t A = P.Add(Sample(100000, 12));
    Calls C;
    C.StopAt = 0;
    codec::ExtractReport R;
    EXPECT_EQ(
        ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "many.bin"), C.Proc(), P.Header(A), &R),
        codec::ExtractCrcMismatch);
    EXPECT_TRUE(R.Stopped);
    EXPECT_FALSE(Fs.FileExists("many.bin"));
    EXPECT_EQ(C.Totals, (std::vector<int32_t>{32000, 32000}));
  }
  // A stop asked only at the final call also withdraws the file.
  {
    Package P;
    const uint32_t A = P.Add(Sample(1000, 13));
    Calls C;
    C.StopAt = 1;
    codec::ExtractReport R;
    EXPECT_EQ(
        ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "last.bin"), C.Proc(), P.Header(A), &R),
        codec::ExtractOk);
    EXPECT_TRUE(R.Stopped);
    EXPECT_FALSE(Fs.FileExists("last.bin"));
  }
}

TEST(ExtractEntry, WriteFailures) {
  Package P;
  const uint32_t A = P.Add(Sample(100000, 14));
  const TEntryHeader H = P.Header(A);
  // A memory stream that stops taking bytes.
  platform::MemoryFile Out;
  Out.SetWriteLimit(40000);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::Stream(Out), {}, H), codec::ExtractWriteFailed);
  // A file that cannot be created.
  codec_test::MemoryFileSystem Fs;
  Fs.FailCreate = true;
  P.F.Seek(A + package::EntryHeaderSize);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "x.bin"), {}, H),
            codec::ExtractWriteFailed);
  EXPECT_FALSE(Fs.FileExists("x.bin"));
  // A disk that fills up: the part written stays, as after a read failure.
  Fs.FailCreate = false;
  Fs.WriteLimit = 50000;
  P.F.Seek(A + package::EntryHeaderSize);
  EXPECT_EQ(ExtractEntry(P.F, ExtractTarget::FileNamed(Fs, "x.bin"), {}, H),
            codec::ExtractWriteFailed);
  ASSERT_TRUE(Fs.FileExists("x.bin"));
  EXPECT_EQ(Fs.Files["x.bin"]->size(), 50000u);
}

TEST(ExtractEntry, ReadFailureKeepsThePartWritten) {
  Package P;
  const uint32_t A = P.Add(Sample(70000, 15));
  const TEntryHeader H = P.Header(A);
  platform::MemoryFile Cut(P.F.Data());
  Cut.Data().resize(Cut.Data().size() - 10);
  Cut.Seek(A + package::EntryHeaderSize);
  codec_test::MemoryFileSystem Fs;
  EXPECT_EQ(ExtractEntry(Cut, ExtractTarget::FileNamed(Fs, "p.bin"), {}, H),
            codec::ExtractReadFailed);
  ASSERT_TRUE(Fs.FileExists("p.bin"));
  EXPECT_EQ(Fs.Files["p.bin"]->size(), 64000u);
}

TEST(ExtractEntry, ErrorTexts) {
  EXPECT_STREQ(codec::ExtractErrorText(codec::ExtractReadFailed), "Failed to read file!");
  EXPECT_STREQ(codec::ExtractErrorText(codec::ExtractBadBlock), "Errors found in file!");
  EXPECT_STREQ(codec::ExtractErrorText(codec::ExtractWriteFailed),
               "Failed to write to destination!");
  EXPECT_STREQ(codec::ExtractErrorText(codec::ExtractCrcMismatch), "CRC check failed!");
}

namespace {

// A package file whose reads fail when they cover byte Bad.
class DamagedAt : public platform::MemoryFile {
public:
  DamagedAt(std::vector<uint8_t> Data, uint64_t Bad) : MemoryFile(std::move(Data)), FBad(Bad) {}
  uint32_t Read(void *Buffer, uint32_t Count) override {
    if (Position() <= FBad && FBad < Position() + Count) {
      SetError();
      return 0;
    }
    return MemoryFile::Read(Buffer, Count);
  }

private:
  uint64_t FBad;
};

struct Outcome {
  uint8_t Code;
  std::vector<uint8_t> Data;
  int32_t Total;
  uint64_t After; // the position the extraction leaves
  // Where the read fails, how much came before it depends on the pieces the
  // file was read in: the same code, and only bytes of the entry's data.
  bool Matches(const Outcome &Expected, const std::vector<uint8_t> &Whole) const {
    if (Code != Expected.Code)
      return false;
    if (Code == codec::ExtractOk)
      return Data == Expected.Data && Total == Expected.Total && After == Expected.After;
    return Data.size() <= Whole.size() && std::equal(Data.begin(), Data.end(), Whole.begin());
  }
};

// Every entry of the package extracted in turn from File, as the tool's test does.
std::vector<Outcome> ExtractAll(platform::File &File, const std::vector<uint32_t> &Entries,
                                Package &P) {
  std::vector<Outcome> Out;
  for (uint32_t Pos : Entries) {
    const TEntryHeader H = P.Header(Pos);
    File.ClearError();
    File.Seek(Pos + package::EntryHeaderSize);
    platform::MemoryFile Sink;
    codec::ExtractReport R;
    const uint8_t Code = ExtractEntry(File, ExtractTarget::Stream(Sink), {}, H, &R);
    Out.push_back({Code, Sink.Data(), R.Total, File.Position()});
  }
  return Out;
}

} // namespace

// The package read through a buffer, with or without the next buffer read on
// a second thread, gives every entry exactly what reading the file itself
// gives: a read failure inside one entry's data fails that entry and no
// other, and a file cut inside the last entry fails the last entry only.
TEST(ExtractEntry, ReadAheadChangesNothingAndChargesAFailureToItsEntry) {
  Package P;
  std::vector<uint32_t> Entries;
  std::vector<std::vector<uint8_t>> Data;
  for (size_t N : {300, 70000, 5, 9000, 40000, 0, 120000, 33000, 8000, 64000}) {
    Data.push_back(Sample(N, uint32_t(N + 3)));
    Entries.push_back(P.Add(Data.back()));
  }
  Entries.push_back(P.AddLink(Entries[4]));
  const size_t Damaged = 6; // the entry of 120000 bytes
  const uint64_t Bad = Entries[Damaged] + package::EntryHeaderSize + 30000;
  std::vector<uint8_t> Bytes = P.F.Data();
  std::vector<uint8_t> Cut(Bytes.begin(), Bytes.end() - 700);

  for (const auto &[Name, Image, BadAt] :
       {std::tuple{"a damaged byte", Bytes, Bad}, std::tuple{"a cut file", Cut, UINT64_MAX}}) {
    DamagedAt Plain(Image, BadAt);
    const std::vector<Outcome> Expected = ExtractAll(Plain, Entries, P);
    for (size_t i = 0; i < Expected.size(); ++i) {
      const bool Fails = BadAt != UINT64_MAX ? i == Damaged : i == Entries.size() - 2;
      EXPECT_EQ(Expected[i].Code, Fails ? codec::ExtractReadFailed : codec::ExtractOk)
          << Name << ", entry " << i;
      if (!Fails) {
        EXPECT_EQ(Expected[i].Data, Data[i < Data.size() ? i : 4]) << Name << ", entry " << i;
      }
    }
    for (bool OnSecondThread : {false, true}) {
      DamagedAt Source(Image, BadAt);
      // A small buffer: entries span many of them, and blocks their ends.
      platform::ReadAheadFile F(Source, 8192, OnSecondThread);
      const std::vector<Outcome> Got = ExtractAll(F, Entries, P);
      ASSERT_EQ(Got.size(), Expected.size());
      for (size_t i = 0; i < Got.size(); ++i)
        EXPECT_TRUE(Got[i].Matches(Expected[i], Data[i < Data.size() ? i : 4]))
            << Name << ", entry " << i << (OnSecondThread ? ", second thread" : "");
    }
  }
}
