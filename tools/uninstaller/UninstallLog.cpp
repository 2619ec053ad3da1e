#include "UninstallLog.h"

#include "install/ProfileText.h"
#include "install/UninstallLog.h"

#include <algorithm>
#include <memory>

namespace uninst {
namespace {

// A file larger than this is no uninstall log.
constexpr uint64_t MaxLogSize = 256ull << 20;

std::string Trim(const std::string &T) {
  size_t B = 0, E = T.size();
  while (B < E && static_cast<unsigned char>(T[B]) <= 32)
    ++B;
  while (E > B && static_cast<unsigned char>(T[E - 1]) <= 32)
    --E;
  return T.substr(B, E - B);
}

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return S;
}

// Reads records 1..Count of a section. Only keys that exist are read, so a
// Count of four billion costs no more than the section's real size.
bool ReadSection(const install::ProfileText &Log, const char *Section,
                 std::vector<std::string> &Out) {
  const std::vector<std::string> Keys = Log.Keys(Section);
  if (Keys.empty())
    return false;
  std::string Text;
  const uint32_t Count = Log.Read(Section, "Count", Text) ? ParseCount(Text) : 0;
  std::vector<uint32_t> Numbers;
  for (const std::string &K : Keys) {
    uint32_t N = ParseRecordKey(K);
    if (N != 0 && N <= Count)
      Numbers.push_back(N);
  }
  std::sort(Numbers.begin(), Numbers.end());
  Numbers.erase(std::unique(Numbers.begin(), Numbers.end()), Numbers.end());
  for (uint32_t N : Numbers) {
    std::string V;
    Log.Read(Section, std::to_string(N), V);
    V = Trim(V.substr(0, install::LogValueLimit));
    if (!V.empty())
      Out.push_back(V);
  }
  return true;
}

// The whole file, read once: looked up value by value through the profile
// functions, a large log would be read again for every record.
bool ReadText(platform::FileSystem &Files, const std::string &Path, std::string &Text) {
  std::unique_ptr<platform::File> F = Files.Open(Path, platform::OpenMode::Read);
  if (!F)
    return false;
  const uint64_t Size = F->Size();
  if (Size > MaxLogSize)
    return false;
  Text.assign(size_t(Size), '\0');
  return F->Read(Text.data(), uint32_t(Size)) == Size && !F->Error();
}

} // namespace

uint32_t ParseCount(const std::string &Text) {
  std::string T = Trim(Text);
  if (T.empty())
    return 0;
  uint64_t V = 0;
  for (char C : T) {
    if (C < '0' || C > '9')
      return 0;
    V = V * 10 + uint64_t(C - '0');
    if (V > 0xFFFFFFFFu)
      return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(V);
}

uint32_t ParseRecordKey(const std::string &Key) {
  std::string T = Trim(Key);
  if (T.empty() || T.size() > 10 || T[0] == '0')
    return 0;
  for (char C : T)
    if (C < '0' || C > '9')
      return 0;
  uint64_t V = std::stoull(T);
  return V > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(V);
}

LogStatus ReadUninstallLog(platform::FileSystem &Files, const std::string &Path,
                           UninstallLog &Out) {
  Out = UninstallLog();
  if (!Files.FileExists(Path))
    return LogStatus::Missing;
  std::string Raw;
  if (!ReadText(Files, Path, Raw))
    return LogStatus::NotALog;
  install::ProfileText Log;
  Log.Parse(Raw);
  std::string Title;
  if (Log.Read("Main", "Title", Title))
    Out.Title = Trim(Title.substr(0, install::LogValueLimit));
  bool Any = !Out.Title.empty();
  Any = ReadSection(Log, "Directories", Out.Directories) || Any;
  Any = ReadSection(Log, "Files", Out.Files) || Any;
  Any = ReadSection(Log, "RegistryValues", Out.RegistryValues) || Any;
  Any = ReadSection(Log, "ProgramLinks", Out.ProgramLinks) || Any;
  Any = ReadSection(Log, "ProgramGroups", Out.ProgramGroups) || Any;
  Out.HasKnownSection = Any;
  return Any ? LogStatus::Ok : LogStatus::NotALog;
}

bool ParseRootName(const std::string &Name, platform::RootKey &Out) {
  using platform::RootKey;
  static const struct {
    const char *Long, *Short;
    RootKey Key;
  } Roots[] = {
      {"HKEY_CLASSES_ROOT", "HKCR", RootKey::ClassesRoot},
      {"HKEY_CURRENT_USER", "HKCU", RootKey::CurrentUser},
      {"HKEY_LOCAL_MACHINE", "HKLM", RootKey::LocalMachine},
      {"HKEY_USERS", "HKUS", RootKey::Users},
      {"HKEY_CURRENT_CONFIG", "HKCC", RootKey::CurrentConfig},
      {"HKEY_DYN_DATA", "HKDD", RootKey::DynData},
  };
  std::string U = Upper(Name);
  for (const auto &R : Roots)
    if (U == R.Long || U == R.Short) {
      Out = R.Key;
      return true;
    }
  return false;
}

bool SplitRegistryRecord(const std::string &Record, RegistryRecord &Out) {
  if (Record.size() < 2 || Record[0] != '\\')
    return false;
  size_t RootEnd = Record.find('\\', 1);
  size_t Last = Record.rfind('\\');
  if (RootEnd == std::string::npos || Last <= RootEnd)
    return false; // no key path: values directly below a root are not ours
  RegistryRecord R;
  if (!ParseRootName(Record.substr(1, RootEnd - 1), R.Root))
    return false;
  R.KeyPath = Record.substr(RootEnd + 1, Last - RootEnd - 1);
  R.ValueName = Record.substr(Last + 1);
  // Empty levels ("A\\B", a leading or trailing backslash) name no real key.
  if (R.KeyPath.empty() || R.KeyPath.front() == '\\' || R.KeyPath.back() == '\\' ||
      R.KeyPath.find("\\\\") != std::string::npos)
    return false;
  Out = R;
  return true;
}

} // namespace uninst
