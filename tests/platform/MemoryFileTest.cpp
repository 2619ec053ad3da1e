#include "platform/MemoryFile.h"
#include "platform/ReadAheadFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::MemoryFile;

TEST(MemoryFile, ReadsShortAtEndWithoutError) {
  MemoryFile f({1, 2, 3});
  uint8_t buf[8] = {};
  EXPECT_EQ(f.Read(buf, 8), 3u);
  EXPECT_FALSE(f.Error());
  EXPECT_EQ(buf[2], 3);
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.Read(buf, 1), 0u);
}

TEST(MemoryFile, WriteAfterSeekPastEndFillsGapAndLimitSetsError) {
  MemoryFile f;
  f.Seek(4);
  const uint8_t b[2] = {9, 8};
  EXPECT_EQ(f.Write(b, 2), 2u);
  ASSERT_EQ(f.Size(), 6u);
  EXPECT_EQ(f.Data()[0], 0);
  EXPECT_EQ(f.Data()[5], 8);
  f.SetWriteLimit(7);
  EXPECT_EQ(f.Write(b, 2), 1u);
  EXPECT_TRUE(f.Error());
  f.ClearError();
  EXPECT_FALSE(f.Error());
  f.Seek(2);
  f.Truncate();
  EXPECT_EQ(f.Size(), 2u);
}

TEST(ReadAheadFile, ReadsLikeItsSourceAndChargesAFailureOnlyToTheBytesAskedFor) {
  std::vector<uint8_t> Data(1000);
  for (size_t I = 0; I < Data.size(); ++I)
    Data[I] = uint8_t(I * 7);
  // Byte 600 cannot be read while Bad is set; every read that covers it
  // fails, and the source counts its reads.
  class Damaged : public MemoryFile {
  public:
    using MemoryFile::MemoryFile;
    bool Bad = true;
    int Reads = 0;
    uint32_t Read(void *Buffer, uint32_t Count) override {
      ++Reads;
      if (Bad && Position() <= 600 && 600 < Position() + Count) {
        SetError();
        return 0;
      }
      return MemoryFile::Read(Buffer, Count);
    }
  };
  Damaged Source(Data);
  platform::ReadAheadFile F(Source, 256);
  uint8_t Buf[300] = {};
  ASSERT_EQ(F.Read(Buf, 10), 10u);
  EXPECT_EQ(Buf[9], Data[9]);
  F.Seek(240);
  ASSERT_EQ(F.Read(Buf, 40), 40u) << "across the end of what is buffered";
  EXPECT_EQ(Buf[39], Data[279]);
  EXPECT_EQ(Source.Reads, 2);
  F.Seek(300);
  ASSERT_EQ(F.Read(Buf, 4), 4u) << "a seek inside the buffer reads nothing";
  EXPECT_EQ(Buf[0], Data[300]);
  EXPECT_EQ(Source.Reads, 2);
  // The read ahead from 500 covers the bad byte, the 50 bytes asked for do
  // not: they come, without an error.
  F.Seek(500);
  ASSERT_EQ(F.Read(Buf, 50), 50u);
  EXPECT_FALSE(F.Error());
  EXPECT_EQ(Buf[49], Data[549]);
  F.Seek(590);
  EXPECT_EQ(F.Read(Buf, 20), 0u);
  EXPECT_TRUE(F.Error()) << "the bytes asked for hold the bad one";
  F.ClearError();
  Source.Bad = false;
  F.Seek(590);
  ASSERT_EQ(F.Read(Buf, 20), 20u);
  EXPECT_EQ(Buf[10], Data[600]);
  // A read larger than the buffer, and the end of the file.
  F.Seek(700);
  EXPECT_EQ(F.Read(Buf, 300), 300u);
  EXPECT_EQ(Buf[299], Data[999]);
  EXPECT_EQ(F.Read(Buf, 10), 0u);
  EXPECT_FALSE(F.Error()) << "the end of the file is no error";
  EXPECT_EQ(F.Size(), 1000u);
  EXPECT_EQ(F.Write(Buf, 1), 0u);
}

// With the next buffer read on a second thread the reader answers every
// call as it does without: the same bytes, counts and error flags, through
// a long run of sequential reads, seeks back and ahead, reads larger than
// the buffer, reads in place, a byte that cannot be read and the file's end.
TEST(ReadAheadFile, ReadingAheadOnASecondThreadChangesNoAnswer) {
  std::vector<uint8_t> Data(200000);
  for (size_t I = 0; I < Data.size(); ++I)
    Data[I] = uint8_t(I * 131 + (I >> 9));
  const uint64_t Bad = 150001;
  class Damaged : public MemoryFile {
  public:
    using MemoryFile::MemoryFile;
    uint32_t Read(void *Buffer, uint32_t Count) override {
      if (Position() <= 150001 && 150001 < Position() + Count) {
        SetError();
        return 0;
      }
      return MemoryFile::Read(Buffer, Count);
    }
  };
  Damaged PlainSource(Data), AheadSource(Data);
  platform::ReadAheadFile Plain(PlainSource, 4096), Ahead(AheadSource, 4096, true);
  std::vector<uint8_t> A(10000), B(10000);
  uint32_t Seed = 12345, InPlace = 0, Failures = 0, Ends = 0;
  for (int Step = 0; Step < 30000; ++Step) {
    Seed = Seed * 1103515245u + 12345u;
    const uint32_t R = Seed >> 8;
    const uint64_t At = Plain.Position();
    ASSERT_EQ(Ahead.Position(), At) << "step " << Step;
    switch (R % 32) {
    case 0: // anywhere, now and then near the bad byte or the end
      At < Data.size() / 2 ? Plain.Seek(R % (Data.size() + 100)) : Plain.Seek(Bad - R % 6000);
      Ahead.Seek(Plain.Position());
      continue;
    case 1: // a little back
      Plain.Seek(At - std::min<uint64_t>(At, R % 300));
      Ahead.Seek(Plain.Position());
      continue;
    case 2: // a jump ahead over an entry's data
      Plain.Seek(At + R % 20000);
      Ahead.Seek(Plain.Position());
      continue;
    case 3: { // in place where the reader lends its buffer
      uint32_t Got = 0;
      const uint32_t Want = 1 + R % 6000;
      if (const uint8_t *P = Ahead.ReadInPlace(Want, Got)) {
        ++InPlace;
        ASSERT_TRUE(Got > 0 && Got <= Want);
        ASSERT_LE(At + Got, Data.size());
        ASSERT_TRUE(std::equal(P, P + Got, Data.begin() + At)) << "step " << Step;
        ASSERT_FALSE(Ahead.Error());
        Plain.Seek(At + Got);
        continue;
      }
      ASSERT_EQ(Got, 0u);
      ASSERT_EQ(Ahead.Position(), At) << "nothing moves where nothing is lent";
      break; // then the caller reads: below, as any read
    }
    default:
      break;
    }
    // Mostly pieces like a package's, now and then more than the buffer.
    const uint32_t Count = R % 9 == 0 ? 4096 + R % 5000 : R % 700;
    const uint32_t GotA = Plain.Read(A.data(), Count);
    const uint32_t GotB = Ahead.Read(B.data(), Count);
    ASSERT_EQ(Plain.Error(), Ahead.Error()) << "step " << Step << " at " << At;
    ASSERT_TRUE(std::equal(A.begin(), A.begin() + GotA, Data.begin() + At));
    ASSERT_TRUE(std::equal(B.begin(), B.begin() + GotB, Data.begin() + At));
    if (Plain.Error()) {
      // How much comes before the failure depends on where the buffers
      // happened to start; never the bad byte, nor anything after it.
      ASSERT_TRUE(At <= Bad && Bad < At + Count) << "only a read of the bad byte fails";
      ASSERT_LE(At + GotA, Bad);
      ASSERT_LE(At + GotB, Bad);
      ++Failures;
      Plain.ClearError();
      Ahead.ClearError();
      Ahead.Seek(Plain.Position());
      continue;
    }
    ASSERT_EQ(GotA, GotB) << "step " << Step << " at " << At << " count " << Count;
    Ends += GotA < Count;
  }
  EXPECT_GT(InPlace, 100u);
  EXPECT_GT(Failures, 10u);
  EXPECT_GT(Ends, 10u);
  EXPECT_EQ(Ahead.Size(), Data.size());
}
