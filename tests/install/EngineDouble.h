// In-memory machine for the installation engine's tests: a file system whose
// files keep what is written to them (with dates, attributes, read-only
// directories and a disk that can fill up), private-profile files read and
// written in that file system, version blocks by file name, scripted message
// box answers, a recording status panel, and a writer for packages.
#pragma once

#include "codec/CRC32.h"
#include "codec/EntryWriter.h"
#include "install/InstallationEngine.h"
#include "package/Package.h"
#include "package/SetupModel.h"
#include "platform/MemoryFile.h"

#include "FakePlatform.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace engine_double {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string &S) {
  return Bytes(S.begin(), S.end());
}
inline std::string ToText(const Bytes &B) {
  return std::string(B.begin(), B.end());
}

inline std::string Key(std::string P) {
  P = fake::Upper(P);
  while (P.size() > 1 && P.back() == '\\')
    P.pop_back();
  return P;
}
inline std::string Parent(const std::string &K) {
  const size_t P = K.rfind('\\');
  return P == std::string::npos ? std::string() : K.substr(0, P);
}

class MemFs : public platform::FileSystem {
public:
  struct Node {
    std::shared_ptr<Bytes> Data = std::make_shared<Bytes>();
    platform::DosDateTime Date = 0x30210000; // 2004-01-01
    uint32_t Attr = platform::AttrArchive;
  };
  std::map<std::string, Node> Nodes;
  std::set<std::string> Dirs{"C:", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\FONTS",
                             "C:\\TEMP"};
  std::set<std::string> ReadOnlyDirs; // nothing can be made inside them
  // Files whose upper-cased path starts with one of these cannot be made.
  std::set<std::string> FailWrites;
  std::set<std::string> FailReads; // upper-cased paths that cannot be opened
  // Files whose upper-cased path starts with one of these cannot be renamed.
  std::set<std::string> FailRenamesFrom;
  uint64_t DiskLeft = UINT64_MAX; // bytes that still fit on the disk
  // Writes that end short (half of them written, as on a disk that fills
  // up under a write), counted down; the ones after them succeed.
  int ShortWrites = 0;
  // Searches of a name by upper-cased path (existence look-ups and
  // exclusive creates): each costs one on a real system.
  std::map<std::string, int> Lookups;
  std::map<std::string, int> Listings; // directory listings, likewise

  void Put(const std::string &Path, const std::string &Text,
           platform::DosDateTime Date = 0x30210000) {
    Node N;
    *N.Data = ToBytes(Text);
    N.Date = Date;
    Nodes[Key(Path)] = N;
  }
  std::string Text(const std::string &Path) const {
    auto It = Nodes.find(Key(Path));
    return It == Nodes.end() ? std::string("<missing>") : ToText(*It->second.Data);
  }
  bool Has(const std::string &Path) const { return Nodes.count(Key(Path)) != 0; }
  bool HasDir(const std::string &Path) const { return Dirs.count(Key(Path)) != 0; }
  platform::DosDateTime Date(const std::string &Path) const { return Nodes.at(Key(Path)).Date; }
  // Every file and directory below Dir (a prefix match on keys).
  std::vector<std::string> Below(const std::string &Dir) const {
    std::vector<std::string> Out;
    const std::string P = Key(Dir) + "\\";
    for (auto &[K, N] : Nodes)
      if (K.compare(0, P.size(), P) == 0)
        Out.push_back(K);
    for (auto &K : Dirs)
      if (K.compare(0, P.size(), P) == 0)
        Out.push_back(K + "\\");
    return Out;
  }

  class MemFsFile : public platform::File {
  public:
    MemFsFile(MemFs &Fs, std::shared_ptr<Bytes> Data, bool Writable)
        : FFs(Fs), FData(std::move(Data)), FWritable(Writable) {}
    // The date of the node that holds this file's bytes, under whatever
    // name it has now.
    bool SetLastWriteDate(platform::DosDateTime Date) override {
      if (!FWritable)
        return false;
      for (auto &[K, N] : FFs.Nodes)
        if (N.Data == FData) {
          N.Date = Date;
          return true;
        }
      return false;
    }
    uint32_t Read(void *Buffer, uint32_t Count) override {
      const uint64_t N =
          FPos >= FData->size() ? 0 : std::min<uint64_t>(Count, FData->size() - FPos);
      std::copy_n(FData->data() + FPos, N, static_cast<uint8_t *>(Buffer));
      FPos += N;
      return uint32_t(N);
    }
    uint32_t Write(const void *Buffer, uint32_t Count) override {
      if (!FWritable || FFs.DiskLeft < Count) {
        SetError();
        return 0;
      }
      if (FFs.ShortWrites > 0 && Count > 0) {
        --FFs.ShortWrites;
        const uint32_t Half = Count / 2;
        FFs.DiskLeft -= Half;
        if (FData->size() < FPos + Half)
          FData->resize(FPos + Half);
        std::copy_n(static_cast<const uint8_t *>(Buffer), Half, FData->data() + FPos);
        FPos += Half;
        SetError();
        return Half;
      }
      FFs.DiskLeft -= Count;
      if (FData->size() < FPos + Count)
        FData->resize(FPos + Count);
      std::copy_n(static_cast<const uint8_t *>(Buffer), Count, FData->data() + FPos);
      FPos += Count;
      return Count;
    }
    bool Seek(uint64_t Position) override {
      FPos = Position;
      return true;
    }
    uint64_t Position() const override { return FPos; }
    uint64_t Size() override { return FData->size(); }
    bool Truncate() override {
      FData->resize(FPos);
      return true;
    }

  private:
    MemFs &FFs;
    std::shared_ptr<Bytes> FData;
    bool FWritable;
    uint64_t FPos = 0;
  };

  bool CanMakeIn(const std::string &K) const {
    const std::string P = Parent(K);
    return Dirs.count(P) && !ReadOnlyDirs.count(P);
  }

  std::unique_ptr<platform::File> Open(const std::string &Path, platform::OpenMode Mode) override {
    const std::string K = Key(Path);
    auto It = Nodes.find(K);
    using platform::OpenMode;
    if (Mode == OpenMode::Create || Mode == OpenMode::CreateNew) {
      for (const std::string &Prefix : FailWrites)
        if (K.compare(0, Prefix.size(), Prefix) == 0)
          return nullptr;
      if (Mode == OpenMode::CreateNew)
        ++Lookups[K];
      if (Mode == OpenMode::CreateNew && It != Nodes.end())
        return nullptr;
      if (It != Nodes.end() && (It->second.Attr & platform::AttrReadOnly))
        return nullptr;
      if (It == Nodes.end() && !CanMakeIn(K))
        return nullptr;
      Node &N = Nodes[K];
      N.Data->clear();
      return std::make_unique<MemFsFile>(*this, N.Data, true);
    }
    if (It == Nodes.end() || FailReads.count(K))
      return nullptr;
    if (Mode == OpenMode::ReadWrite && (It->second.Attr & platform::AttrReadOnly))
      return nullptr;
    return std::make_unique<MemFsFile>(*this, It->second.Data, Mode == OpenMode::ReadWrite);
  }
  bool FileExists(const std::string &Path) override {
    ++Lookups[Key(Path)];
    return Has(Path);
  }
  bool DirectoryExists(const std::string &Path) override { return HasDir(Path); }
  bool MakeDirectory(const std::string &Path) override {
    const std::string K = Key(Path);
    if (Dirs.count(K) || Nodes.count(K) || !CanMakeIn(K))
      return false;
    Dirs.insert(K);
    return true;
  }
  bool DeleteDirectory(const std::string &Path) override {
    const std::string K = Key(Path);
    if (!Dirs.count(K) || !Below(K).empty())
      return false;
    Dirs.erase(K);
    return true;
  }
  bool RemoveFile(const std::string &Path) override {
    auto It = Nodes.find(Key(Path));
    if (It == Nodes.end() || (It->second.Attr & platform::AttrReadOnly))
      return false;
    Nodes.erase(It);
    return true;
  }
  bool RenameFile(const std::string &From, const std::string &To) override {
    auto It = Nodes.find(Key(From));
    if (It == Nodes.end() || Nodes.count(Key(To)) || !CanMakeIn(Key(To)))
      return false;
    for (const std::string &Prefix : FailRenamesFrom)
      if (Key(From).compare(0, Prefix.size(), Prefix) == 0)
        return false;
    Node N = It->second;
    Nodes.erase(It);
    Nodes[Key(To)] = N;
    return true;
  }
  uint32_t GetAttributes(const std::string &Path) override {
    if (HasDir(Path))
      return platform::AttrDirectory;
    auto It = Nodes.find(Key(Path));
    return It == Nodes.end() ? platform::AttrInvalid : It->second.Attr;
  }
  bool SetAttributes(const std::string &Path, uint32_t Attributes) override {
    auto It = Nodes.find(Key(Path));
    if (It == Nodes.end())
      return false;
    It->second.Attr = Attributes == platform::AttrNormal ? 0 : Attributes;
    return true;
  }
  platform::DosDateTime GetFileDate(const std::string &Path) override {
    auto It = Nodes.find(Key(Path));
    return It == Nodes.end() ? -1 : It->second.Date;
  }
  bool SetFileDate(const std::string &Path, platform::DosDateTime Date) override {
    auto It = Nodes.find(Key(Path));
    if (It == Nodes.end())
      return false;
    It->second.Date = Date;
    return true;
  }
  // Names come back upper-cased, as the double keeps them.
  bool ListDirectory(const std::string &Path, std::vector<platform::DirEntry> &Out) override {
    Out.clear();
    const std::string K = Key(Path);
    ++Listings[K];
    if (!Dirs.count(K))
      return false;
    for (const auto &N : Nodes)
      if (Parent(N.first) == K)
        Out.push_back({N.first.substr(K.size() + 1), false});
    for (const std::string &D : Dirs)
      if (Parent(D) == K)
        Out.push_back({D.substr(K.size() + 1), true});
    return true;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string TempDirectory() override { return "C:\\TEMP\\"; }
  bool ExpandEnvironment(const std::string &Text, std::string &Out) override {
    Out = Text;
    return true;
  }
};

// Private-profile files kept as text in MemFs: "[Section]" and "key=value"
// lines with CR LF, names compared without regard to letter case.
class MemIni : public platform::IniFiles {
public:
  explicit MemIni(MemFs &Fs) : FFs(Fs) {}

  using Section = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
  std::vector<Section> Parse(const std::string &File) const {
    std::vector<Section> Out;
    std::string T = FFs.Text(File), Line;
    if (T == "<missing>")
      return Out;
    T += "\n";
    for (char C : T) {
      if (C != '\n' && C != '\r') {
        Line += C;
        continue;
      }
      if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']')
        Out.push_back({Line.substr(1, Line.size() - 2), {}});
      else if (!Out.empty() && Line.find('=') != std::string::npos)
        Out.back().second.push_back(
            {Line.substr(0, Line.find('=')), Line.substr(Line.find('=') + 1)});
      Line.clear();
    }
    return Out;
  }

  std::string ReadString(const std::string &File, const std::string &Sec, const std::string &K,
                         const std::string &Default) override {
    for (auto &S : Parse(File))
      if (fake::Upper(S.first) == fake::Upper(Sec))
        for (auto &[Name, Value] : S.second)
          if (fake::Upper(Name) == fake::Upper(K))
            return Value.substr(0, 2047);
    return Default;
  }
  bool WriteString(const std::string &File, const std::string &Sec, const std::string &K,
                   const std::string &Value) override {
    auto All = Parse(File);
    Section *S = nullptr;
    for (auto &E : All)
      if (fake::Upper(E.first) == fake::Upper(Sec))
        S = &E;
    if (!S) {
      All.push_back({Sec, {}});
      S = &All.back();
    }
    bool Done = false;
    for (auto &[Name, V] : S->second)
      if (fake::Upper(Name) == fake::Upper(K)) {
        V = Value;
        Done = true;
      }
    if (!Done)
      S->second.push_back({K, Value});
    std::string T;
    for (auto &E : All) {
      T += "[" + E.first + "]\r\n";
      for (auto &[Name, V] : E.second)
        T += Name + "=" + V + "\r\n";
    }
    auto F = FFs.Open(File, platform::OpenMode::Create);
    return F && F->Write(T.data(), uint32_t(T.size())) == T.size();
  }
  bool ReadSections(const std::string &File, std::vector<std::string> &Out) override {
    Out.clear();
    if (!FFs.Has(File))
      return false;
    for (auto &S : Parse(File))
      Out.push_back(S.first);
    return true;
  }
  bool ReadKeys(const std::string &File, const std::string &Sec,
                std::vector<std::string> &Out) override {
    Out.clear();
    for (auto &S : Parse(File))
      if (fake::Upper(S.first) == fake::Upper(Sec))
        for (auto &KV : S.second)
          Out.push_back(KV.first);
    return FFs.Has(File);
  }

private:
  MemFs &FFs;
};

// Version blocks by file: the block is the file's key, the strings come from
// Versions while the file exists.
class MemVersion : public platform::VersionInfo {
public:
  explicit MemVersion(MemFs &Fs) : FFs(Fs) {}
  struct Strings {
    std::string FileVersion, Description;
  };
  std::map<std::string, Strings> Versions; // by Key(path)

  bool GetOsVersion(platform::OsVersionInfo &Out) override {
    Out.PlatformId = 2;
    return true;
  }
  bool LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) override {
    if (!FFs.Has(Path) || !Versions.count(Key(Path)))
      return false;
    Block = ToBytes(Key(Path));
    return true;
  }
  bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                  const uint8_t *&Data, uint32_t &Length) override {
    static const uint8_t Translation[4] = {0x09, 0x04, 0xE4, 0x04};
    if (SubBlock == "\\VarFileInfo\\Translation") {
      Data = Translation;
      Length = 4;
      return true;
    }
    auto It = Versions.find(ToText(Block));
    if (It == Versions.end())
      return false;
    const std::string *S = nullptr;
    if (SubBlock == "\\StringFileInfo\\040904E4\\FileVersion")
      S = &It->second.FileVersion;
    else if (SubBlock == "\\StringFileInfo\\040904E4\\FileDescription")
      S = &It->second.Description;
    if (!S)
      return false;
    Data = reinterpret_cast<const uint8_t *>(S->c_str());
    Length = uint32_t(S->size() + 1);
    return true;
  }

private:
  MemFs &FFs;
};

// Message boxes answered from a queue (then by Default), all recorded.
class ScriptedMessages : public platform::Messages {
public:
  struct Box {
    std::string Text, Caption;
    uint32_t Flags;
  };
  std::vector<Box> Shown;
  std::deque<int> Answers;
  int Default = platform::IdYes;
  std::function<void(const Box &)> OnShow;
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    Shown.push_back({Text, Caption, Flags});
    if (OnShow)
      OnShow(Shown.back());
    if (Answers.empty())
      return Default;
    const int A = Answers.front();
    Answers.pop_front();
    return A;
  }
};

class RecordingStatus : public install::InstallStatus {
public:
  std::vector<std::string> Captions, Items;
  uint32_t Max = 0, Position = 0;
  int Pumps = 0;
  bool Cancel = false;
  // Called at every pump with the progress so far: lets a test cancel at a
  // chosen point.
  std::function<void(RecordingStatus &)> OnPump;
  // Called as each item is shown, with its text.
  std::function<void(RecordingStatus &, const std::string &)> OnItem;

  void SetPhaseCaption(const std::string &T) override { Captions.push_back(T); }
  void SetCurrentItem(const std::string &T) override {
    Items.push_back(T);
    if (OnItem)
      OnItem(*this, T);
  }
  void SetProgressMax(uint32_t M) override { Max = M; }
  void SetProgress(uint32_t P) override { Position = P; }
  void ProcessMessages() override {
    ++Pumps;
    if (OnPump)
      OnPump(*this);
  }
  bool CancelRequested() override { return Cancel; }
};

// The program folder page before the user changes anything: every folder
// keeps its default name (the child group's), unless Chosen names another;
// keys in Unknown were never collected by the page.
class DefaultFolderNames : public install::ProgramFolderTable {
public:
  std::map<std::string, std::string> Chosen; // by upper-cased key
  std::set<std::string> Unknown;
  mutable std::vector<std::string> Asked;

  int FindProgramFolder(const std::string &Key) const override {
    Asked.push_back(Key);
    if (Unknown.count(fake::Upper(Key)))
      return -1;
    return int(Asked.size() - 1);
  }
  std::string GetChosenFolder(int Index) const override {
    const std::string &Key = Asked.at(size_t(Index));
    auto It = Chosen.find(fake::Upper(Key));
    if (It != Chosen.end())
      return It->second;
    return Key.substr(Key.find('\\') + 1);
  }
};

// ------------------------------------------------------------- packages

struct PkgFile {
  std::string Name; // package path, "\%InstallDir%\sub\a.txt"
  Bytes Data;
  uint32_t Version = 0;
  int32_t Date = 0x34210000; // 2006-01-01
  int LinkTo = -1;           // index of an earlier file of the same group
};
struct PkgGroup {
  std::string Name;
  std::vector<PkgFile> Files;
};

struct BuiltPackage {
  Bytes Data;
  // Where the entries start: a real package has the launcher image before
  // them, so no entry ever sits at offset 0.
  uint64_t FilesPosition = 16;
  std::vector<std::vector<uint64_t>> FilePositions; // header offsets per group
};

inline void WriteDataEntry(platform::MemoryFile &Out, uint16_t Type, const std::string &Name,
                           const Bytes &Data, uint32_t Version, int32_t Date) {
  const uint64_t At = Out.Position();
  package::TEntryHeader H;
  H.EntryType = Type;
  H.SetName(Name);
  package::WriteEntryHeader(Out, H);
  platform::MemoryFile Source(Data);
  codec::TLzrEncoder Encoder;
  codec::EncodedEntryInfo Info;
  codec::EncodeEntryData(Source, Out, Encoder, Info);
  H.PackedSize = Info.PackedSize;
  H.UnpackedSize = Info.UnpackedSize;
  H.Crc = Info.Crc;
  H.Version = Version;
  H.FileDate = Date;
  const uint64_t End = Out.Position();
  Out.Seek(At);
  package::WriteEntryHeader(Out, H);
  Out.Seek(End);
}

inline BuiltPackage BuildPackage(const std::vector<PkgGroup> &Groups, const Bytes *Uninstaller,
                                 uint32_t UninstallerVersion = 0) {
  platform::MemoryFile Out;
  BuiltPackage B;
  const Bytes Image(B.FilesPosition, 'M');
  Out.Write(Image.data(), uint32_t(Image.size()));
  if (Uninstaller)
    WriteDataEntry(Out, package::EntryUninstaller, "tcUninst.exe", *Uninstaller, UninstallerVersion,
                   0);
  for (const PkgGroup &G : Groups) {
    const uint64_t GroupAt = Out.Position();
    package::TEntryHeader GH;
    GH.EntryType = package::EntryGroup;
    GH.SetName(G.Name);
    package::WriteEntryHeader(Out, GH);
    B.FilePositions.emplace_back();
    for (const PkgFile &F : G.Files) {
      const uint64_t At = Out.Position();
      B.FilePositions.back().push_back(At);
      if (F.LinkTo < 0) {
        WriteDataEntry(Out, package::EntryFile, F.Name, F.Data, F.Version, F.Date);
        continue;
      }
      Out.Seek(B.FilePositions.back()[size_t(F.LinkTo)]);
      package::TEntryHeader L;
      package::ReadEntryHeader(Out, L);
      Out.Seek(At);
      // A link carries no sizes or checksum of its own.
      L.LinkOffset = uint32_t(B.FilePositions.back()[size_t(F.LinkTo)]);
      L.PackedSize = 0;
      L.UnpackedSize = 0;
      L.Crc = 0;
      L.SetName(F.Name);
      L.Version = F.Version;
      L.FileDate = F.Date;
      package::WriteEntryHeader(Out, L);
    }
    const uint64_t End = Out.Position();
    GH.PackedSize = uint32_t(G.Files.size());
    GH.UnpackedSize = uint32_t(End);
    Out.Seek(GroupAt);
    package::WriteEntryHeader(Out, GH);
    Out.Seek(End);
  }
  B.Data = Out.Data();
  return B;
}

// ------------------------------------------------------------- model

// The file record for a package path, making the directory nodes on the way.
inline package::FileType &AddFileRecord(package::GroupType &G, const std::string &PackagePath,
                                        uint8_t IfExists, bool KeepDate = true,
                                        const std::string &IniId = "") {
  std::vector<std::string> Parts;
  std::string Part;
  for (char C : PackagePath.substr(1) + "\\") {
    if (C == '\\') {
      if (!Part.empty())
        Parts.push_back(Part);
      Part.clear();
    } else {
      Part += C;
    }
  }
  package::DirType *Dir = &G.RootDir;
  for (size_t I = 0; I + 1 < Parts.size(); ++I) {
    package::DirType *Sub = package::FindSubDir(Dir->SubDirs.First(), Parts[I]);
    if (!Sub) {
      Sub = Dir->SubDirs.AppendNew();
      Sub->Name = Parts[I];
    }
    Dir = Sub;
  }
  package::FileType *F = Dir->Files.AppendNew();
  F->Name = Parts.back();
  F->IfExists = IfExists;
  F->KeepDate = KeepDate;
  F->INI_id = IniId;
  return *F;
}

inline std::string ResolveForTests(const std::string &Path, bool Trailing) {
  std::string P = Path;
  const std::pair<const char *, const char *> Macros[] = {
      {"%INSTALLDIR%", "C:\\Program Files\\App"},
      {"<SYSTEMDIR>", "C:\\WINDOWS\\SYSTEM"},
      {"<FONTDIR>", "C:\\WINDOWS\\FONTS"}};
  for (auto &[M, V] : Macros)
    for (size_t At; (At = fake::Upper(P).find(M)) != std::string::npos;)
      P.replace(At, std::string(M).size(), V);
  if (Trailing && (P.empty() || P.back() != '\\'))
    P += '\\';
  return P;
}

// Everything one test installation needs.
struct Machine {
  MemFs Fs;
  MemIni Ini{Fs};
  MemVersion Version{Fs};
  fake::Registry Reg;
  fake::Shell Shell;
  fake::Processes Procs;
  ScriptedMessages Msg;
  RecordingStatus Status;
  DefaultFolderNames Folders;
  platform::Platform System;
  int TempCounter = 0;

  Machine() {
    System.Files = &Fs;
    System.Reg = &Reg;
    System.Ini = &Ini;
    System.Version = &Version;
    System.ShellApi = &Shell;
    System.Procs = &Procs;
    System.Msg = &Msg;
  }
  install::InstallServices Services() {
    install::InstallServices S;
    S.ResolvePath = ResolveForTests;
    S.CreateTempFile = [this](std::string &Name) {
      Name = "C:\\TEMP\\tc" + std::to_string(++TempCounter) + ".tmp";
      return Fs.Open(Name, platform::OpenMode::CreateNew);
    };
    S.OsVersion.PlatformId = 2;
    return S;
  }
  int Run(package::TOpenFileType &Model, const BuiltPackage &Package) {
    platform::MemoryFile File(Package.Data);
    install::InstallationEngine Engine(System, Model, Status, Folders, Services());
    return Engine.RunInstallation(File, Package.FilesPosition);
  }
  std::string Log(const std::string &Section, const std::string &K,
                  const std::string &File = "C:\\WINDOWS\\tcUninst1.inf") {
    return Ini.ReadString(File, Section, K, "<none>");
  }
};

} // namespace engine_double
