// Round trips of real files found on the machine, block by block.
#include "codec/LZR.h"
#include "codec/LZREncoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

TEST(LZREncode, RoundTripsOfRealFiles) {
  const char *Files[] = {"/proc/self/exe", "/usr/bin/cmake", "/etc/services",
                         TC_TEST_DATA "/../../src/codec/LZR.cpp"};
  codec::TLzrEncoder Encoder;
  int Seen = 0;
  for (const char *Path : Files) {
    std::ifstream In(Path, std::ios::binary);
    if (!In)
      continue;
    std::vector<uint8_t> Data((std::istreambuf_iterator<char>(In)), {});
    if (Data.size() > 4000000)
      Data.resize(4000000);
    ++Seen;
    std::vector<uint8_t> Block(codec::kMaxCodedBlock),
        Out(codec::kDecodeLimit + codec::kDecodeSlack);
    size_t Coded = 0;
    for (size_t Pos = 0; Pos < Data.size(); Pos += codec::kBlockInput) {
      const uint32_t N = uint32_t(std::min<size_t>(codec::kBlockInput, Data.size() - Pos));
      const uint32_t B = Encoder.EncodeBlock(Data.data() + Pos, N, Block.data());
      ASSERT_LE(B, codec::kMaxCodedBlock);
      Coded += B;
      bool Damaged = true;
      const uint16_t M = codec::DecompressBlock(Block.data(), Out.data(), uint16_t(B),
                                                codec::kDecodeLimit, Damaged);
      ASSERT_FALSE(Damaged) << Path << " at " << Pos;
      ASSERT_EQ(M, N) << Path << " at " << Pos;
      ASSERT_EQ(0, memcmp(Out.data(), Data.data() + Pos, N)) << Path << " at " << Pos;
    }
    EXPECT_LT(Coded, Data.size()) << Path; // these files all compress
  }
  EXPECT_GE(Seen, 2);
}
