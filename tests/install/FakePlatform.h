// In-memory doubles of the platform services for the engine and driver
// tests: files and directories in maps, a registry of nested maps, and
// recorders for shell calls and message boxes.
#pragma once

#include "platform/MemoryFile.h"
#include "platform/Platform.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fake {

inline std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return S;
}

class Files : public platform::FileSystem {
public:
  std::map<std::string, std::vector<uint8_t>> Data; // by upper-cased path
  std::map<std::string, platform::DosDateTime> Dates;
  std::set<std::string> Dirs;
  std::map<std::string, std::string> Env;
  std::string WinDir = "C:\\WINDOWS", SysDir = "C:\\WINDOWS\\SYSTEM", TempDir = "C:\\TEMP\\";
  // Called before a CreateNew open: lets a test make the file appear.
  std::function<void(const std::string &)> BeforeCreate;
  int Creates = 0;

  void Add(const std::string &Path, std::vector<uint8_t> Bytes) { Data[Upper(Path)] = Bytes; }
  void AddDir(const std::string &Path) { Dirs.insert(Upper(Strip(Path))); }

  std::unique_ptr<platform::File> Open(const std::string &Path, platform::OpenMode Mode) override {
    std::string K = Upper(Path);
    if (Mode == platform::OpenMode::CreateNew) {
      ++Creates;
      if (BeforeCreate)
        BeforeCreate(Path);
      if (Data.count(K))
        return nullptr;
      Data[K] = {};
      return std::make_unique<platform::MemoryFile>();
    }
    if (Mode == platform::OpenMode::Create) {
      Data[K] = {};
      return std::make_unique<platform::MemoryFile>();
    }
    auto It = Data.find(K);
    if (It == Data.end())
      return nullptr;
    return std::make_unique<platform::MemoryFile>(It->second);
  }
  bool FileExists(const std::string &Path) override { return Data.count(Upper(Path)) != 0; }
  bool DirectoryExists(const std::string &Path) override {
    return Dirs.count(Upper(Strip(Path))) != 0;
  }
  bool MakeDirectory(const std::string &Path) override { return Dirs.insert(Upper(Path)).second; }
  bool DeleteDirectory(const std::string &Path) override { return Dirs.erase(Upper(Path)) != 0; }
  bool RemoveFile(const std::string &Path) override { return Data.erase(Upper(Path)) != 0; }
  bool RenameFile(const std::string &, const std::string &) override { return false; }
  uint32_t GetAttributes(const std::string &Path) override {
    return FileExists(Path) ? platform::AttrNormal : platform::AttrInvalid;
  }
  bool SetAttributes(const std::string &, uint32_t) override { return true; }
  platform::DosDateTime GetFileDate(const std::string &Path) override {
    auto It = Dates.find(Upper(Path));
    return FileExists(Path) && It != Dates.end() ? It->second : -1;
  }
  bool SetFileDate(const std::string &, platform::DosDateTime) override { return true; }
  bool ListDirectory(const std::string &, std::vector<platform::DirEntry> &) override {
    return false;
  }
  std::string WindowsDirectory() override { return WinDir; }
  std::string SystemDirectory() override { return SysDir; }
  std::string TempDirectory() override { return TempDir; }
  bool ExpandEnvironment(const std::string &Text, std::string &Out) override {
    // Like Windows: a known %NAME% is replaced, an unknown one stays.
    Out = Text;
    for (auto &[Name, Value] : Env) {
      std::string Ref = "%" + Name + "%";
      for (size_t P; (P = Upper(Out).find(Upper(Ref))) != std::string::npos;)
        Out.replace(P, Ref.size(), Value);
    }
    return true;
  }

private:
  static std::string Strip(std::string P) {
    while (P.size() > 1 && P.back() == '\\')
      P.pop_back();
    return P;
  }
};

class Registry : public platform::Registry {
public:
  struct Value {
    uint32_t Type;
    std::string Data;
  };
  using Values = std::map<std::string, Value>; // by upper-cased name
  std::map<std::string, Values> Keys;          // by "root\UPPER\PATH"
  int Opens = 0;

  static std::string Id(platform::RootKey Root, std::string Path) {
    while (!Path.empty() && Path.front() == '\\')
      Path.erase(0, 1);
    while (!Path.empty() && Path.back() == '\\')
      Path.pop_back();
    return std::to_string(uint32_t(Root)) + "\\" + Upper(Path);
  }
  void Set(platform::RootKey Root, const std::string &Path, const std::string &Name,
           const std::string &Data, uint32_t Type = platform::RegSz) {
    Keys[Id(Root, Path)][Upper(Name)] = {Type, Data};
  }
  bool Has(platform::RootKey Root, const std::string &Path, const std::string &Name,
           std::string *Data = nullptr) {
    auto K = Keys.find(Id(Root, Path));
    if (K == Keys.end())
      return false;
    auto V = K->second.find(Upper(Name));
    if (V == K->second.end())
      return false;
    if (Data)
      *Data = V->second.Data;
    return true;
  }

  class Key : public platform::RegistryKey {
  public:
    explicit Key(Values &V) : FV(V) {}
    bool ValueExists(const std::string &Name) override { return FV.count(Upper(Name)) != 0; }
    bool ReadString(const std::string &Name, std::string &Out) override {
      auto It = FV.find(Upper(Name));
      if (It == FV.end() ||
          (It->second.Type != platform::RegSz && It->second.Type != platform::RegExpandSz))
        return false;
      Out = It->second.Data;
      return true;
    }
    bool ReadBinary(const std::string &, std::vector<uint8_t> &) override { return false; }
    bool ReadDword(const std::string &, uint32_t &) override { return false; }
    bool WriteString(const std::string &Name, const std::string &Value) override {
      FV[Upper(Name)] = {platform::RegSz, Value};
      return true;
    }
    bool WriteBinary(const std::string &, const void *, uint32_t) override { return false; }
    bool WriteDword(const std::string &, uint32_t) override { return false; }
    bool DeleteValue(const std::string &Name) override { return FV.erase(Upper(Name)) != 0; }
    bool ListValues(std::vector<std::string> &) override { return false; }
    bool ListSubKeys(std::vector<std::string> &) override { return false; }

  private:
    Values &FV;
  };

  std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey Root, const std::string &Path,
                                                 bool Create) override {
    ++Opens;
    std::string K = Id(Root, Path);
    if (!Create && !Keys.count(K))
      return nullptr;
    return std::make_unique<Key>(Keys[K]);
  }
  bool DeleteKey(platform::RootKey Root, const std::string &Path) override {
    return Keys.erase(Id(Root, Path)) != 0;
  }
};

class Shell : public platform::Shell {
public:
  std::vector<std::string> Calls;
  std::vector<platform::ShellLinkParams> Links;
  platform::ShellLinkResult LinkResult = platform::ShellLinkResult::Saved;
  std::function<void(const platform::ShellLinkParams &)> OnLink; // e.g. makes the file
  platform::ShellLinkResult CreateShellLink(const platform::ShellLinkParams &P) override {
    Links.push_back(P);
    if (OnLink)
      OnLink(P);
    return LinkResult;
  }
  int AddFont(const std::string &Path) override {
    Calls.push_back("add " + Path);
    return 1;
  }
  bool RemoveFont(const std::string &Path) override {
    Calls.push_back("remove " + Path);
    return true;
  }
  void BroadcastFontChange(uint32_t TimeoutMs) override {
    Calls.push_back("broadcast " + std::to_string(TimeoutMs));
  }
};

// Programs that "run" for a number of polls and end with a code; a command
// line in Missing cannot be started.
class Processes : public platform::Processes {
public:
  struct Run {
    std::string CommandLine;
    bool Hidden;
  };
  std::vector<Run> Started;
  std::set<std::string> Missing;
  int PollsToEnd = 3;
  uint32_t Sleeps = 0;
  std::function<void(const std::string &)> OnStart;

  class Proc : public platform::Process {
  public:
    explicit Proc(int Polls) : FLeft(Polls) {}
    bool WaitForInputIdle(uint32_t) override { return true; }
    bool GetExitCode(uint32_t &Code) override {
      Code = FLeft-- > 0 ? platform::ProcessStillActive : 0;
      return true;
    }
    bool HasEnded() override { return FLeft < 0; }

  private:
    int FLeft;
  };
  std::unique_ptr<platform::Process> Start(const std::string &CommandLine, bool Hidden) override {
    if (Missing.count(CommandLine))
      return nullptr;
    Started.push_back({CommandLine, Hidden});
    if (OnStart)
      OnStart(CommandLine);
    return std::make_unique<Proc>(PollsToEnd);
  }
  void Sleep(uint32_t) override { ++Sleeps; }
};

class Messages : public platform::Messages {
public:
  struct Box {
    std::string Text, Caption;
    uint32_t Flags;
  };
  std::vector<Box> Shown;
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    Shown.push_back({Text, Caption, Flags});
    return platform::IdOk;
  }
};

} // namespace fake
