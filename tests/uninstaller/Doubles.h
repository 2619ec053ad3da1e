// In-memory doubles for the uninstaller tests: a file system with a real
// directory tree (a directory is removable only when empty, files can be
// locked), a registry whose keys list their values and sub-keys, INI files
// held as text sections, and message boxes with scripted answers.
#pragma once

#include "platform/MemoryFile.h"
#include "platform/Platform.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace doubles {

inline std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return S;
}

inline std::string Parent(const std::string &P) {
  size_t I = P.rfind('\\');
  return I == std::string::npos ? std::string() : P.substr(0, I);
}

class Files : public platform::FileSystem {
public:
  std::map<std::string, uint32_t> FileAttrs; // by upper-cased path
  std::set<std::string> Dirs;
  std::set<std::string> Locked; // files that cannot be deleted
  std::vector<std::string> Calls;

  void AddDir(const std::string &P) {
    for (std::string D = Upper(P); D.size() > 2; D = Parent(D))
      Dirs.insert(D);
  }
  void AddFile(const std::string &P, uint32_t Attrs = platform::AttrArchive) {
    AddDir(Parent(P));
    FileAttrs[Upper(P)] = Attrs;
  }
  bool Has(const std::string &P) const { return FileAttrs.count(Upper(P)) || Dirs.count(Upper(P)); }

  // The text an existing file reads as; files have none without it.
  std::function<std::string(const std::string &)> TextOf;

  std::unique_ptr<platform::File> Open(const std::string &P, platform::OpenMode Mode) override {
    if (Mode != platform::OpenMode::Read || !TextOf || !FileExists(P))
      return nullptr;
    const std::string T = TextOf(P);
    return std::make_unique<platform::MemoryFile>(std::vector<uint8_t>(T.begin(), T.end()));
  }
  bool FileExists(const std::string &P) override { return FileAttrs.count(Upper(P)) != 0; }
  bool DirectoryExists(const std::string &P) override { return Dirs.count(Upper(P)) != 0; }
  bool MakeDirectory(const std::string &P) override { return Dirs.insert(Upper(P)).second; }
  bool DeleteDirectory(const std::string &P) override {
    Calls.push_back("rmdir " + P);
    std::vector<platform::DirEntry> E;
    if (!ListDirectory(P, E) || !E.empty())
      return false;
    return Dirs.erase(Upper(P)) != 0;
  }
  bool RemoveFile(const std::string &P) override {
    Calls.push_back("del " + P);
    auto It = FileAttrs.find(Upper(P));
    if (It == FileAttrs.end() || Locked.count(Upper(P)) || (It->second & platform::AttrReadOnly))
      return false;
    FileAttrs.erase(It);
    return true;
  }
  // Never over an existing name, as on Windows.
  bool RenameFile(const std::string &From, const std::string &To) override {
    Calls.push_back("ren " + From + " " + To);
    auto It = FileAttrs.find(Upper(From));
    if (It == FileAttrs.end() || Has(To) || Locked.count(Upper(From)))
      return false;
    const uint32_t A = It->second;
    FileAttrs.erase(It);
    FileAttrs[Upper(To)] = A;
    return true;
  }
  uint32_t GetAttributes(const std::string &P) override {
    auto It = FileAttrs.find(Upper(P));
    if (It != FileAttrs.end())
      return It->second;
    return Dirs.count(Upper(P)) ? uint32_t(platform::AttrDirectory) : platform::AttrInvalid;
  }
  bool SetAttributes(const std::string &P, uint32_t A) override {
    auto It = FileAttrs.find(Upper(P));
    if (It == FileAttrs.end())
      return Dirs.count(Upper(P)) != 0;
    It->second = A;
    return true;
  }
  platform::DosDateTime GetFileDate(const std::string &) override { return -1; }
  bool SetFileDate(const std::string &, platform::DosDateTime) override { return false; }
  bool ListDirectory(const std::string &P, std::vector<platform::DirEntry> &Out) override {
    Out.clear();
    std::string U = Upper(P);
    if (!Dirs.count(U))
      return false;
    for (auto &[F, A] : FileAttrs)
      if (Parent(F) == U)
        Out.push_back({F.substr(U.size() + 1), false});
    for (auto &D : Dirs)
      if (Parent(D) == U)
        Out.push_back({D.substr(U.size() + 1), true});
    return true;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string TempDirectory() override { return "C:\\TEMP\\"; }
  bool ExpandEnvironment(const std::string &T, std::string &Out) override {
    Out = T;
    return true;
  }
};

class Registry : public platform::Registry {
public:
  // "root\UPPER\PATH" -> upper-cased value name -> data
  std::map<std::string, std::map<std::string, std::string>> Keys;
  std::set<std::string> ReadOnlyKeys; // values there cannot be deleted
  int Creates = 0;                    // keys made by OpenKey(Create)

  static std::string Id(platform::RootKey Root, std::string Path) {
    while (!Path.empty() && Path.front() == '\\')
      Path.erase(0, 1);
    while (!Path.empty() && Path.back() == '\\')
      Path.pop_back();
    return std::to_string(uint32_t(Root)) + (Path.empty() ? "" : "\\" + Upper(Path));
  }
  void Set(platform::RootKey Root, const std::string &Path, const std::string &Name,
           const std::string &Data) {
    for (std::string K = Id(Root, Path); K.find('\\') != std::string::npos; K = Parent(K))
      Keys[K];
    Keys[Id(Root, Path)][Upper(Name)] = Data;
  }
  bool HasKey(platform::RootKey Root, const std::string &Path) const {
    return Keys.count(Id(Root, Path)) != 0;
  }
  bool HasValue(platform::RootKey Root, const std::string &Path, const std::string &Name) const {
    auto K = Keys.find(Id(Root, Path));
    return K != Keys.end() && K->second.count(Upper(Name));
  }

  class Key : public platform::RegistryKey {
  public:
    Key(Registry &R, std::string Id, bool Writable) : FR(R), FId(std::move(Id)), FW(Writable) {}
    bool ValueExists(const std::string &N) override { return V().count(Upper(N)) != 0; }
    bool ReadString(const std::string &N, std::string &Out) override {
      auto It = V().find(Upper(N));
      if (It == V().end())
        return false;
      Out = It->second;
      return true;
    }
    bool ReadBinary(const std::string &, std::vector<uint8_t> &) override { return false; }
    bool ReadDword(const std::string &, uint32_t &) override { return false; }
    bool WriteString(const std::string &N, const std::string &Data) override {
      if (!FW)
        return false;
      V()[Upper(N)] = Data;
      return true;
    }
    bool WriteBinary(const std::string &, const void *, uint32_t) override { return false; }
    bool WriteDword(const std::string &, uint32_t) override { return false; }
    bool DeleteValue(const std::string &N) override {
      if (!FW || FR.ReadOnlyKeys.count(FId))
        return false;
      return V().erase(Upper(N)) != 0;
    }
    bool ListValues(std::vector<std::string> &Out) override {
      Out.clear();
      for (auto &[N, D] : V())
        Out.push_back(N);
      return true;
    }
    bool ListSubKeys(std::vector<std::string> &Out) override {
      Out.clear();
      for (auto &[K, Vals] : FR.Keys)
        if (Parent(K) == FId)
          Out.push_back(K.substr(FId.size() + 1));
      return true;
    }

  private:
    std::map<std::string, std::string> &V() { return FR.Keys[FId]; }
    Registry &FR;
    std::string FId;
    bool FW;
  };

  std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey Root, const std::string &Path,
                                                 bool Create) override {
    std::string K = Id(Root, Path);
    if (!Keys.count(K)) {
      if (!Create)
        return nullptr;
      ++Creates;
      Set(Root, Path, "", "");
      Keys[K].clear();
    }
    return std::make_unique<Key>(*this, K, Create);
  }
  bool DeleteKey(platform::RootKey Root, const std::string &Path) override {
    std::string K = Id(Root, Path);
    for (auto &[Other, V] : Keys)
      if (Parent(Other) == K)
        return false;
    return Keys.erase(K) != 0;
  }
};

// Sections keep their keys in file order, as GetPrivateProfileString lists them.
class Ini : public platform::IniFiles {
public:
  using Section = std::vector<std::pair<std::string, std::string>>;
  std::map<std::string, std::map<std::string, Section>> Data; // file -> section -> keys

  void Put(const std::string &File, const std::string &Sec, const std::string &Key,
           const std::string &Value) {
    WriteString(File, Sec, Key, Value);
  }
  // The file as the profile functions would have written it.
  std::string Text(const std::string &File) const {
    std::string Out;
    auto F = Data.find(Upper(File));
    if (F != Data.end())
      for (auto &[Name, Keys] : F->second) {
        Out += "[" + Name + "]\r\n";
        for (auto &[K, V] : Keys)
          Out += K + "=" + V + "\r\n";
      }
    return Out;
  }
  std::string ReadString(const std::string &File, const std::string &Sec, const std::string &Key,
                         const std::string &Default) override {
    const Section *S = Find(File, Sec);
    if (S)
      for (auto &[K, V] : *S)
        if (Upper(K) == Upper(Key))
          return V.substr(0, 2047);
    return Default;
  }
  bool WriteString(const std::string &File, const std::string &Sec, const std::string &Key,
                   const std::string &Value) override {
    Section &S = Data[Upper(File)][Upper(Sec)];
    for (auto &[K, V] : S)
      if (Upper(K) == Upper(Key)) {
        V = Value;
        return true;
      }
    S.push_back({Key, Value});
    return true;
  }
  bool ReadSections(const std::string &File, std::vector<std::string> &Out) override {
    Out.clear();
    auto F = Data.find(Upper(File));
    if (F == Data.end())
      return false;
    for (auto &[N, S] : F->second)
      Out.push_back(N);
    return true;
  }
  bool ReadKeys(const std::string &File, const std::string &Sec,
                std::vector<std::string> &Out) override {
    Out.clear();
    if (!Data.count(Upper(File)))
      return false;
    if (const Section *S = Find(File, Sec))
      for (auto &[K, V] : *S)
        Out.push_back(K);
    return true;
  }

private:
  const Section *Find(const std::string &File, const std::string &Sec) {
    auto F = Data.find(Upper(File));
    if (F == Data.end())
      return nullptr;
    auto S = F->second.find(Upper(Sec));
    return S == F->second.end() ? nullptr : &S->second;
  }
};

class Messages : public platform::Messages {
public:
  struct Box {
    std::string Text, Caption;
    uint32_t Flags;
  };
  std::vector<Box> Shown;
  std::vector<int> Answers; // given in turn; IdOk once they run out
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    Shown.push_back({Text, Caption, Flags});
    if (Shown.size() <= Answers.size())
      return Answers[Shown.size() - 1];
    return platform::IdOk;
  }
};

} // namespace doubles
