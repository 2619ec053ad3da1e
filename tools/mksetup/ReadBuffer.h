// A read-only file read through a buffer: walking a package of thousands of
// entries reads a header, seeks and reads data for each, and a system call
// for each of them cost more than decoding the small ones.
#pragma once

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace mksetup {

class ReadBuffer : public platform::File {
public:
  explicit ReadBuffer(std::unique_ptr<platform::File> Inner, uint32_t Capacity = 1u << 20);
  uint32_t Read(void *Buffer, uint32_t Count) override;
  uint32_t Write(const void *, uint32_t) override; // refused: read only
  bool Seek(uint64_t Position) override;
  uint64_t Position() const override { return FPos; }
  uint64_t Size() override { return FInner->Size(); }
  bool Truncate() override { return false; }

private:
  // Reads at FPos from the inner file; a short or failed read sets the error.
  uint32_t ReadInner(void *Buffer, uint32_t Count);

  std::unique_ptr<platform::File> FInner;
  std::vector<uint8_t> FBuffer;
  uint64_t FStart = 0;  // file position of FBuffer[0]
  uint32_t FLength = 0; // bytes of FBuffer that hold file data
  uint64_t FPos = 0;
};

} // namespace mksetup
