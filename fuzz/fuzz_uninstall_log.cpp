// The uninstaller's log reader over arbitrary text, then the undo plan built
// from what it read. Every step of the plan must name a path the plan's
// rules call safe, or a value below a known root.
#include "UndoPlan.h"
#include "UninstallLog.h"
#include "platform/MemoryFile.h"

#include <string>

namespace {

// One file, C:\WINDOWS\tcUninst1.inf, with the fuzzer's bytes.
class OneFile : public platform::FileSystem {
public:
  OneFile(const uint8_t *Data, size_t Size) : FData(Data, Data + Size) {}
  std::unique_ptr<platform::File> Open(const std::string &P, platform::OpenMode M) override {
    if (P != Name || M != platform::OpenMode::Read)
      return nullptr;
    return std::make_unique<platform::MemoryFile>(FData);
  }
  bool FileExists(const std::string &P) override { return P == Name; }
  bool DirectoryExists(const std::string &) override { return false; }
  bool MakeDirectory(const std::string &) override { return false; }
  bool DeleteDirectory(const std::string &) override { return false; }
  bool RemoveFile(const std::string &) override { return false; }
  bool RenameFile(const std::string &, const std::string &) override { return false; }
  uint32_t GetAttributes(const std::string &) override { return platform::AttrInvalid; }
  bool SetAttributes(const std::string &, uint32_t) override { return false; }
  platform::DosDateTime GetFileDate(const std::string &) override { return -1; }
  bool SetFileDate(const std::string &, platform::DosDateTime) override { return false; }
  bool ListDirectory(const std::string &, std::vector<platform::DirEntry> &) override {
    return false;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string TempDirectory() override { return "C:\\TEMP\\"; }
  bool ExpandEnvironment(const std::string &T, std::string &O) override {
    O = T;
    return true;
  }
  const std::string Name = "C:\\WINDOWS\\tcUninst1.inf";

private:
  std::vector<uint8_t> FData;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  OneFile Files(Data, Size);
  uninst::UninstallLog Log;
  const uninst::LogStatus S = uninst::ReadUninstallLog(Files, Files.Name, Log);
  if (S == uninst::LogStatus::Missing)
    __builtin_trap();
  const uninst::UndoPlan Plan = uninst::BuildUndoPlan(Log, Log.Title, Files.Name);
  for (const uninst::UndoStep &Step : Plan.Steps) {
    switch (Step.Kind) {
    case uninst::StepKind::RemoveLink:
    case uninst::StepKind::RemoveFile:
    case uninst::StepKind::RemoveFolder:
    case uninst::StepKind::RemoveDirectory:
      if (!uninst::IsSafeAbsolutePath(Step.Path, false))
        __builtin_trap();
      break;
    case uninst::StepKind::DeleteValue:
      if (Step.Value.KeyPath.empty())
        __builtin_trap();
      break;
    case uninst::StepKind::RemoveRegistration:
      if (!uninst::IsSafeTitle(Step.Title))
        __builtin_trap();
      break;
    case uninst::StepKind::RemoveLog:
      break;
    }
  }
  return 0;
}
