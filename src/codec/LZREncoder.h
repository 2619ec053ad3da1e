// LZRW1-KH block coder for the authoring tool (the launcher only decodes).
// It parses each block for the fewest coded bits the format allows: every
// position's longest match (hash chains over the block) and its run of equal
// bytes feed a shortest-path choice of literals, copies and runs.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace codec {

inline constexpr char MsgNoHashMemory[] = "LZRW1KH : no memory for HASH table";

// The coder's tables could not be had. Thrown only by the constructor of
// TLzrEncoder; the tool that codes catches it and reports its message.
class ELzrw1KHCompressor : public std::runtime_error {
public:
  ELzrw1KHCompressor() : std::runtime_error(MsgNoHashMemory) {}
};

// A depth that walks every earlier position in reach (a copy reaches 4095
// bytes back) and takes no shortcut: every position's longest match is
// found, so the parse gives the smallest blocks the format allows.
constexpr uint32_t kExhaustiveDepth = 4096;

class TLzrEncoder {
public:
  // Depth of the match search: higher finds more matches, slower;
  // kExhaustiveDepth and above find all of them. Reserves
  // the hash table and the parse tables at once; throws ELzrw1KHCompressor
  // when the memory cannot be had.
  explicit TLzrEncoder(uint32_t ChainDepth = 32);

  // Codes Size bytes (1..32767) into Out, which must have room for
  // Size + 1 bytes, and returns the block's length: a coded block (flag
  // 0x40) when that is smaller than storing, else a stored block (0x80).
  // A Size above 32767 is refused with 0.
  uint32_t EncodeBlock(const uint8_t *In, uint32_t Size, uint8_t *Out);

private:
  void FindMatches(const uint8_t *In, uint32_t Size);
  uint32_t ChooseItems(const uint8_t *In, uint32_t Size); // coded size
  uint32_t Emit(const uint8_t *In, uint32_t Size, uint8_t *Out);

  uint32_t FDepth;
  std::vector<int32_t> FHead;
  std::vector<int32_t> FPrev;
  std::vector<uint8_t> FMatchLen;  // longest copy at each position, 0 if none
  std::vector<uint16_t> FMatchOff; // its offset
  std::vector<uint16_t> FRunLen;   // equal bytes from each position (capped)
  std::vector<uint32_t> FCost;     // bits from each position to the end
  std::vector<uint16_t> FStep;     // chosen item length at each position
  std::vector<uint8_t> FKind;      // 0 literal, 1 copy, 2 run
};

} // namespace codec
