// A file system double for the extraction tests: files are byte vectors in a
// map; opening one for writing can be made to fail, or its writes to stop
// after a number of bytes.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace codec_test {

class MemoryFileSystem : public platform::FileSystem {
public:
  std::map<std::string, std::shared_ptr<std::vector<uint8_t>>> Files;
  bool FailCreate = false;
  uint64_t WriteLimit = UINT64_MAX;

  std::unique_ptr<platform::File> Open(const std::string &Path, platform::OpenMode Mode) override {
    auto It = Files.find(Path);
    if (Mode == platform::OpenMode::Create || Mode == platform::OpenMode::CreateNew) {
      if (FailCreate || (Mode == platform::OpenMode::CreateNew && It != Files.end()))
        return nullptr;
      auto Data = std::make_shared<std::vector<uint8_t>>();
      Files[Path] = Data;
      return std::make_unique<Handle>(Data, WriteLimit);
    }
    if (It == Files.end())
      return nullptr;
    return std::make_unique<Handle>(It->second, UINT64_MAX);
  }
  bool FileExists(const std::string &Path) override { return Files.count(Path) != 0; }
  bool DirectoryExists(const std::string &) override { return false; }
  bool MakeDirectory(const std::string &) override { return false; }
  bool DeleteDirectory(const std::string &) override { return false; }
  bool RemoveFile(const std::string &Path) override { return Files.erase(Path) != 0; }
  bool RenameFile(const std::string &, const std::string &) override { return false; }
  uint32_t GetAttributes(const std::string &Path) override {
    return FileExists(Path) ? platform::AttrNormal : platform::AttrInvalid;
  }
  bool SetAttributes(const std::string &, uint32_t) override { return false; }
  platform::DosDateTime GetFileDate(const std::string &) override { return -1; }
  bool SetFileDate(const std::string &, platform::DosDateTime) override { return false; }
  bool ListDirectory(const std::string &, std::vector<platform::DirEntry> &) override {
    return false;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string TempDirectory() override { return "C:\\TEMP\\"; }
  bool ExpandEnvironment(const std::string &Text, std::string &Out) override {
    Out = Text;
    return true;
  }

private:
  class Handle : public platform::File {
  public:
    Handle(std::shared_ptr<std::vector<uint8_t>> Data, uint64_t Limit)
        : FData(std::move(Data)), FLimit(Limit) {}
    uint32_t Read(void *Buffer, uint32_t Count) override {
      const uint64_t N = FPos < FData->size() ? std::min<uint64_t>(Count, FData->size() - FPos) : 0;
      if (N)
        std::memcpy(Buffer, FData->data() + FPos, N);
      FPos += N;
      return uint32_t(N);
    }
    uint32_t Write(const void *Buffer, uint32_t Count) override {
      uint64_t N = Count;
      if (FPos + N > FLimit) {
        N = FPos < FLimit ? FLimit - FPos : 0;
        SetError();
      }
      if (FPos + N > FData->size())
        FData->resize(FPos + N);
      if (N)
        std::memcpy(FData->data() + FPos, Buffer, N);
      FPos += N;
      return uint32_t(N);
    }
    bool Seek(uint64_t Position) override {
      FPos = Position;
      return true;
    }
    uint64_t Position() const override { return FPos; }
    uint64_t Size() override { return FData->size(); }
    bool Truncate() override {
      FData->resize(FPos);
      return true;
    }

  private:
    std::shared_ptr<std::vector<uint8_t>> FData;
    uint64_t FLimit;
    uint64_t FPos = 0;
  };
};

} // namespace codec_test
