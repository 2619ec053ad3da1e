#include "PackageBuilder.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ScriptText.h"
#include "SourcePaths.h"
#include "codec/CRC32.h"
#include "codec/LZR.h"
#include "codec/ParallelCoder.h"
#include "install/FileVersion.h"
#include "install/PeVersionReader.h"
#include "package/Package.h"
#include "package/SetupScript.h"
#include "platform/MemoryFile.h"

namespace mksetup {
namespace {

using package::TEntryHeader;

constexpr uint64_t kMaxPackageEnd = 0xFFFFFFFFull; // offsets are 32-bit

// One entry to write. Data entries name their source; a linked picture names
// the index of the entry that carries its data.
struct PlannedEntry {
  uint16_t Type = 0;
  std::string Name;
  std::string Source; // resolved path
  int LinkTo = -1;
  uint32_t Position = 0; // of its header, once written
  uint64_t Size = 0;     // of the source
};

struct PlannedGroup {
  std::string Name;
  std::vector<PlannedEntry> Files;
  int64_t Total = 0;
  uint32_t Position = 0; // of its header, once written
  TEntryHeader Header;
};

// What is known of a data entry while its blocks wait to be coded.
struct EntryProgress {
  TEntryHeader Header;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  uint32_t Crc = 0;
};

bool ReadAll(platform::FileSystem &Files, const std::string &Path, std::string &Text) {
  auto F = Files.Open(Path, platform::OpenMode::Read);
  if (!F)
    return false;
  const uint64_t Size = F->Size();
  if (Size > (1u << 30))
    return false;
  Text.resize(size_t(Size));
  return F->Read(Text.data(), uint32_t(Size)) == Size && !F->Error();
}

bool LoadScript(platform::FileSystem &Files, const std::string &Text, package::TOpenFileType &Model,
                std::string &Error) {
  platform::MemoryFile Stream(std::vector<uint8_t>(Text.begin(), Text.end()));
  CollectedMessages Msg;
  package::InitSetupModel(Model);
  package::LoadSetupScript(Model, Stream, Msg);
  if (!Msg.Texts.empty()) {
    Error = "the script does not load: " + Msg.Texts;
    return false;
  }
  return true;
}

class Builder {
public:
  Builder(platform::FileSystem &Files, const BuildOptions &Options)
      : FFiles(Files), FOpt(Options), FVersions(Files), FCoder(Options.Threads, Options.ChainDepth),
        FBlocks(std::max<size_t>(16, 8 * size_t(FCoder.Threads()))) {}

  bool Run(std::string &Error) {
    if (!Plan(Error))
      return false;
    const std::string Temp = FOpt.OutputPath + ".tmp";
    bool Ok = Write(Temp, Error);
    if (Ok) {
      // An earlier output stays whole until the new one takes its place.
      Ok = FFiles.MoveReplacing(Temp, FOpt.OutputPath);
      if (!Ok)
        Error = "cannot rename " + Temp + " to " + FOpt.OutputPath;
    }
    if (!Ok && FFiles.FileExists(Temp))
      FFiles.RemoveFile(Temp);
    return Ok;
  }

private:
  bool Resolve(const std::string &AuthorPath, const std::string &What, std::string &Out,
               std::string &Error) {
    std::string Why;
    if (!ResolveSourcePath(FFiles, FOpt.SourceRoot, FModel.RootDir, AuthorPath, Out, Why)) {
      Error = What + ": " + Why;
      return false;
    }
    return true;
  }

  bool FileSize(const std::string &Path, uint64_t &Size) {
    auto F = FFiles.Open(Path, platform::OpenMode::Read);
    if (!F)
      return false;
    Size = F->Size();
    return true;
  }

  // A picture entry; a file already packed as a picture is linked to the
  // entry that holds its data.
  bool AddPicture(uint16_t Type, const std::string &Name, const std::string &AuthorPath,
                  const std::string &What, std::string &Error) {
    PlannedEntry E;
    E.Type = Type;
    E.Name = Name;
    if (!Resolve(AuthorPath, What, E.Source, Error))
      return false;
    if (Name.size() > package::MaxEntryNameLength) {
      Error = What + ": name longer than 255 bytes";
      return false;
    }
    auto It = FPictureIndex.find(E.Source);
    if (It != FPictureIndex.end()) {
      E.LinkTo = It->second;
    } else {
      FPictureIndex[E.Source] = int(FEntries.size());
      if (!FileSize(E.Source, E.Size)) {
        Error = What + ": cannot open " + E.Source;
        return false;
      }
    }
    FEntries.push_back(E);
    return true;
  }

  bool PlanPictures(std::string &Error) {
    if (!FModel.BGImageFile.empty() && !AddPicture(package::EntryBackground, "Background",
                                                   FModel.BGImageFile, "BG_IMAGEFILE", Error))
      return false;
    for (auto *G = FModel.ImageGroups.First(); G; G = G->Next.get())
      for (const auto &Image : G->Images)
        if (!Image.empty() && !AddPicture(package::EntryImageFrame, G->Name, Image,
                                          "IMAGE of image group \"" + G->Name + "\"", Error))
          return false;
    const std::pair<const package::TWindowType *, const char *> Logos[] = {
        {&FModel.Welcome, "Welcome"},
        {&FModel.Destination, "DestinationDir"},
        {&FModel.ProgramFolder, "ProgramFolder"},
        {&FModel.SelectComponents, "SelectComponents"},
        {&FModel.ReadyToInstall, "ReadyToInstall"},
    };
    for (const auto &[Page, Name] : Logos)
      if (!Page->LogoPicture.empty() &&
          !AddPicture(package::EntryPageLogo, Name, Page->LogoPicture,
                      std::string("LOGOPICTURE of page ") + Name, Error))
        return false;
    return true;
  }

  // The files of one directory and those below it. The launcher looks a
  // file up one directory per path component, comparing without regard to
  // case, so names must be non-empty, free of backslashes and unique.
  bool PlanDir(const package::DirType &Dir, const std::string &Path, PlannedGroup &Group,
               std::string &Error) {
    const std::string Where = "group \"" + Group.Name + "\", directory \"" + Path + "\"";
    std::set<std::string> Names;
    for (auto *F = Dir.Files.First(); F; F = F->Next.get()) {
      if (F->Name.empty() || F->Name.find('\\') != std::string::npos) {
        Error = Where + ": file name \"" + F->Name + "\" is empty or holds a backslash";
        return false;
      }
      if (!Names.insert(UpperAscii(F->Name)).second) {
        Error = Where + ": two files named \"" + F->Name + "\" (letter case aside)";
        return false;
      }
      PlannedEntry E;
      E.Type = package::EntryFile;
      E.Name = Path + "\\" + F->Name;
      if (E.Name.size() > package::MaxEntryNameLength) {
        Error = Where + ": entry name \"" + E.Name + "\" is longer than 255 bytes";
        return false;
      }
      if (!Resolve(F->SourceFile, Where + ", file \"" + F->Name + "\"", E.Source, Error))
        return false;
      if (!FileSize(E.Source, E.Size)) {
        Error = Where + ": cannot open " + E.Source;
        return false;
      }
      Group.Total += int64_t(E.Size);
      Group.Files.push_back(E);
    }
    std::set<std::string> Subs;
    for (auto *D = Dir.SubDirs.First(); D; D = D->Next.get()) {
      if (D->Name.empty() || D->Name.find('\\') != std::string::npos) {
        Error = Where + ": DIRNAME \"" + D->Name + "\" is empty or holds a backslash";
        return false;
      }
      if (!Subs.insert(UpperAscii(D->Name)).second) {
        Error = Where + ": two directories named \"" + D->Name + "\" (letter case aside)";
        return false;
      }
      if (!PlanDir(*D, Path + "\\" + D->Name, Group, Error))
        return false;
    }
    return true;
  }

  bool PlanGroups(std::string &Error) {
    std::set<std::string> Names;
    for (auto *G = FModel.Groups.First(); G; G = G->Next.get()) {
      if (!package::IsValidGroupName(G->Name)) {
        Error = "group \"" + G->Name + "\": a group name must not hold \"=\" or pass 255 bytes";
        return false;
      }
      if (!Names.insert(UpperAscii(G->Name)).second) {
        Error = "two groups named \"" + G->Name + "\" (letter case aside)";
        return false;
      }
      PlannedGroup P;
      P.Name = G->Name;
      // The root "?" is no directory of the path: top-level names start it.
      std::set<std::string> Tops;
      for (auto *D = G->RootDir.SubDirs.First(); D; D = D->Next.get()) {
        if (D->Name.empty() || D->Name.find('\\') != std::string::npos) {
          Error = "group \"" + G->Name + "\": DIRNAME \"" + D->Name +
                  "\" is empty or holds a backslash";
          return false;
        }
        if (!Tops.insert(UpperAscii(D->Name)).second) {
          Error = "group \"" + G->Name + "\": two directories named \"" + D->Name +
                  "\" (letter case aside)";
          return false;
        }
        if (!PlanDir(*D, "\\" + D->Name, P, Error))
          return false;
      }
      if (!G->RootDir.Files.Empty()) {
        Error = "group \"" + G->Name + "\": files outside any directory";
        return false;
      }
      if (P.Total > INT32_MAX) {
        Error = "group \"" + G->Name + "\": its files pass the 2 GiB of TOTALSIZE";
        return false;
      }
      FGroups.push_back(std::move(P));
    }
    return true;
  }

  bool Plan(std::string &Error) {
    std::string Raw;
    if (!ReadAll(FFiles, FOpt.ScriptPath, Raw)) {
      Error = "cannot read the script " + FOpt.ScriptPath;
      return false;
    }
    std::vector<std::string> Lines = SplitLines(Raw);
    if (!LoadScript(FFiles, JoinLines(Lines), FModel, Error) || !PlanPictures(Error))
      return false;
    if (!FOpt.UninstallerPath.empty()) {
      if (!FModel.AddUnInstaller) {
        Error = "an uninstaller was given but the script says ADDUNINSTALLER=0";
        return false;
      }
      if (!FFiles.FileExists(FOpt.UninstallerPath)) {
        Error = "uninstaller " + FOpt.UninstallerPath + " not found";
        return false;
      }
    }
    if (!PlanGroups(Error))
      return false;

    std::vector<int32_t> Totals;
    for (const auto &G : FGroups)
      Totals.push_back(int32_t(G.Total));
    SetGroupTotals(Lines, Totals);
    FScript = JoinLines(Lines);
    // The launcher must see the same script with the totals in place.
    package::TOpenFileType Check;
    if (!LoadScript(FFiles, FScript, Check, Error))
      return false;
    size_t i = 0;
    for (auto *G = Check.Groups.First(); G; G = G->Next.get(), ++i)
      if (i >= Totals.size() || G->TotalSize != Totals[i]) {
        Error = "group \"" + G->Name + "\": cannot place TOTALSIZE in the script text";
        return false;
      }
    if (i != Totals.size()) {
      Error = "cannot place TOTALSIZE in the script text";
      return false;
    }
    return true;
  }

  bool CheckEnd(platform::File &Out, std::string &Error) {
    if (Out.Position() > kMaxPackageEnd) {
      Error = "the package would pass 4 GiB (its offsets are 32-bit)";
      return false;
    }
    return true;
  }

  // The output is written in package order by steps queued as the sources
  // are read; the blocks read meanwhile are coded together (on several
  // threads) before the queued steps run. A data entry is its header with
  // placeholder sizes, its blocks, then the header again.
  using Step = std::function<bool(platform::File &, std::string &)>;

  bool QueueDataEntry(PlannedEntry &E, std::string &Error) {
    auto State = std::make_shared<EntryProgress>();
    TEntryHeader &H = State->Header;
    H.EntryType = E.Type;
    H.SetName(E.Name);
    H.Version = install::GetPackedFileVersion(FFiles, FVersions, E.Source);
    H.FileDate = FFiles.GetFileDate(E.Source);
    FSteps.push_back([this, &E, State](platform::File &Out, std::string &Error) {
      E.Position = uint32_t(Out.Position());
      if (E.LinkTo >= 0)
        State->Header.LinkOffset = FEntries[size_t(E.LinkTo)].Position;
      return WriteHeader(Out, State->Header, Error) && CheckEnd(Out, Error);
    });
    if (E.LinkTo >= 0)
      return true;
    auto Source = FFiles.Open(E.Source, platform::OpenMode::Read);
    if (!Source) {
      Error = "cannot open " + E.Source;
      return false;
    }
    Source->ClearError();
    for (;;) {
      if (FUsed == FBlocks.size() && !Flush(Error))
        return false;
      codec::TBatchBlock &B = FBlocks[FUsed];
      const uint32_t Got = Source->Read(B.Plain.data(), codec::kBlockInput);
      if (Source->Error()) {
        Error = "cannot read " + E.Source;
        return false;
      }
      // An empty source is stored as one zero length, the form readers
      // expect for an empty file.
      if (Got == 0 && State->Unpacked != 0)
        break;
      B.PlainSize = Got;
      State->Crc = codec::UpdateCrc32(B.Plain.data(), Got, State->Crc);
      State->Unpacked += Got;
      FProgress.BytesDone += Got;
      // A source that grew since planning keeps the total honest.
      if (State->Unpacked > E.Size)
        FProgress.BytesTotal += State->Unpacked - std::max<uint64_t>(State->Unpacked - Got, E.Size);
      Report();
      const size_t Slot = FUsed++;
      FSteps.push_back([this, Slot, State, &E](platform::File &Out, std::string &Error) {
        const codec::TBatchBlock &B = FBlocks[Slot];
        const uint32_t N = B.CodedSize;
        State->Packed += 4 + uint64_t(N);
        if (State->Packed > UINT32_MAX || State->Unpacked > UINT32_MAX) {
          Error = E.Source + " is too large for a package";
          return false;
        }
        const uint8_t L[4] = {uint8_t(N), uint8_t(N >> 8), uint8_t(N >> 16), uint8_t(N >> 24)};
        if (Out.Write(L, 4) != 4 || Out.Write(B.Coded.data(), N) != N || Out.Error()) {
          Error = "cannot write the output";
          return false;
        }
        return CheckEnd(Out, Error);
      });
      if (Got == 0)
        break;
    }
    FSteps.push_back([this, &E, State](platform::File &Out, std::string &Error) {
      ++FProgress.FilesDone;
      Report();
      TEntryHeader &H = State->Header;
      H.PackedSize = uint32_t(State->Packed);
      H.UnpackedSize = uint32_t(State->Unpacked);
      H.Crc = codec::FinishCrc32(State->Crc);
      const uint64_t End = Out.Position();
      return Out.Seek(E.Position) && WriteHeader(Out, H, Error) && Out.Seek(End);
    });
    return true;
  }

  // Codes the blocks read so far and runs the queued steps.
  bool Flush(std::string &Error) {
    FCoder.Code(FBlocks, FUsed);
    bool Ok = true;
    for (auto &S : FSteps)
      if (!(Ok = S(*FOut, Error)))
        break;
    FSteps.clear();
    FUsed = 0;
    return Ok;
  }

  bool WriteHeader(platform::File &Out, const TEntryHeader &H, std::string &Error) {
    if (!package::WriteEntryHeader(Out, H)) {
      Error = "cannot write the output";
      return false;
    }
    return true;
  }

  void Report() {
    if (FOpt.Progress)
      FOpt.Progress(FProgress);
  }

  // The entries that carry data of their own, and their bytes.
  void CountWork(uint64_t UninstallerSize) {
    auto Count = [this](const PlannedEntry &E) {
      if (E.LinkTo < 0) {
        ++FProgress.FilesTotal;
        FProgress.BytesTotal += E.Size;
      }
    };
    for (const auto &E : FEntries)
      Count(E);
    for (const auto &G : FGroups)
      for (const auto &F : G.Files)
        Count(F);
    if (!FOpt.UninstallerPath.empty()) {
      ++FProgress.FilesTotal;
      FProgress.BytesTotal += UninstallerSize;
    }
    Report();
  }

  bool Write(const std::string &Temp, std::string &Error) {
    std::string Stub;
    if (!ReadAll(FFiles, FOpt.StubPath, Stub)) {
      Error = "cannot read the stub " + FOpt.StubPath;
      return false;
    }
    {
      platform::MemoryFile S(std::vector<uint8_t>(Stub.begin(), Stub.end()));
      const uint32_t Start = package::GetPackageStart(S);
      if (Start == 0 || Start != Stub.size()) {
        Error = "stub " + FOpt.StubPath + ": its package start (" + std::to_string(Start) +
                ") is not its file size (" + std::to_string(Stub.size()) + ")";
        return false;
      }
    }
    // A leftover of an earlier run, or a link someone put there, is removed
    // and the file made new: never written through.
    FFiles.RemoveFile(Temp);
    auto Out = FFiles.Open(Temp, platform::OpenMode::CreateNew);
    if (!Out) {
      Error = "cannot create " + Temp;
      return false;
    }
    const uint32_t L = uint32_t(FScript.size());
    const uint8_t Length[4] = {uint8_t(L), uint8_t(L >> 8), uint8_t(L >> 16), uint8_t(L >> 24)};
    if (Out->Write(Stub.data(), uint32_t(Stub.size())) != Stub.size() ||
        Out->Write(package::PackageMagic, package::PackageMagicSize) != package::PackageMagicSize ||
        Out->Write(Length, 4) != 4 || Out->Write(FScript.data(), L) != L || Out->Error()) {
      Error = "cannot write " + Temp;
      return false;
    }
    PlannedEntry U;
    U.Type = package::EntryUninstaller;
    U.Name = "Uninstaller";
    U.Source = FOpt.UninstallerPath;
    if (!U.Source.empty() && !FileSize(U.Source, U.Size)) {
      Error = "cannot open the uninstaller " + U.Source;
      return false;
    }
    CountWork(U.Size);
    FOut = Out.get();
    for (auto &E : FEntries)
      if (!QueueDataEntry(E, Error))
        return false;
    if (!FOpt.UninstallerPath.empty()) {
      FUninstaller = U;
      if (!QueueDataEntry(FUninstaller, Error))
        return false;
    }
    for (auto &G : FGroups) {
      G.Header = TEntryHeader();
      G.Header.EntryType = package::EntryGroup;
      G.Header.PackedSize = uint32_t(G.Files.size());
      G.Header.FileDate = -1;
      G.Header.SetName(G.Name);
      FSteps.push_back([this, &G](platform::File &Out, std::string &Error) {
        G.Position = uint32_t(Out.Position());
        return WriteHeader(Out, G.Header, Error);
      });
      for (auto &F : G.Files)
        if (!QueueDataEntry(F, Error))
          return false;
      // The next group starts here; the last group's value is the file length.
      FSteps.push_back([this, &G](platform::File &Out, std::string &Error) {
        const uint64_t End = Out.Position();
        G.Header.UnpackedSize = uint32_t(End);
        return CheckEnd(Out, Error) && Out.Seek(G.Position) && WriteHeader(Out, G.Header, Error) &&
               Out.Seek(End);
      });
    }
    if (!Flush(Error))
      return false;
    if (Out->Error()) {
      Error = "cannot write " + Temp;
      return false;
    }
    return true;
  }

  platform::FileSystem &FFiles;
  const BuildOptions &FOpt;
  install::PeVersionInfo FVersions;
  codec::TParallelCoder FCoder;
  std::vector<codec::TBatchBlock> FBlocks; // the batch being read
  size_t FUsed = 0;                        // blocks of it read
  std::vector<Step> FSteps;                // output steps waiting for the batch
  platform::File *FOut = nullptr;
  PlannedEntry FUninstaller;
  package::TOpenFileType FModel;
  std::string FScript;
  std::vector<PlannedEntry> FEntries; // pictures, in package order
  std::map<std::string, int> FPictureIndex;
  std::vector<PlannedGroup> FGroups;
  BuildProgress FProgress;
};

} // namespace

bool BuildPackage(platform::FileSystem &Files, const BuildOptions &Options, std::string &Error) {
  std::unique_ptr<Builder> B;
  try {
    B = std::make_unique<Builder>(Files, Options);
  } catch (const codec::ELzrw1KHCompressor &E) {
    Error = E.what();
    return false;
  }
  return B->Run(Error);
}

} // namespace mksetup
