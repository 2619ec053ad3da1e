#include "install/UninstallLog.h"

namespace install {

namespace {

// A log larger than this is no log of ours.
constexpr uint64_t MaxLogSize = 256ull << 20;

// At least this many changes wait for a write, and at most a quarter of the
// log's values, so the file is written a bounded number of times per
// doubling of its size.
constexpr uint32_t MinBatch = 64;

} // namespace

bool UninstallLog::Load() {
  if (!FFiles.FileExists(FPath))
    return true;
  std::unique_ptr<platform::File> F = FFiles.Open(FPath, platform::OpenMode::Read);
  if (!F)
    return false;
  const uint64_t Size = F->Size();
  if (Size > MaxLogSize)
    return false;
  std::string Text(size_t(Size), '\0');
  if (F->Read(Text.data(), uint32_t(Size)) != Size || F->Error())
    return false;
  FText.Parse(Text);
  return true;
}

uint32_t UninstallLog::ReadCount(const std::string &Section) const {
  std::string Text;
  if (!FText.Read(Section, LogCount, Text))
    return 0;
  // A count is a plain decimal number; anything else counts as none.
  uint64_t N = 0;
  if (Text.empty())
    return 0;
  for (char C : Text) {
    if (C < '0' || C > '9')
      return 0;
    N = N * 10 + uint64_t(C - '0');
    if (N > 0x7FFFFFFF)
      return 0;
  }
  return uint32_t(N);
}

std::string UninstallLog::ReadRecord(const std::string &Section, uint32_t Number) const {
  std::string Value;
  if (!FText.Read(Section, std::to_string(Number), Value))
    return std::string();
  if (Value.size() > LogValueLimit)
    Value.resize(LogValueLimit);
  return Value;
}

bool UninstallLog::WriteValue(const std::string &Section, const std::string &Key,
                              const std::string &Value) {
  FText.Write(Section, Key, Value);
  ++FLines;
  ++FPending;
  if (FPending < MinBatch || FPending * 4 < FLines)
    return true;
  return Flush();
}

bool UninstallLog::WriteCount(const std::string &Section, uint32_t Count) {
  return WriteValue(Section, LogCount, std::to_string(Count));
}

bool UninstallLog::AddRecord(const std::string &Section, const std::string &Value) {
  const uint32_t N = ReadCount(Section) + 1;
  return WriteCount(Section, N) && WriteValue(Section, std::to_string(N), Value);
}

bool UninstallLog::Flush() {
  if (FPending == 0 && FFiles.FileExists(FPath))
    return true;
  const std::string Text = FText.Text();
  const std::string Next = NextPath();
  bool Ok = false;
  if (std::unique_ptr<platform::File> F = FFiles.Open(Next, platform::OpenMode::Create)) {
    Ok = F->Write(Text.data(), uint32_t(Text.size())) == Text.size() && !F->Error();
    F.reset();
  }
  if (Ok && FFiles.FileExists(FPath)) {
    FFiles.SetAttributes(FPath, platform::AttrNormal);
    Ok = FFiles.RemoveFile(FPath);
  }
  if (!Ok) {
    FFiles.RemoveFile(Next); // the log in place is untouched
    return false;
  }
  // Should the move fail, the new text stays beside the missing log rather
  // than being lost as well.
  if (!FFiles.RenameFile(Next, FPath))
    return false;
  FPending = 0;
  return true;
}

void UninstallLog::Delete() {
  FFiles.RemoveFile(NextPath());
  FFiles.RemoveFile(FPath);
}

} // namespace install
