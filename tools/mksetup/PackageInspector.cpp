#include "PackageInspector.h"

#include <cstdio>
#include <functional>
#include <unordered_set>

#include "PackageBuilder.h"
#include "SourcePaths.h"
#include "codec/CompressedEntry.h"
#include "package/ScriptCodecs.h"
#include "package/SetupScript.h"
#include "platform/BackgroundJob.h"
#include "platform/MemoryFile.h"
#include "platform/ReadAheadFile.h"

namespace mksetup {
namespace {

// Takes the decoded bytes and forgets them: testing needs only the checksum.
class NullFile : public platform::File {
public:
  uint32_t Read(void *, uint32_t) override { return 0; }
  uint32_t Write(const void *, uint32_t Count) override {
    FSize += Count;
    return Count;
  }
  bool Seek(uint64_t) override { return true; }
  uint64_t Position() const override { return FSize; }
  uint64_t Size() override { return FSize; }
  bool Truncate() override { return true; }

private:
  uint64_t FSize = 0;
};

bool IsPicture(uint16_t T) {
  return T == package::EntryBackground || T == package::EntryImageFrame ||
         T == package::EntryPageLogo;
}

bool HoldsData(uint16_t T) {
  return IsPicture(T) || T == package::EntryUninstaller || T == package::EntryFile;
}

std::string Hex8(uint32_t V) {
  char B[9];
  std::snprintf(B, sizeof B, "%08X", V);
  return B;
}

std::string Where(const PackageEntry &E) {
  return "entry at " + std::to_string(E.Position) + " (type " + std::to_string(E.Header.EntryType) +
         ", \"" + E.Header.NameText() + "\")";
}

bool MakeDirs(platform::FileSystem &Files, const std::string &Base,
              const std::vector<std::string> &Parts, std::string &Path) {
  Path = Base;
  if (!Files.DirectoryExists(Path) && !Files.MakeDirectory(Path))
    return false;
  for (const auto &P : Parts) {
    Path = JoinPath(Path, P);
    if (!Files.DirectoryExists(Path) && !Files.MakeDirectory(Path))
      return false;
  }
  return true;
}

} // namespace

namespace {

// OpenPackageFile, with OnEntry (when given) called for every entry as soon
// as its header is read.
bool OpenAndWalk(platform::FileSystem &Files, const std::string &Path, OpenedPackage &Out,
                 std::string &Error, const std::function<void(const PackageEntry &)> &OnEntry) {
  Out.File.reset(); // before the source it reads
  Out.Source = Files.Open(Path, platform::OpenMode::Read);
  if (Out.Source)
    Out.File = std::make_unique<platform::ReadAheadFile>(*Out.Source, 1u << 20, true);
  if (!Out.File) {
    Error = "cannot open " + Path;
    return false;
  }
  platform::File &F = *Out.File;
  switch (package::OpenPackage(F, Out.Layout, Out.Script)) {
  case package::OpenPackageResult::Corrupted:
    Error = Path + ": File corrupted! (no package after the executable image)";
    return false;
  case package::OpenPackageResult::NothingToDo:
    Error = Path + ": Nothing to do! (the script is empty)";
    return false;
  case package::OpenPackageResult::Ok:
    break;
  }
  if (Out.Script.size() != Out.Layout.ScriptLength) {
    Error = Path + ": the script is cut short";
    return false;
  }
  const uint64_t Size = F.Size();
  uint64_t Pos = Out.Layout.EntriesPosition;
  while (Pos < Size) {
    PackageEntry E;
    E.Position = Pos;
    F.ClearError();
    if (!F.Seek(Pos) || !package::ReadEntryHeader(F, E.Header)) {
      Error = "entry header at " + std::to_string(Pos) + " is cut short";
      return false;
    }
    Out.Entries.push_back(E);
    if (OnEntry)
      OnEntry(E);
    Pos = E.Header.EntryType == package::EntryGroup ? Pos + package::EntryHeaderSize
                                                    : package::NextEntryPosition(Pos, E.Header);
  }
  if (Pos > Size) {
    Error = Where(Out.Entries.back()) + ": its data runs past the end of the file";
    return false;
  }
  return true;
}

} // namespace

bool OpenPackageFile(platform::FileSystem &Files, const std::string &Path, OpenedPackage &Out,
                     std::string &Error) {
  return OpenAndWalk(Files, Path, Out, Error, {});
}

std::string FormatEntryLine(const PackageEntry &E) {
  const auto &H = E.Header;
  return std::to_string(E.Position) + "\t" + std::to_string(H.EntryType) + "\t" + H.NameText() +
         "\t" + std::to_string(H.PackedSize) + "\t" + std::to_string(H.UnpackedSize) + "\t" +
         Hex8(H.Crc) + "\t" + std::to_string(H.LinkOffset) + "\t" + Hex8(H.Version) + "\t" +
         Hex8(uint32_t(H.FileDate));
}

namespace {

bool HasFiles(const package::DirType &Dir) {
  if (Dir.Files.First())
    return true;
  for (const package::DirType *Sub = Dir.SubDirs.First(); Sub; Sub = Sub->Next.get())
    if (HasFiles(*Sub))
      return true;
  return false;
}

// The file paths of a group that FindGroupFile resolves, upper-cased with
// single separators, so that a package of thousands of files is checked
// without a search of its directory per file. As the look-up does, a
// directory is reached through the first of its name only, and a name
// holding a separator (or a directory without a name) is never reached.
void IndexGroupFiles(const package::DirType &Dir, const std::string &Prefix,
                     std::unordered_set<std::string> &Out) {
  for (const package::FileType *F = Dir.Files.First(); F; F = F->Next.get())
    if (F->Name.find('\\') == std::string::npos)
      Out.insert(Prefix + package::UpperCaseText(F->Name));
  std::unordered_set<std::string> Seen;
  for (const package::DirType *D = Dir.SubDirs.First(); D; D = D->Next.get()) {
    const std::string Name = package::UpperCaseText(D->Name);
    if (!Seen.insert(Name).second || Name.empty() || Name.find('\\') != std::string::npos)
      continue;
    IndexGroupFiles(*D, Prefix + Name + "\\", Out);
  }
}

// A path as FindGroupFile reads it: no leading separators, runs of them as
// one, upper-cased.
std::string IndexKey(const std::string &Path) {
  std::string K;
  size_t i = 0;
  while (i < Path.size() && Path[i] == '\\')
    ++i;
  for (; i < Path.size(); ++i)
    if (Path[i] != '\\' || K.empty() || K.back() != '\\')
      K += Path[i];
  return package::UpperCaseText(K);
}

// Below this size a package is tested in a few milliseconds: starting a
// second thread would cost more than it saves.
constexpr uint64_t kWorthAThread = 4u << 20;

// The package's script as the launcher loads it, with its messages.
struct ScriptModel {
  package::TOpenFileType Model;
  CollectedMessages Msg;
};

void LoadModel(const std::string &Script, ScriptModel &Out) {
  platform::MemoryFile Stream(std::vector<uint8_t>(Script.begin(), Script.end()));
  package::InitSetupModel(Out.Model);
  package::LoadSetupScript(Out.Model, Stream, Out.Msg);
}

// The checks that need no entry's data: the script loads, the entries come
// in the launcher's order and match the script's groups. FileSize is the
// package's size (the last group ends there).
void CheckStructure(const OpenedPackage &P, uint64_t FileSize, const ScriptModel &Script,
                    std::string &Problems) {
  auto Problem = [&](const std::string &Text) { Problems += Text + "\n"; };
  const package::TOpenFileType &Model = Script.Model;
  if (!Script.Msg.Texts.empty())
    Problem("the script does not load: " + Script.Msg.Texts);

  // Order: pictures, at most one uninstaller, then groups with their files.
  size_t i = 0;
  const auto &E = P.Entries;
  while (i < E.size() && IsPicture(E[i].Header.EntryType))
    ++i;
  if (i < E.size() && E[i].Header.EntryType == package::EntryUninstaller) {
    if (!Model.AddUnInstaller)
      Problem(Where(E[i]) + ": an uninstaller although the script says ADDUNINSTALLER=0");
    ++i;
  }
  while (i < E.size()) {
    const PackageEntry &G = E[i];
    if (G.Header.EntryType != package::EntryGroup) {
      Problem(Where(G) + ": out of order (a group header was expected)");
      break;
    }
    const package::GroupType *Group = package::FindGroup(Model.Groups, G.Header.NameText());
    if (!Group)
      Problem(Where(G) + ": no group of that name in the script");
    std::unordered_set<std::string> Paths;
    if (Group)
      IndexGroupFiles(Group->RootDir, "", Paths);
    size_t k = 0;
    for (++i; k < G.Header.PackedSize && i < E.size(); ++k, ++i) {
      if (E[i].Header.EntryType != package::EntryFile) {
        Problem(Where(G) + ": holds " + std::to_string(k) + " files, not " +
                std::to_string(G.Header.PackedSize));
        break;
      }
      // The index stands for the look-up; the look-up has the last word.
      const std::string Name = E[i].Header.NameText();
      if (Group && !Paths.count(IndexKey(Name)) && !package::FindGroupFile(*Group, Name))
        Problem(Where(E[i]) + ": not a file of the group's directory tree");
    }
    const uint64_t Next = i < E.size() ? E[i].Position : FileSize;
    if (k == G.Header.PackedSize && G.Header.UnpackedSize != Next)
      Problem(Where(G) + ": next-group offset " + std::to_string(G.Header.UnpackedSize) +
              " but the group ends at " + std::to_string(Next));
    if (k < G.Header.PackedSize && i >= E.size())
      Problem(Where(G) + ": the file ends before its files do");
  }

  // Every group of the script that has files has them in the package: a
  // package that ends before them installs nothing of them.
  for (const package::GroupType *Group = Model.Groups.First(); Group; Group = Group->Next.get()) {
    if (!HasFiles(Group->RootDir))
      continue;
    bool Found = false;
    for (const PackageEntry &D : E)
      Found = Found || (D.Header.EntryType == package::EntryGroup &&
                        package::FindGroup(Model.Groups, D.Header.NameText()) == Group);
    if (!Found)
      Problem("group \"" + Group->Name + "\" of the script: no group header in the package");
  }
}

// An entry with data decodes to its size and checksum; File is the package.
void CheckData(platform::File &File, const PackageEntry &D, std::string &Problems) {
  if (!HoldsData(D.Header.EntryType))
    return;
  auto Problem = [&](const std::string &Text) { Problems += Text + "\n"; };
  if (D.Header.IsLinked() && D.Header.LinkOffset >= D.Position)
    Problem(Where(D) + ": links forward or to itself");
  File.ClearError();
  File.Seek(D.Position + package::EntryHeaderSize);
  NullFile Sink;
  codec::ExtractReport R;
  const uint8_t Code =
      codec::ExtractEntry(File, codec::ExtractTarget::Stream(Sink), {}, D.Header, &R);
  if (Code != codec::ExtractOk)
    Problem(Where(D) + ": " + codec::ExtractErrorText(Code));
  else if (!D.Header.IsLinked() && uint32_t(R.Total) != D.Header.UnpackedSize)
    Problem(Where(D) + ": decodes to " + std::to_string(R.Total) + " bytes, the header says " +
            std::to_string(D.Header.UnpackedSize));
}

} // namespace

bool TestPackage(OpenedPackage &P, std::string &Problems) {
  ScriptModel Script;
  LoadModel(P.Script, Script);
  CheckStructure(P, P.File->Size(), Script, Problems);
  for (const PackageEntry &D : P.Entries)
    CheckData(*P.File, D, Problems);
  return Problems.empty();
}

TestResult TestPackageFile(platform::FileSystem &Files, const std::string &Path, OpenedPackage &Out,
                           std::string &Error, std::string &Problems) {
  // Each entry is decoded right after its header is read, so the file is
  // read once; the script is loaded on a second thread meanwhile.
  ScriptModel Script;
  std::string Data;
  bool Opened = false, Decided = false, Loading = false;
  {
    platform::BackgroundJob Load;
    Opened = OpenAndWalk(Files, Path, Out, Error, [&](const PackageEntry &E) {
      if (!Decided) { // the script is read by now
        Decided = true;
        Loading = Out.File->Size() >= kWorthAThread;
        if (Loading)
          Load.Start([&] { LoadModel(Out.Script, Script); });
      }
      CheckData(*Out.File, E, Data);
    });
  }
  if (!Opened)
    return TestResult::NotOpened;
  if (!Loading)
    LoadModel(Out.Script, Script);
  std::string Structure;
  CheckStructure(Out, Out.File->Size(), Script, Structure);
  Problems += Structure;
  Problems += Data;
  return Problems.empty() ? TestResult::Sound : TestResult::Unsound;
}

std::string SafeComponent(const std::string &Name) {
  std::string S;
  for (char C : Name)
    S += (uint8_t(C) < 32 || std::string("<>:\"/\\|?*").find(C) != std::string::npos) ? '_' : C;
  // A device name opens the device whatever extension follows ("nul.txt",
  // "COM1 .log"): such a name gets a "_" in front.
  std::string Base = S.substr(0, S.find('.'));
  while (!Base.empty() && Base.back() == ' ')
    Base.pop_back();
  for (char &C : Base)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  static const char *const Devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  bool Device = false;
  for (const char *D : Devices)
    Device = Device || Base == D;
  // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1 to 3
  // of the Windows code page.
  if (Base.size() == 4 && (Base.compare(0, 3, "COM") == 0 || Base.compare(0, 3, "LPT") == 0)) {
    const uint8_t D = uint8_t(Base[3]);
    Device = (D >= '1' && D <= '9') || D == 0xB9 || D == 0xB2 || D == 0xB3;
  }
  if (Device)
    S = "_" + S;
  // Windows drops trailing dots and blanks, so "..." or "a." would name
  // another file (or the folder itself).
  if (S.empty() || S.back() == '.' || S.back() == ' ')
    S += '_';
  return S;
}

bool ExtractPackage(platform::FileSystem &Files, OpenedPackage &P, const std::string &Dir,
                    std::string &Error) {
  std::string Group = "_nogroup";
  int Index = 0;
  for (const PackageEntry &D : P.Entries) {
    ++Index;
    const uint16_t T = D.Header.EntryType;
    if (T == package::EntryGroup)
      Group = SafeComponent(D.Header.NameText());
    if (!HoldsData(T))
      continue;
    std::vector<std::string> Parts;
    std::string Name;
    if (T == package::EntryFile) {
      Parts.push_back(Group);
      const std::string N = D.Header.NameText();
      size_t Start = 0;
      while (Start <= N.size()) {
        size_t End = N.find('\\', Start);
        if (End == std::string::npos)
          End = N.size();
        if (End > Start)
          Parts.push_back(SafeComponent(N.substr(Start, End - Start)));
        Start = End + 1;
      }
      if (Parts.size() < 2) {
        Error = Where(D) + ": no file name";
        return false;
      }
      Name = Parts.back();
      Parts.pop_back();
    } else {
      Parts.push_back("_package");
      Name = std::to_string(Index) + "-" + std::to_string(T) + "-" +
             SafeComponent(D.Header.NameText());
    }
    std::string Path;
    if (!MakeDirs(Files, Dir, Parts, Path)) {
      Error = "cannot make the directory " + Path;
      return false;
    }
    Path = JoinPath(Path, Name);
    P.File->ClearError();
    P.File->Seek(D.Position + package::EntryHeaderSize);
    // Whatever has the name already (an earlier extraction, or a link to
    // somewhere outside the folder) is removed, not written through.
    Files.RemoveFile(Path);
    std::unique_ptr<platform::File> Out = Files.Open(Path, platform::OpenMode::CreateNew);
    if (!Out) {
      Error = "cannot create " + Path;
      return false;
    }
    const uint8_t Code =
        codec::ExtractEntry(*P.File, codec::ExtractTarget::Stream(*Out), {}, D.Header);
    Out.reset();
    if (Code != codec::ExtractOk) {
      Files.RemoveFile(Path);
      Error = Where(D) + ": " + codec::ExtractErrorText(Code);
      return false;
    }
    if (T == package::EntryFile && D.Header.FileDate != -1)
      Files.SetFileDate(Path, D.Header.FileDate);
  }
  return true;
}

} // namespace mksetup
