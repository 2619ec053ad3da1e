// DecompressBlock on arbitrary blocks: the first two bytes choose the output
// limit, the rest is the block. Buffers are exactly as large as the block and
// the limit with its slack, so any access outside them is caught. The input is also coded
// and decoded again, which must give it back.
#include "codec/LZR.h"
#include "codec/LZREncoder.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  if (Size < 3)
    return 0;
  const uint16_t Limit = uint16_t(1 + ((Data[0] << 8 | Data[1]) % codec::kDecodeLimit));
  const size_t N = std::min<size_t>(Size - 2, codec::kMaxCodedBlock);
  std::vector<uint8_t> Block(Data + 2, Data + 2 + N);
  std::vector<uint8_t> Out(Limit + codec::kDecodeSlack);
  bool Damaged = false;
  const uint16_t M =
      codec::DecompressBlock(Block.data(), Out.data(), uint16_t(Block.size()), Limit, Damaged);
  if (M > Limit + codec::kDecodeSlack)
    std::abort();

  static codec::TLzrEncoder Encoder(16);
  std::vector<uint8_t> Coded(N + 1);
  const uint32_t C = Encoder.EncodeBlock(Block.data(), uint32_t(N), Coded.data());
  if (C == 0 || C > N + 1)
    std::abort();
  Coded.resize(C);
  std::vector<uint8_t> Back(N + codec::kDecodeSlack);
  const uint16_t B =
      codec::DecompressBlock(Coded.data(), Back.data(), uint16_t(C), uint16_t(N), Damaged);
  if (Damaged || B != N || std::memcmp(Back.data(), Block.data(), N) != 0)
    std::abort();
  return 0;
}
