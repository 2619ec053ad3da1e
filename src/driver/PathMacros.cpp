#include "driver/PathMacros.h"

#include "package/ScriptCodecs.h"

namespace driver {

namespace {

char Upper(char C) {
  return C >= 'a' && C <= 'z' ? char(C - 32) : C;
}

const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The platform reads directories into buffers of 512 characters.
constexpr size_t DirectoryBuffer = 512;

std::string Clip(std::string S) {
  if (S.size() >= DirectoryBuffer)
    S.resize(DirectoryBuffer - 1);
  return S;
}

// Whether Wanted (an upper-cased macro) stands in Text at I, ignoring the
// case of a..z.
bool MatchesAt(const std::string &Text, size_t I, const std::string &Wanted) {
  if (Text.size() - I < Wanted.size())
    return false;
  for (size_t K = 0; K < Wanted.size(); ++K)
    if (Upper(Text[I + K]) != Wanted[K])
      return false;
  return true;
}

bool HoldsMacro(const std::string &Text, const std::string &Wanted) {
  if (Wanted.empty())
    return false;
  for (size_t I = 0; I < Text.size(); ++I)
    if (MatchesAt(Text, I, Wanted))
      return true;
  return false;
}

} // namespace

void ReplaceMacro(std::string &Text, const std::string &Macro, const std::string &Value) {
  if (Macro.empty() || Text.size() < Macro.size())
    return;
  std::string Wanted = package::UpperCaseText(Macro);
  std::string Out;
  size_t I = 0;
  bool Changed = false;
  while (I < Text.size()) {
    if (MatchesAt(Text, I, Wanted)) {
      Out += Value;
      I += Wanted.size();
      Changed = true;
    } else {
      Out += Text[I++];
    }
  }
  if (Changed)
    Text.swap(Out);
}

std::string ReadCurrentVersionValue(platform::Registry &Reg, const std::string &Name) {
  std::unique_ptr<platform::RegistryKey> Key =
      Reg.OpenKey(platform::RootKey::LocalMachine, CurrentVersionKey, false);
  std::string Value;
  if (!Key || !Key->ReadString(Name, Value))
    return std::string();
  return Value;
}

std::string DirectoryAliasValue(const PathContext &Context, const std::string &Definition) {
  std::string Kind = package::UpperCaseText(Definition.substr(0, 4));
  std::string Rest = Definition.size() > 4 ? Definition.substr(4) : std::string();
  size_t Slash = Rest.find('\\');
  std::string Name = package::UpperCaseText(Rest.substr(0, Slash));
  std::string SubPath = Slash == std::string::npos ? std::string() : Rest.substr(Slash);
  std::string Base;
  if (Kind == "DIR:") {
    if (Name == "WINDIR")
      Base = Clip(Context.Files.WindowsDirectory());
    else if (Name == "SYSDIR")
      Base = Clip(Context.Files.SystemDirectory());
  } else if (Kind == "REG:") {
    Base = ReadCurrentVersionValue(Context.Reg, Name);
  }
  return Base + SubPath + "\\";
}

void CleanBackslashes(std::string &Path) {
  bool Unc = Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\';
  std::string Out;
  Out.reserve(Path.size() + 1);
  if (Unc)
    Out += '\\';
  for (char C : Path)
    if (C != '\\' || Out.empty() || Out.back() != '\\' || (Unc && Out.size() == 1))
      Out += C;
  Path.swap(Out);
}

void ResolvePathMacros(const PathContext &Context, std::string &Path, bool AddTrailingBackslash) {
  if (const DestinationAliasSource *Rows = Context.Destinations)
    for (size_t I = 0; I < Rows->AliasCount(); ++I)
      ReplaceMacro(Path, Rows->AliasName(I), Rows->AliasDirectory(I));
  // An alias's directory is looked up only when the path names it: the
  // registry-backed ones cost a registry read, and every installed file's
  // path comes through here.
  for (const DirectoryAlias &Row : DirectoryAliases)
    if (HoldsMacro(Path, package::UpperCaseText(Row.Alias)))
      ReplaceMacro(Path, Row.Alias, DirectoryAliasValue(Context, Row.Definition));
  CleanBackslashes(Path);
  if (AddTrailingBackslash && (Path.empty() || Path.back() != '\\'))
    Path += '\\';
}

} // namespace driver
