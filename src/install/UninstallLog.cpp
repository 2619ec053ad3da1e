#include "install/UninstallLog.h"

#include <new>

namespace install {

namespace {

// A log larger than this is no log of ours: a record takes some 30 to 280
// bytes, so this holds hundreds of thousands of them, and its text still
// fits a 32-bit process twice over.
constexpr uint64_t MaxLogSize = 32ull << 20;

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
  try {
    std::string Text(size_t(Size), '\0');
    if (F->Read(Text.data(), uint32_t(Size)) != Size || F->Error())
      return false;
    FText.Parse(Text);
  } catch (const std::bad_alloc &) {
    FText = ProfileText();
    return false;
  }
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
  try {
    FText.Write(Section, Key, Value);
  } catch (const std::bad_alloc &) {
    return false; // the installation is then undone
  }
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
  const std::string Next = NextPath();
  // Whatever has that name (a failed write's remains, or a link someone
  // put there) is not written through: the new text goes into a new file.
  FFiles.SetAttributes(Next, platform::AttrNormal);
  FFiles.RemoveFile(Next);
  bool Ok = false;
  try {
    const std::string Text = FText.Text();
    if (std::unique_ptr<platform::File> F = FFiles.Open(Next, platform::OpenMode::CreateNew)) {
      Ok = F->Write(Text.data(), uint32_t(Text.size())) == Text.size() && !F->Error();
      F.reset();
    }
  } catch (const std::bad_alloc &) {
    Ok = false;
  }
  // The written log replaces the one in place in one step where the system
  // can, and otherwise with the old one kept until the new one is there:
  // one of the two is always whole. The log keeps its attributes.
  const uint32_t Attributes = FFiles.GetAttributes(FPath);
  if (Ok && Attributes != platform::AttrInvalid)
    FFiles.SetAttributes(FPath, platform::AttrNormal);
  if (Ok)
    Ok = FFiles.MoveReplacing(Next, FPath);
  if (Attributes != platform::AttrInvalid)
    FFiles.SetAttributes(FPath, Attributes);
  if (!Ok) {
    FFiles.RemoveFile(Next); // the log in place is untouched
    return false;
  }
  FPending = 0;
  return true;
}

void UninstallLog::Delete() {
  FFiles.RemoveFile(NextPath());
  FFiles.RemoveFile(FPath);
}

} // namespace install
