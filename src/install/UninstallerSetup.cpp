#include "install/UninstallerSetup.h"

#include "install/FileVersion.h"
#include "install/ReplacedFiles.h"

namespace install {

std::string TrimText(const std::string &Text) {
  size_t B = 0, E = Text.size();
  while (B < E && uint8_t(Text[B]) <= 32)
    ++B;
  while (E > B && uint8_t(Text[E - 1]) <= 32)
    --E;
  return Text.substr(B, E - B);
}

std::string UpperAscii(std::string Text) {
  for (char &C : Text)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return Text;
}

std::string MakeUninstallString(const std::string &ExePath, const std::string &LogPath,
                                const std::string &Title) {
  return TrimText(ExePath) + " \"" + LogPath + "\" \"" + Title + "\"";
}

void SplitUninstallString(const std::string &Text, std::string &ExePath, std::string &LogPath) {
  ExePath.clear();
  LogPath.clear();
  const std::string S = TrimText(Text);
  if (S.empty())
    return;
  // The uninstaller path runs to the first blank; without one it is empty
  // and the whole text is the rest, which may still name the log.
  const size_t Blank = S.find(' ');
  std::string Exe, Rest = S;
  if (Blank != std::string::npos) {
    Exe = TrimText(S.substr(0, Blank + 1));
    Rest = TrimText(S.substr(Blank + 1));
  }
  if (Rest.empty() || Rest[0] != '"')
    return;
  Rest.erase(0, 1);
  const size_t Quote = Rest.find('"');
  ExePath = Exe;
  LogPath = TrimText(Rest.substr(0, Quote));
}

bool IsOurUninstaller(const platform::Platform &System, const std::string &Path) {
  return UpperAscii(GetFileDescription(*System.Version, Path)) ==
         UpperAscii(UninstallerDescription);
}

namespace {

std::string WindowsDirWithSlash(platform::FileSystem &Files) {
  std::string Dir = Files.WindowsDirectory();
  if (Dir.empty() || Dir.back() != '\\')
    Dir += '\\';
  return Dir;
}

std::string ReadRegistered(platform::Registry &Reg, const std::string &Title,
                           const std::string &Name) {
  std::string Value;
  auto Key = Reg.OpenKey(platform::RootKey::LocalMachine, UninstallKeyBase + Title, false);
  if (!Key || !Key->ReadString(Name, Value))
    return {};
  return Value;
}

} // namespace

void FindUninstaller(const platform::Platform &System, const std::string &Title,
                     std::string &ExePath, std::string &LogPath) {
  ExePath.clear();
  LogPath.clear();
  platform::FileSystem &Files = *System.Files;
  if (UpperAscii(ReadRegistered(*System.Reg, Title, "DisplayName")) == UpperAscii(Title))
    SplitUninstallString(ReadRegistered(*System.Reg, Title, "UninstallString"), ExePath, LogPath);
  // A replacement of either that a crash cut short may have left the
  // earlier file aside: it is this registration's, so it is put back.
  if (!ExePath.empty())
    RecoverLeftovers(Files, ExePath);
  if (!LogPath.empty())
    RecoverLeftovers(Files, LogPath);
  if (!ExePath.empty() && !IsOurUninstaller(System, ExePath)) {
    ExePath.clear();
    LogPath.clear();
  }
  const std::string Base = WindowsDirWithSlash(Files) + "tcUninst";
  if (ExePath.empty()) {
    ExePath = Base; // every number taken
    for (uint32_t N = 1; N <= MaxUninstallerNumber; ++N) {
      const std::string Name = Base + std::to_string(N) + ".exe";
      if (!Files.FileExists(Name) || IsOurUninstaller(System, Name)) {
        ExePath = Name;
        break;
      }
    }
  }
  if (LogPath.empty() || !Files.FileExists(LogPath)) {
    LogPath = Base;
    for (uint32_t N = 1; N <= MaxUninstallerNumber; ++N) {
      const std::string Name = Base + std::to_string(N) + ".inf";
      if (!Files.FileExists(Name)) {
        LogPath = Name;
        break;
      }
    }
  }
}

bool RegisterUninstaller(platform::Registry &Reg, const std::string &Title,
                         const std::string &ExePath, const std::string &LogPath) {
  auto Key = Reg.OpenKey(platform::RootKey::LocalMachine, UninstallKeyBase + Title + "\\", true);
  if (!Key)
    return false;
  const bool A = Key->WriteString("DisplayName", Title);
  const bool B = Key->WriteString("UninstallString", MakeUninstallString(ExePath, LogPath, Title));
  return A && B;
}

} // namespace install
