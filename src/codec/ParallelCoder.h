// Coding many blocks at once: each block is coded on its own, so a batch of
// them is shared out over threads, each with its own coder. The result is
// the same byte for byte whatever the number of threads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/LZREncoder.h"

namespace codec {

// One block of a batch: up to kBlockInput plain bytes in, the coded block out.
struct TBatchBlock {
  std::vector<uint8_t> Plain;
  uint32_t PlainSize = 0;
  std::vector<uint8_t> Coded;
  uint32_t CodedSize = 0;
  TBatchBlock();
};

class TParallelCoder {
public:
  // Threads 0 means one per processor. Throws ELzrw1KHCompressor when the
  // coders' tables cannot be had.
  TParallelCoder(unsigned Threads, uint32_t ChainDepth);
  unsigned Threads() const { return unsigned(FCoders.size()); }

  // Codes Blocks[0 .. Count): a block of 0 bytes gets CodedSize 0 (the
  // stream's end mark, no block), any other one its coded block.
  void Code(std::vector<TBatchBlock> &Blocks, size_t Count);

private:
  std::vector<std::unique_ptr<TLzrEncoder>> FCoders;
};

} // namespace codec
