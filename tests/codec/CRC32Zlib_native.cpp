// The variant equals zlib's crc32 started from 0xFFFFFFFF: an independent
// reference for random data.
#include "codec/CRC32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

TEST(CRC32, AgreesWithZlibStartedFromAllOnes) {
  std::mt19937 Rng(99);
  for (int Round = 0; Round < 200; ++Round) {
    std::vector<uint8_t> Data(Rng() % 70000);
    for (auto &B : Data)
      B = uint8_t(Rng());
    const uLong Z = crc32(0xFFFFFFFFul, Data.data(), uInt(Data.size()));
    EXPECT_EQ(codec::Crc32Of(Data.data(), Data.size()), uint32_t(Z)) << Data.size();
  }
}
