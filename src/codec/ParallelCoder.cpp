#include "codec/ParallelCoder.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "codec/LZR.h"
#include "codec/Workers.h"

namespace codec {

TBatchBlock::TBatchBlock() : Plain(kBlockInput), Coded(kBlockInput + 1) {}

TParallelCoder::TParallelCoder(unsigned Threads, uint32_t ChainDepth) {
  if (Threads == 0)
    Threads = HardwareThreads();
  try {
    for (unsigned i = 0; i < Threads; ++i)
      FCoders.push_back(std::make_unique<TLzrEncoder>(ChainDepth));
  } catch (const std::bad_alloc &) {
    throw ELzrw1KHCompressor();
  }
}

void TParallelCoder::Code(std::vector<TBatchBlock> &Blocks, size_t Count) {
  // Blocks are handed out one at a time, so a slow one holds up no other.
  std::atomic<size_t> Next{0};
  const unsigned N = unsigned(std::min<size_t>(FCoders.size(), Count));
  RunOnThreads(N, [&](unsigned t) {
    TLzrEncoder &Coder = *FCoders[t];
    for (size_t k; (k = Next.fetch_add(1)) < Count;) {
      TBatchBlock &B = Blocks[k];
      B.CodedSize =
          B.PlainSize ? Coder.EncodeBlock(B.Plain.data(), B.PlainSize, B.Coded.data()) : 0;
    }
  });
}

} // namespace codec
