#include "install/RegistryValues.h"

#include "install/UninstallLog.h"
#include "package/ScriptCodecs.h"

namespace install {

namespace {

const struct {
  const char *Name;
  platform::RootKey Key;
} RootKeys[] = {
    {"HKEY_CLASSES_ROOT", platform::RootKey::ClassesRoot},
    {"HKEY_CURRENT_USER", platform::RootKey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", platform::RootKey::LocalMachine},
    {"HKEY_USERS", platform::RootKey::Users},
    {"HKEY_CURRENT_CONFIG", platform::RootKey::CurrentConfig},
    {"HKEY_DYN_DATA", platform::RootKey::DynData},
};

// The framework's integer reading: leading blanks, a sign, decimal digits
// within the signed range, or after "$", "x" or "0x" up to eight hexadecimal
// digits ("$FFFFFFFF" is -1). Anything else gives 0.
uint32_t DwordValue(const std::string &Text) {
  const int32_t Signed = package::ParseInt(Text, 0);
  if (Signed != 0)
    return uint32_t(Signed);
  size_t I = Text.find_first_not_of(' ');
  if (I == std::string::npos)
    return 0;
  bool Negative = false;
  if (Text[I] == '+' || Text[I] == '-')
    Negative = Text[I++] == '-';
  if (Text.compare(I, 1, "$") == 0 || Text.compare(I, 1, "x") == 0 || Text.compare(I, 1, "X") == 0)
    I += 1;
  else if (Text.compare(I, 2, "0x") == 0 || Text.compare(I, 2, "0X") == 0)
    I += 2;
  else
    return 0; // decimal: ParseInt had the last word
  const std::string Digits = Text.substr(I);
  if (Digits.empty() || Digits.size() > 8 ||
      Digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return 0;
  const uint32_t V = uint32_t(std::stoul(Digits, nullptr, 16));
  return Negative ? 0u - V : V;
}

void WriteValue(platform::RegistryKey &Key, const package::RegistryValueType &V,
                const PathResolver &Resolve) {
  switch (V.Type) {
  case RegValueString:
    Key.WriteString(V.Name, Resolve(V.Value, false));
    break;
  case RegValueBinary:
    Key.WriteBinary(V.Name, V.Value.data(), uint32_t(V.Value.size()));
    break;
  case RegValueDword:
    Key.WriteDword(V.Name, DwordValue(V.Value));
    break;
  default:
    break; // an unknown type writes nothing
  }
}

struct KeyWriter {
  platform::Registry &Reg;
  platform::RootKey Root;
  std::string RootName;
  const PathResolver &Resolve;
  const RecordSink &Log;

  // ParentPath: the names above the keys, each followed by a backslash.
  void WriteRegistryKeys(const package::RegistryKeyType *First, const std::string &ParentPath) {
    for (const package::RegistryKeyType *K = First; K; K = K->Next.get()) {
      const std::string Path = ParentPath + K->Name;
      {
        // Opened with creation, so a key without values is still made.
        std::unique_ptr<platform::RegistryKey> Key = Reg.OpenKey(Root, Path + "\\", true);
        for (const package::RegistryValueType *V = K->Values.First(); V; V = V->Next.get()) {
          if (Key)
            WriteValue(*Key, *V, Resolve);
          if (Log.Add)
            Log.Add(LogRegistryValues, RegistryValueRecord(RootName, Path, V->Name));
        }
      }
      if (const package::RegistryKeyType *Sub = K->SubKeys.First())
        WriteRegistryKeys(Sub, Path + "\\");
    }
  }
};

} // namespace

bool RootKeyByName(const std::string &Name, platform::RootKey &Out) {
  const std::string Upper = package::UpperCaseText(Name);
  for (const auto &R : RootKeys)
    if (Upper == R.Name) {
      Out = R.Key;
      return true;
    }
  return false;
}

std::string RootKeyName(uint32_t Handle) {
  for (const auto &R : RootKeys)
    if (uint32_t(R.Key) == Handle)
      return R.Name;
  return std::string();
}

std::string RegistryValueRecord(const std::string &RootName, const std::string &KeyPath,
                                const std::string &ValueName) {
  return "\\" + RootName + "\\" + KeyPath + "\\" + ValueName;
}

bool SplitRegistryValueRecord(const std::string &Record, platform::RootKey &Root,
                              std::string &KeyPath, std::string &ValueName) {
  if (Record.size() < 2 || Record[0] != '\\')
    return false;
  const size_t RootEnd = Record.find('\\', 1);
  const size_t Last = Record.rfind('\\');
  if (RootEnd == std::string::npos || Last <= RootEnd + 1 ||
      !RootKeyByName(Record.substr(1, RootEnd - 1), Root))
    return false;
  KeyPath = Record.substr(RootEnd + 1, Last - RootEnd - 1);
  ValueName = Record.substr(Last + 1);
  return true;
}

void DeleteRegistryValue(platform::Registry &Reg, const std::string &Record) {
  platform::RootKey Root;
  std::string Path, Name;
  if (!SplitRegistryValueRecord(Record, Root, Path, Name))
    return;
  {
    std::unique_ptr<platform::RegistryKey> Key = Reg.OpenKey(Root, Path, false);
    if (!Key || !Key->ValueExists(Name))
      return;
  }
  std::unique_ptr<platform::RegistryKey> Key = Reg.OpenKey(Root, Path, true);
  if (!Key || !Key->DeleteValue(Name))
    return;
  Key.reset();
  for (; Path.find('\\') != std::string::npos; Path.erase(Path.rfind('\\'))) {
    Key = Reg.OpenKey(Root, Path, false);
    std::vector<std::string> Values, SubKeys;
    if (!Key || !Key->ListValues(Values) || !Key->ListSubKeys(SubKeys) || !Values.empty() ||
        !SubKeys.empty())
      return;
    Key.reset();
    if (!Reg.DeleteKey(Root, Path))
      return;
  }
}

void SetupRegistry(platform::Registry &Reg, const package::GroupType &Group,
                   const PathResolver &Resolve, const RecordSink &Log) {
  if (Log.Keep)
    Log.Keep(LogRegistryValues);
  for (const package::RegistryKeyType *RootNode = Group.RootKey.SubKeys.First(); RootNode;
       RootNode = RootNode->Next.get()) {
    platform::RootKey Root;
    if (!RootKeyByName(RootNode->Name, Root))
      continue; // the node and everything below it
    KeyWriter W{Reg, Root, RootKeyName(uint32_t(Root)), Resolve, Log};
    W.WriteRegistryKeys(RootNode->SubKeys.First(), "");
  }
}

} // namespace install
