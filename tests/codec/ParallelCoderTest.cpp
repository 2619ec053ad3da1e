#include "codec/ParallelCoder.h"
#include "codec/LZR.h"
#include "codec/Workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <vector>

namespace {

// Every job runs exactly once, whatever the count, and all have finished
// when RunOnThreads returns.
TEST(Workers, EveryJobRunsOnceBeforeTheCallReturns) {
  EXPECT_GE(codec::HardwareThreads(), 1u);
  for (unsigned Count : {0u, 1u, 2u, 7u}) {
    std::vector<std::atomic<int>> Runs(Count);
    codec::RunOnThreads(Count, [&](unsigned i) { Runs[i].fetch_add(1); });
    for (unsigned i = 0; i < Count; ++i)
      EXPECT_EQ(Runs[i].load(), 1) << Count << " jobs, job " << i;
  }
}

// A batch coded on several threads is the one coded on one, block for block,
// and each block decodes to its input; an empty block gets no coded bytes.
TEST(ParallelCoder, SameBlocksOnAnyThreadCountAndTheyDecode) {
  std::mt19937 Rng(3);
  std::vector<codec::TBatchBlock> One(13), Many(13);
  for (size_t k = 0; k < One.size(); ++k) {
    const uint32_t Size = k == 4 ? 0 : uint32_t(Rng() % codec::kBlockInput) + 1;
    for (uint32_t i = 0; i < Size; ++i) // text-like for some blocks, noise for others
      One[k].Plain[i] = uint8_t(k % 3 ? 'a' + Rng() % (k + 2) : Rng());
    One[k].PlainSize = Size;
    Many[k].Plain = One[k].Plain;
    Many[k].PlainSize = Size;
  }
  Many[12].CodedSize = 12345; // blocks past the count are left alone
  codec::TParallelCoder(1, 16).Code(One, One.size());
  codec::TParallelCoder(5, 16).Code(Many, Many.size() - 2); // the last two stay uncoded
  std::vector<uint8_t> Out(codec::kBlockBufferSize);
  for (size_t k = 0; k + 2 < One.size(); ++k) {
    ASSERT_EQ(One[k].CodedSize, Many[k].CodedSize) << k;
    EXPECT_TRUE(std::equal(One[k].Coded.begin(), One[k].Coded.begin() + One[k].CodedSize,
                           Many[k].Coded.begin()))
        << k;
    if (One[k].PlainSize == 0) {
      EXPECT_EQ(One[k].CodedSize, 0u);
      continue;
    }
    const uint16_t M = codec::DecompressBlock(One[k].Coded.data(), Out.data(),
                                              uint16_t(One[k].CodedSize), codec::kDecodeLimit);
    ASSERT_EQ(M, One[k].PlainSize) << k;
    EXPECT_TRUE(std::equal(Out.begin(), Out.begin() + M, One[k].Plain.begin())) << k;
  }
  EXPECT_EQ(Many[12].CodedSize, 12345u);
}

} // namespace
