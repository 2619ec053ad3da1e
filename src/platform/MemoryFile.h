// A File over a byte vector: the memory stream that pictures are decoded
// into, and the double that tests read packages from.
#pragma once

#include "platform/Platform.h"

namespace platform {

class MemoryFile : public File {
public:
  MemoryFile() = default;
  explicit MemoryFile(std::vector<uint8_t> Data) : FData(std::move(Data)) {}
  uint32_t Read(void *Buffer, uint32_t Count) override;
  uint32_t Write(const void *Buffer, uint32_t Count) override;
  bool Seek(uint64_t Position) override;
  uint64_t Position() const override { return FPos; }
  uint64_t Size() override { return FData.size(); }
  bool Truncate() override;
  // Empties the stream and sets it to its start.
  void Clear() {
    FData.clear();
    FPos = 0;
  }
  const std::vector<uint8_t> &Data() const { return FData; }
  std::vector<uint8_t> &Data() { return FData; }
  // Tests: make writes fail once the stream holds Limit bytes.
  void SetWriteLimit(uint64_t Limit) { FWriteLimit = Limit; }

private:
  std::vector<uint8_t> FData;
  uint64_t FPos = 0;
  uint64_t FWriteLimit = UINT64_MAX;
};

// A memory stream that also lends its bytes to readers that take them in
// place (the script reader scans a stretch at a time instead of a byte).
// Kept apart from MemoryFile, whose readers and test doubles count on every
// byte coming through Read.
class LendingMemoryFile : public MemoryFile {
public:
  using MemoryFile::MemoryFile;
  const uint8_t *ReadInPlace(uint32_t Count, uint32_t &Got) override;
};

} // namespace platform
