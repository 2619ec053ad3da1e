#include "install/UninstallLog.h"

namespace install {

uint32_t UninstallLog::ReadCount(const std::string &Section) {
  const std::string Text = FIni.ReadString(FPath, Section, LogCount, "0");
  // A count is a plain decimal number; anything else counts as none.
  uint64_t N = 0;
  size_t I = 0;
  while (I < Text.size() && (Text[I] == ' ' || Text[I] == '\t'))
    ++I;
  if (I == Text.size())
    return 0;
  for (; I < Text.size(); ++I) {
    if (Text[I] < '0' || Text[I] > '9')
      return 0;
    N = N * 10 + uint64_t(Text[I] - '0');
    if (N > 0x7FFFFFFF)
      return 0;
  }
  return uint32_t(N);
}

std::string UninstallLog::ReadRecord(const std::string &Section, uint32_t Number) {
  return FIni.ReadString(FPath, Section, std::to_string(Number), "");
}

bool UninstallLog::WriteValue(const std::string &Section, const std::string &Key,
                              const std::string &Value) {
  return FIni.WriteString(FPath, Section, Key, Value);
}

bool UninstallLog::WriteCount(const std::string &Section, uint32_t Count) {
  return WriteValue(Section, LogCount, std::to_string(Count));
}

bool UninstallLog::AddRecord(const std::string &Section, const std::string &Value) {
  const uint32_t N = ReadCount(Section) + 1;
  return WriteCount(Section, N) && WriteValue(Section, std::to_string(N), Value);
}

} // namespace install
