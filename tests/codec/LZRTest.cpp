#include "codec/LZR.h"
#include "codec/LZREncoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using codec::DecompressBlock;

namespace {

// Decodes with buffers of exactly the block's size and the limit with its
// slack, so that any read or write outside them shows under the address
// sanitizer.
std::vector<uint8_t> Decode(const std::vector<uint8_t> &Block, bool &Damaged,
                            uint16_t Limit = codec::kDecodeLimit) {
  std::vector<uint8_t> Src(Block);
  std::vector<uint8_t> Dst(Limit + codec::kDecodeSlack);
  const uint16_t N = DecompressBlock(Src.data(), Dst.data(), uint16_t(Src.size()), Limit, Damaged);
  EXPECT_LE(N, Limit + codec::kDecodeSlack);
  Dst.resize(N);
  return Dst;
}

std::vector<uint8_t> Decode(const std::vector<uint8_t> &Block) {
  bool Damaged = true;
  auto Out = Decode(Block, Damaged);
  EXPECT_FALSE(Damaged);
  return Out;
}

std::vector<uint8_t> Bytes(const std::string &S) {
  return {S.begin(), S.end()};
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t> &Data, uint32_t *BlockSize = nullptr) {
  codec::TLzrEncoder Encoder;
  std::vector<uint8_t> Block(Data.size() + 1);
  const uint32_t N = Encoder.EncodeBlock(Data.data(), uint32_t(Data.size()), Block.data());
  EXPECT_GE(N, 1u);
  EXPECT_LE(N, Data.size() + 1);
  if (Data.size() <= codec::kBlockInput) {
    EXPECT_LE(N, codec::kMaxCodedBlock);
  }
  Block.resize(N);
  if (BlockSize)
    *BlockSize = N;
  return Decode(Block);
}

std::vector<uint8_t> RandomBytes(size_t N, uint32_t Seed, int Alphabet = 256) {
  std::mt19937 Rng(Seed);
  std::vector<uint8_t> V(N);
  for (auto &B : V)
    B = uint8_t(Rng() % Alphabet);
  return V;
}

} // namespace

TEST(LZRDecode, StoredBlocks) {
  EXPECT_TRUE(Decode({0x80}).empty());
  EXPECT_EQ(Decode({0x80, 'a', 'b', 'c'}), Bytes("abc"));
  // A stored block is not coded, even when its bytes look like items.
  EXPECT_EQ(Decode({0x80, 0x00, 0x0F, 0xFF}), (std::vector<uint8_t>{0x00, 0x0F, 0xFF}));
}

TEST(LZRDecode, EmptyCodedBlockAndAnyFlag) {
  EXPECT_TRUE(Decode({0x40, 0x00, 0x00}).empty());
  // Every flag but 0x80 means coded: three literals under control word 0.
  for (uint8_t Flag : {0x00, 0x40, 0x7F, 0x81, 0xFF})
    EXPECT_EQ(Decode({Flag, 0x00, 0x00, 'x', 'y', 'z'}), Bytes("xyz")) << int(Flag);
}

TEST(LZRDecode, CopiesRepeatTheirOwnOutputByteByByte) {
  // Literal 'A', then offset 1 length 18: nineteen 'A'.
  EXPECT_EQ(Decode({0x40, 0x40, 0x00, 'A', 0x00, 0x1F}), std::vector<uint8_t>(19, 'A'));
  // "abc", then offset 3 length 10 repeats the pattern into its own output.
  EXPECT_EQ(Decode({0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x37}), Bytes("abcabcabcabca"));
  // Offset 8 with length 18 overlaps after the first 8 bytes.
  EXPECT_EQ(Decode({0x40, 0x00, 0x80, '0', '1', '2', '3', '4', '5', '6', '7', 0x00, 0x8F}),
            Bytes("01234567012345670123456701"));
  // A distant copy: 20 literals, then offset 20 length 5.
  std::vector<uint8_t> Block = {0x40, 0x00, 0x00};
  for (int i = 0; i < 16; ++i)
    Block.push_back(uint8_t('a' + i));
  Block.insert(Block.end(), {0x08, 0x00, 'q', 'r', 's', 't', 0x01, 0x42});
  EXPECT_EQ(Decode(Block), Bytes("abcdefghijklmnopqrstabcde"));
}

TEST(LZRDecode, RunsAndTheControlWordAfterSixteenItems) {
  // The longest run: b1 = 0x0F, b2 = 0xFF gives 4111 bytes.
  EXPECT_EQ(Decode({0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 'Z'}), std::vector<uint8_t>(4111, 'Z'));
  EXPECT_EQ(Decode({0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'Z'}), std::vector<uint8_t>(16, 'Z'));
  // Fifteen literals and a run fill the first control word; the next two
  // bytes are a control word (0x8000) announcing a copy of the run.
  std::vector<uint8_t> Block = {0x40, 0x00, 0x01};
  std::vector<uint8_t> Want;
  for (int i = 0; i < 15; ++i) {
    Block.push_back(uint8_t('a' + i));
    Want.push_back(uint8_t('a' + i));
  }
  Block.insert(Block.end(), {0x00, 0x01, 0x00, '#'}); // run of 256 + 16
  Want.insert(Want.end(), 272, '#');
  Block.insert(Block.end(), {0x80, 0x00, 0x00, 0x20}); // copy offset 2, length 3
  Want.insert(Want.end(), 3, '#');
  EXPECT_EQ(Decode(Block), Want);
}

TEST(LZRDecode, DamagedBlocksStayInsideTheirBuffers) {
  struct Case {
    const char *What;
    std::vector<uint8_t> Block;
    size_t Good; // bytes decoded before the fault
  };
  const Case Cases[] = {
      {"copy before the first byte", {0x40, 0x40, 0x00, 'a', 0x00, 0x20}, 1},
      {"copy from far before", {0x40, 0x80, 0x00, 0xFF, 0xFF}, 0},
      {"reference cut to one byte", {0x40, 0x40, 0x00, 'a', 0x00}, 1},
      {"run cut to three bytes", {0x40, 0x40, 0x00, 'a', 0x00, 0x00, 0x10}, 1},
      {"control word cut to one byte",
       {0x40, 0x00, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g',
        'h',  'i',  'j',  'k', 'l', 'm', 'n', 'o', 'p', 0xFF},
       16},
  };
  for (const Case &C : Cases) {
    bool Damaged = false;
    EXPECT_EQ(Decode(C.Block, Damaged).size(), C.Good) << C.What;
    EXPECT_TRUE(Damaged) << C.What;
  }
  // A control word with no item after it is not damage: its bits mean nothing.
  std::vector<uint8_t> Full = {0x40, 0x00, 0x00};
  for (int i = 0; i < 16; ++i)
    Full.push_back('x');
  Full.insert(Full.end(), {0xFF, 0xFF});
  EXPECT_EQ(Decode(Full), std::vector<uint8_t>(16, 'x'));
}

TEST(LZRDecode, TheLimitStopsItemsButNotARunOrACopyEndingAtIt) {
  bool Damaged = true;
  // A run that starts below the limit is made whole, past the limit.
  EXPECT_EQ(Decode({0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 'Z'}, Damaged, 4000),
            std::vector<uint8_t>(4111, 'Z'));
  EXPECT_FALSE(Damaged);
  // The longest run from the last byte below the launcher's limit: 16
  // literals, then runs to 32766 bytes, then 4111 more, all in the buffer.
  std::vector<uint8_t> Block = {0x40, 0x00, 0x00};
  std::vector<uint8_t> Want(16, 'a');
  Block.insert(Block.end(), 16, 'a');
  Block.insert(Block.end(), {0xFF, 0xFF});
  for (uint32_t Count : {4111u, 4111u, 4111u, 4111u, 4111u, 4111u, 4111u, 3973u, 4111u}) {
    Block.insert(Block.end(), {0x00, uint8_t((Count - 16) >> 8), uint8_t(Count - 16), 'r'});
    Want.insert(Want.end(), Count, 'r');
  }
  EXPECT_EQ(Want.size(), codec::kDecodeLimit + codec::kDecodeSlack);
  EXPECT_EQ(Decode(Block, Damaged), Want);
  EXPECT_FALSE(Damaged);

  // A copy whose last byte lands at the limit is made; one byte longer is not.
  std::vector<uint8_t> Copied = Bytes("ab");
  Copied.insert(Copied.end(), 18, 'b');
  EXPECT_EQ(Decode({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x1F}, Damaged, 19), Copied);
  EXPECT_FALSE(Damaged);
  EXPECT_EQ(Decode({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x1F}, Damaged, 18), Bytes("ab"));
  EXPECT_TRUE(Damaged);
  // Items left once the output reached the limit are not decoded.
  EXPECT_EQ(Decode({0x40, 0x00, 0x00, 'a', 'b', 'c'}, Damaged, 2), Bytes("ab"));
  EXPECT_TRUE(Damaged);
  EXPECT_EQ(Decode({0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'Z', 'q'}, Damaged, 10),
            std::vector<uint8_t>(16, 'Z'));
  EXPECT_TRUE(Damaged);
  // Exactly at the limit is fine.
  EXPECT_EQ(Decode({0x40, 0x00, 0x00, 'a', 'b', 'c'}, Damaged, 3), Bytes("abc"));
  EXPECT_FALSE(Damaged);
  EXPECT_EQ(Decode({0x80, 'a', 'b', 'c'}, Damaged, 2), Bytes("ab"));
  EXPECT_TRUE(Damaged);
}

TEST(LZRDecode, RandomGarbageNeverEscapes) {
  std::mt19937 Rng(7);
  for (int Round = 0; Round < 3000; ++Round) {
    const size_t N = 1 + Rng() % 300;
    auto Block = RandomBytes(N, Rng());
    if (Block[0] == 0x80)
      Block[0] = 0x40;
    bool Damaged;
    Decode(Block, Damaged, uint16_t(1 + Rng() % 5000));
  }
}

TEST(LZREncode, RoundTripsOfVariedData) {
  EXPECT_TRUE(RoundTrip({}).empty());
  EXPECT_EQ(RoundTrip({42}), std::vector<uint8_t>{42});
  const size_t Sizes[] = {2, 3, 17, 18, 19, 4095, 4096, 4111, 4112, 31999, 32000, 32767};
  for (size_t N : Sizes) {
    for (int Alphabet : {2, 4, 256}) {
      auto Data = RandomBytes(N, uint32_t(N * 7 + Alphabet), Alphabet);
      EXPECT_EQ(RoundTrip(Data), Data) << N << " " << Alphabet;
    }
    std::vector<uint8_t> Same(N, 0xEE);
    EXPECT_EQ(RoundTrip(Same), Same) << N;
  }
  // Runs and short patterns mixed with noise.
  std::mt19937 Rng(3);
  std::vector<uint8_t> Mixed;
  while (Mixed.size() < 32000) {
    switch (Rng() % 4) {
    case 0:
      Mixed.insert(Mixed.end(), 1 + Rng() % 5000, uint8_t(Rng()));
      break;
    case 1:
      for (int k = 0, n = 1 + Rng() % 100; k < n; ++k)
        Mixed.push_back(uint8_t(Rng()));
      break;
    default:
      if (Mixed.size() > 10) {
        size_t From = Mixed.size() - 1 - Rng() % std::min<size_t>(Mixed.size() - 1, 5000);
        for (int k = 0, n = 1 + Rng() % 40; k < n; ++k)
          Mixed.push_back(Mixed[From + k]);
      }
    }
  }
  Mixed.resize(32000);
  EXPECT_EQ(RoundTrip(Mixed), Mixed);
}

TEST(LZREncode, CodesWhereItHelpsAndStoresWhereItDoesNot) {
  uint32_t Size = 0;
  auto Noise = RandomBytes(32000, 11);
  RoundTrip(Noise, &Size);
  EXPECT_EQ(Size, 32001u); // stored: flag and data

  // 32000 equal bytes: eight run items and one control word.
  RoundTrip(std::vector<uint8_t>(32000, 0), &Size);
  EXPECT_EQ(Size, 1u + 2 + 8 * 4);

  std::string Text;
  for (int i = 0; Text.size() < 32000; ++i)
    Text += "line " + std::to_string(i % 97) + ": the quick brown fox jumps over the lazy dog\r\n";
  Text.resize(32000);
  RoundTrip(Bytes(Text), &Size);
  EXPECT_LT(Size, 32000u / 3);

  std::vector<uint8_t> Too(32768);
  std::vector<uint8_t> Out(Too.size() + 1);
  codec::TLzrEncoder Encoder;
  EXPECT_EQ(Encoder.EncodeBlock(Too.data(), uint32_t(Too.size()), Out.data()), 0u);
}

TEST(LZREncode, ParseIsNoWorseThanGreedy) {
  // "abcabcabc" style data where a greedy longest match is not optimal
  // still costs the fewest bits the decoder needs; compare with a greedy
  // coding cost computed independently here.
  auto Data = RandomBytes(20000, 5, 3);
  codec::TLzrEncoder Encoder(4096);
  std::vector<uint8_t> Block(Data.size() + 1);
  const uint32_t N = Encoder.EncodeBlock(Data.data(), uint32_t(Data.size()), Block.data());
  // Greedy reference: longest match (window 4095, length 3..18) or literal.
  size_t Items = 0, ItemBytes = 0;
  for (size_t i = 0; i < Data.size();) {
    size_t Best = 0;
    for (size_t Off = 1; Off <= std::min<size_t>(i, 4095); ++Off) {
      size_t L = 0;
      while (L < 18 && i + L < Data.size() && Data[i + L] == Data[i + L - Off])
        ++L;
      Best = std::max(Best, L);
    }
    ++Items;
    if (Best >= 3) {
      ItemBytes += 2;
      i += Best;
    } else {
      ItemBytes += 1;
      i += 1;
    }
  }
  const size_t Greedy = 1 + 2 * ((Items + 15) / 16) + ItemBytes;
  EXPECT_LE(N, Greedy);
  EXPECT_EQ(Decode(std::vector<uint8_t>(Block.begin(), Block.begin() + N)), Data);
}
