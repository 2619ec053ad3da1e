#include "platform/MemoryFile.h"
#include "platform/ReadAheadFile.h"

#include <gtest/gtest.h>

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
