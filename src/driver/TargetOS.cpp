#include "driver/TargetOS.h"

#include "package/ScriptCodecs.h"

namespace driver {

namespace {

using package::TrimText;
using package::UpperCaseText;

const char ProductOptionsKey[] = "System\\CurrentControlSet\\Control\\ProductOptions";

// A registry path as the script writes it: a root name ("HKLM" or
// "HKEY_LOCAL_MACHINE" ...), then the key. Any other first component is
// part of a key below HKEY_LOCAL_MACHINE.
void SplitRegistryRoot(const std::string &Path, platform::RootKey &Root, std::string &Rest) {
  size_t Slash = Path.find('\\');
  std::string First = UpperCaseText(Path.substr(0, Slash));
  struct Name {
    const char *Long, *Short;
    platform::RootKey Key;
  };
  static constexpr Name Roots[] = {
      {"HKEY_CLASSES_ROOT", "HKCR", platform::RootKey::ClassesRoot},
      {"HKEY_CURRENT_USER", "HKCU", platform::RootKey::CurrentUser},
      {"HKEY_LOCAL_MACHINE", "HKLM", platform::RootKey::LocalMachine},
      {"HKEY_USERS", "HKUS", platform::RootKey::Users},
      {"HKEY_CURRENT_CONFIG", "HKCC", platform::RootKey::CurrentConfig},
  };
  Root = platform::RootKey::LocalMachine;
  Rest = Path;
  for (const Name &N : Roots)
    if (First == N.Long || First == N.Short) {
      Root = N.Key;
      Rest = Slash == std::string::npos ? std::string() : Path.substr(Slash);
      break;
    }
  while (!Rest.empty() && Rest.front() == '\\')
    Rest.erase(0, 1);
}

bool RegistryKeyExists(platform::Registry &Reg, const std::string &Path) {
  platform::RootKey Root;
  std::string Key;
  SplitRegistryRoot(Path, Root, Key);
  while (!Key.empty() && Key.back() == '\\')
    Key.pop_back();
  return Reg.OpenKey(Root, Key, false) != nullptr;
}

// The last component names the value; a trailing "\" the default value.
bool RegistryValueExists(platform::Registry &Reg, const std::string &Path) {
  platform::RootKey Root;
  std::string Rest;
  SplitRegistryRoot(Path, Root, Rest);
  size_t Slash = Rest.rfind('\\');
  std::string Key = Slash == std::string::npos ? std::string() : Rest.substr(0, Slash);
  std::string Value = Slash == std::string::npos ? Rest : Rest.substr(Slash + 1);
  std::unique_ptr<platform::RegistryKey> K = Reg.OpenKey(Root, Key, false);
  return K && K->ValueExists(Value);
}

} // namespace

uint8_t ClassifyOS(const platform::OsVersionInfo &Version, const std::string &ProductType) {
  uint8_t Code = OsCodeUnknown;
  if (Version.PlatformId == 2) {
    Code = OsCodeNT40Workstation;
    std::string Type = TrimText(UpperCaseText(ProductType));
    if (Type == "SERVERNT" || Type == "LANMANNT")
      Code = OsCodeNT40Server;
  }
  if (Version.MajorVersion >= 4 && Version.MinorVersion == 0 && Version.PlatformId == 1)
    Code = OsCodeWindows95;
  if (Version.MajorVersion >= 4 && Version.MinorVersion > 0 && Version.PlatformId == 1)
    Code = OsCodeWindows98;
  if (Version.MajorVersion >= 5 && Version.PlatformId == 2)
    Code = OsCodeWindows2000;
  return Code;
}

std::string ReadProductType(platform::Registry &Reg) {
  std::unique_ptr<platform::RegistryKey> Key =
      Reg.OpenKey(platform::RootKey::LocalMachine, ProductOptionsKey, false);
  std::string Value;
  if (!Key || !Key->ReadString("ProductType", Value))
    return std::string();
  return Value;
}

uint8_t GetOSType(const platform::OsVersionInfo &Version, platform::Registry &Reg) {
  return ClassifyOS(Version, Version.PlatformId == 2 ? ReadProductType(Reg) : std::string());
}

std::string OSName(uint8_t Code) {
  switch (Code) {
  case OsCodeWindows95:
    return "Windows 95";
  case OsCodeWindows98:
    return "Windows 98";
  case OsCodeNT40Workstation:
    return "Windows NT 4.0 workstation";
  case OsCodeNT40Server:
    return "Windows NT 4.0 server";
  case OsCodeWindows2000:
    return "Windows 2000";
  default:
    return std::string();
  }
}

uint8_t TargetOsBit(uint8_t Code) {
  return Code < OsCodeUnknown ? uint8_t(1u << Code) : 0;
}

bool IsTargetOS(uint8_t TargetOS, uint8_t Code) {
  return (TargetOS & TargetOsBit(Code)) != 0;
}

bool SelectionFromSetting(uint8_t Value, bool Visible) {
  switch (Value) {
  case 1:
    return true;
  case 3:
    return Visible;
  default:
    return false;
  }
}

uint32_t SetupTypeSizeInKB(const package::TOpenFileType &Model, const package::SetupType &Type) {
  uint32_t Bytes = 0;
  const package::GroupNameIndex Groups(Model.Groups);
  for (const std::string &Name : Type.Groups)
    if (const package::GroupType *G = Groups.Find(Name))
      Bytes += uint32_t(G->TotalSize);
  return (Bytes + 1023u) / 1024u;
}

void FillSetupTypeList(package::TOpenFileType &Model, uint8_t Code, SetupTypeList &List) {
  List.Clear();
  for (package::SetupType &Type : Model.SetupTypes) {
    bool Visible = true;
    bool Selected = false;
    switch (Code) {
    case OsCodeWindows95:
      Visible = Type.Windows95Visible;
      Selected = SelectionFromSetting(Type.Windows95Selected, Visible);
      break;
    case OsCodeWindows98:
      Visible = Type.Windows98Visible;
      Selected = SelectionFromSetting(Type.Windows98Selected, Visible);
      break;
    case OsCodeNT40Workstation:
    case OsCodeNT40Server:
      Visible = Type.WindowsNT40Visible;
      Selected = SelectionFromSetting(Type.WindowsNT40Selected, Visible);
      break;
    case OsCodeWindows2000:
      Visible = Type.Windows2000Visible;
      Selected = SelectionFromSetting(Type.Windows2000Selected, Visible);
      break;
    default:
      break;
    }
    Type.Selected = Selected;
    if (Visible)
      List.AddSetupType(Type.Name, Selected, Type);
    Type.SizeInKB = int32_t(SetupTypeSizeInKB(Model, Type));
  }
  List.SelectFirst();
}

void ApplyEventAction(platform::Messages &Msg, const std::string &Event, const std::string &Text,
                      uint8_t &Action) {
  std::string E = UpperCaseText(Event);
  uint32_t Icon;
  const char *Caption;
  uint8_t Result = Action;
  if (E == "INFORM") {
    Icon = platform::MbIconInformation;
    Caption = "Information";
  } else if (E == "PREVENT INSTALLATION OF CURRENT SETUP TYPE") {
    Icon = platform::MbIconWarning;
    Caption = "Warning";
    Result = ActionPrevent;
  } else if (E == "INSTALL CURRENT SETUP TYPE") {
    Icon = platform::MbIconInformation;
    Caption = "Information";
    Result = ActionInstall;
  } else if (E == "ABORT") {
    Icon = platform::MbIconError;
    Caption = "Error";
    Result = ActionAbort;
  } else {
    return;
  }
  if (!Text.empty())
    Msg.ShowMessage(Text, Caption, platform::MbOk | Icon);
  Action = Result;
}

bool EventCheckFires(const EventContext &Context, const package::DefaultDirectoryType &Dir,
                     const std::string &Check, const std::string &Parameter) {
  platform::FileSystem &Files = Context.Paths.Files;
  if (Check == "DEFAULT DESTINATION DIRECTORY EXISTS") {
    // Fires when the default directory is missing.
    std::string Path = Dir.DestinationDir;
    ResolvePathMacros(Context.Paths, Path, true);
    return !Files.DirectoryExists(Path);
  }
  if (Check == "DIRECTORY FOR PREVIOUS INSTALLATION EXISTS") {
    std::string Value = package::ReadRegistryPath(Context.Paths.Reg, TrimText(Dir.RegistryKey));
    size_t Cut = Value.find_last_of("\\:");
    Value = Cut == std::string::npos ? std::string() : Value.substr(0, Cut + 1);
    return !Value.empty() && Files.DirectoryExists(Value);
  }
  // The four checks that name what they test in the parameter.
  std::string Param = TrimText(Parameter);
  if (Param.empty())
    return false;
  if (Check == "REGISTRY KEY EXISTS")
    return RegistryKeyExists(Context.Paths.Reg, Param);
  if (Check == "REGISTRY VALUE EXISTS")
    return RegistryValueExists(Context.Paths.Reg, Param);
  if (Check == "DIRECTORY EXISTS") {
    ResolvePathMacros(Context.Paths, Param, true);
    return Files.DirectoryExists(Param);
  }
  if (Check == "FILE EXISTS") {
    ResolvePathMacros(Context.Paths, Param, false);
    return Files.FileExists(Param);
  }
  return false;
}

uint8_t EvaluateSetupTypeEvents(const EventContext &Context, const package::SetupType &Type) {
  uint8_t Result = ActionNone;
  for (const package::DefaultDirectoryType &Dir : Type.DefaultDirs) {
    uint8_t Action = ActionNone;
    for (const std::string &Record : Dir.Events) {
      if (Action != ActionNone)
        break;
      std::string Check = UpperCaseText(package::GetFieldText(Record, 1));
      std::string Parameter = package::GetFieldText(Record, 2);
      std::string Event = UpperCaseText(package::GetFieldText(Record, 3));
      std::string Text = package::GetFieldText(Record, 4);
      if (EventCheckFires(Context, Dir, Check, Parameter))
        ApplyEventAction(Context.Msg, Event, Text, Action);
    }
    if (Action > Result)
      Result = Action;
  }
  return Result;
}

} // namespace driver
