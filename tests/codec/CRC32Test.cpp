#include "codec/CRC32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

uint32_t ByteWise(const uint8_t *P, size_t N, uint32_t Crc) {
  for (size_t i = 0; i < N; ++i)
    Crc = codec::UpdateCrc32(P[i], Crc);
  return Crc;
}

} // namespace

TEST(CRC32, KnownValuesOfThisVariant) {
  EXPECT_EQ(codec::Crc32Table[1], 0x77073096u);
  EXPECT_EQ(codec::Crc32Table[255], 0x2D02EF8Du);
  EXPECT_EQ(codec::Crc32Of("", 0), 0xFFFFFFFFu);
  EXPECT_EQ(codec::FinishCrc32(0), 0xFFFFFFFFu);
  EXPECT_EQ(codec::Crc32Of("abc", 3), 0x359A672Fu); // the common CRC-32 gives 0x352441C2
  const uint8_t Abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(codec::FinishCrc32(ByteWise(Abc, 3, 0)), 0x359A672Fu);
}

TEST(CRC32, WholeBufferFormMatchesByteFormAtAnySplit) {
  std::mt19937 Rng(1);
  std::vector<uint8_t> Data(5000);
  for (auto &B : Data)
    B = uint8_t(Rng());
  for (size_t Start : {0, 1, 3, 7}) {
    for (size_t Len : {0, 1, 7, 8, 9, 15, 16, 17, 63, 4096, 4993}) {
      const uint8_t *P = Data.data() + Start;
      EXPECT_EQ(codec::UpdateCrc32(P, Len, 0x12345678), ByteWise(P, Len, 0x12345678))
          << Start << "+" << Len;
    }
  }
  // Blocks of any size carry the running value across.
  const uint32_t Whole = codec::UpdateCrc32(Data.data(), Data.size(), 0);
  uint32_t Split = 0;
  for (size_t Pos = 0; Pos < Data.size();) {
    const size_t N = std::min<size_t>(1 + Rng() % 700, Data.size() - Pos);
    Split = codec::UpdateCrc32(Data.data() + Pos, N, Split);
    Pos += N;
  }
  EXPECT_EQ(Split, Whole);
}

// Every way the checksum can be computed gives the plain result, from any
// start and for every length around the folding's 16- and 64-byte steps.
// The folded way is tested where the processor has it; elsewhere it must
// still answer, through the tables.
TEST(CRC32, EveryPathMatchesThePlainOneAtAnyStartAndLength) {
  std::mt19937 Rng(7);
  std::vector<uint8_t> Data(1200);
  for (auto &B : Data)
    B = uint8_t(Rng());
  using Path = uint32_t (*)(const void *, size_t, uint32_t);
  const std::pair<const char *, Path> Paths[] = {{"sliced", codec::UpdateCrc32Sliced},
                                                 {"folded", codec::UpdateCrc32Folded},
                                                 {"chosen", codec::UpdateCrc32}};
  for (const auto &[Name, F] : Paths)
    for (size_t Start = 0; Start < 16; ++Start)
      for (size_t Len = 0; Len + Start <= 1100; Len += (Len < 300 ? 1 : 37)) {
        const uint8_t *P = Data.data() + Start;
        const uint32_t Seed = uint32_t(Rng());
        ASSERT_EQ(F(P, Len, Seed), ByteWise(P, Len, Seed)) << Name << " " << Start << "+" << Len;
      }
  // All-zero and all-ones data, where a wrong fold constant would still
  // often give a plausible value.
  for (uint8_t Fill : {uint8_t(0), uint8_t(0xFF)}) {
    std::vector<uint8_t> Same(4096 + 48, Fill);
    EXPECT_EQ(codec::UpdateCrc32Folded(Same.data(), Same.size(), 0),
              ByteWise(Same.data(), Same.size(), 0));
  }
  std::printf("folding %s on this processor\n",
              codec::Crc32FoldingAvailable() ? "tested" : "not available, tables tested");
}
