// Files and directories through the Win32 API (ANSI calls, so that the same
// code runs on Windows 95 and NT alike).
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32FileSystem : public FileSystem {
public:
  std::unique_ptr<File> Open(const std::string &Path, OpenMode Mode) override;
  bool FileExists(const std::string &Path) override;
  bool DirectoryExists(const std::string &Path) override;
  bool MakeDirectory(const std::string &Path) override;
  bool DeleteDirectory(const std::string &Path) override;
  bool RemoveFile(const std::string &Path) override;
  bool RenameFile(const std::string &From, const std::string &To) override;
  bool MoveReplacing(const std::string &From, const std::string &To) override;
  uint32_t GetAttributes(const std::string &Path) override;
  bool SetAttributes(const std::string &Path, uint32_t Attributes) override;
  DosDateTime GetFileDate(const std::string &Path) override;
  bool SetFileDate(const std::string &Path, DosDateTime Date) override;
  bool ListDirectory(const std::string &Path, std::vector<DirEntry> &Out) override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::string TempDirectory() override;
  bool ExpandEnvironment(const std::string &Text, std::string &Out) override;
};

} // namespace platform::win32
