#include "platform/MemoryFile.h"

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
