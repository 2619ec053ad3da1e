#include "install/InstallationEngine.h"

#include "codec/CompressedEntry.h"
#include "install/FileVersion.h"
#include "install/FinalCommands.h"
#include "install/FontInfo.h"
#include "install/IfExistsPolicy.h"
#include "install/IniMerge.h"
#include "install/RegistryValues.h"
#include "install/Shell_Link.h"
#include "install/UninstallerSetup.h"
#include "package/BlockBasedINI.h"
#include "platform/ReadAheadFile.h"

#include <algorithm>
#include <new>

namespace install {

namespace {

const char *const PhaseCaptions[3] = {"Installing files...", "Setting up registry...",
                                      "Creating program groups..."};

std::string FileNamePart(const std::string &Path) {
  const size_t P = Path.find_last_of("\\:");
  return P == std::string::npos ? Path : Path.substr(P + 1);
}

// The directory part of a path: the text before its last "\" or ":".
std::string DirectoryPart(const std::string &Path) {
  const size_t P = Path.find_last_of("\\:");
  return P == std::string::npos ? std::string() : Path.substr(0, P);
}

bool WriteText(platform::File &Out, const std::string &Text) {
  for (size_t At = 0; At < Text.size();) {
    const uint32_t Piece = uint32_t(std::min<size_t>(Text.size() - At, 1u << 20));
    if (Out.Write(Text.data() + At, Piece) != Piece)
      return false;
    At += Piece;
  }
  return !Out.Error();
}

// Copies the file at Path into Out.
bool CopyFileData(platform::FileSystem &Files, const std::string &Path, platform::File &Out) {
  std::unique_ptr<platform::File> In = Files.Open(Path, platform::OpenMode::Read);
  if (!In)
    return false;
  std::vector<uint8_t> Buffer(1u << 16);
  for (;;) {
    const uint32_t Got = In->Read(Buffer.data(), uint32_t(Buffer.size()));
    if (Got == 0)
      break;
    if (Out.Write(Buffer.data(), Got) != Got)
      return false;
  }
  return !In->Error() && !Out.Error();
}

std::string FailureReason(uint8_t Code) {
  if (Code >= codec::ExtractReadFailed && Code <= codec::ExtractCrcMismatch)
    return codec::ExtractErrorText(Code);
  return {};
}

// A directory level as the known-directory set holds it: upper-cased,
// without its trailing backslash.
std::string DirectoryKey(const std::string &Level) {
  std::string K = UpperAscii(Level);
  while (K.size() > 1 && K.back() == '\\')
    K.pop_back();
  return K;
}

} // namespace

InstallationEngine::InstallationEngine(const platform::Platform &System,
                                       package::TOpenFileType &Model, InstallStatus &Status,
                                       const ProgramFolderTable &Folders, InstallServices Services)
    : FSystem(System), FModel(Model), FStatus(Status), FFolders(Folders),
      FServices(std::move(Services)) {}

bool InstallationEngine::Cancelled() {
  if (!FCancelRequested && FStatus.CancelRequested())
    FCancelRequested = true;
  return FCancelRequested;
}

int InstallationEngine::Ask(const std::string &Text, uint32_t Flags, const char *Caption) {
  FStatus.ShowCurrentItem();
  return FSystem.Msg->ShowMessage(Text, Caption, Flags);
}

void InstallationEngine::Pump() {
  if (FServices.PumpIntervalMs != 0) {
    // A pump costs the system far more than a block or a small file does;
    // the clock costs nothing.
    // The clock counts from the system's start, so a machine up for less
    // than an interval would otherwise skip the first pump.
    const auto Now = std::chrono::steady_clock::now();
    if (FPumped && Now - FLastPump < std::chrono::milliseconds(FServices.PumpIntervalMs))
      return;
    FPumped = true;
    FLastPump = Now;
  }
  FStatus.ProcessMessages();
}

void InstallationEngine::ExtractProgress(int32_t Total, bool &Abort) {
  FStatus.SetProgress(uint32_t(Total));
  Pump();
  Abort = Cancelled();
}

std::string InstallationEngine::CleanPath(const std::string &Path) {
  std::string P = Path;
  // Doubled backslashes collapse, but a leading pair names a network share
  // and stays.
  const size_t Keep = P.compare(0, 2, "\\\\") == 0 ? 1 : 0;
  for (size_t I; (I = P.find("\\\\", Keep)) != std::string::npos;)
    P.erase(I, 1);
  while (P.size() > Keep + 1 && P.back() == '\\')
    P.pop_back();
  if (Keep == 0)
    while (!P.empty() && P.back() == '\\')
      P.pop_back();
  return P;
}

bool InstallationEngine::IsSelected(const package::SetupType &Type) const {
  const package::SetupType *First = FModel.SetupTypes.First();
  if (First && !First->Next)
    return true;
  return Type.Selected;
}

// ------------------------------------------------------------------ sequence

int InstallationEngine::RunInstallation(platform::File &PackageFile, uint64_t FilesPosition) {
  // Headers, block lengths and blocks are small pieces: read through a
  // buffer they cost a copy each instead of a call of the system.
  platform::ReadAheadFile Package(PackageFile);
  FCancelRequested = false;
  FKnownDirs.clear();
  FFontDir.clear();
  FListedDirs.clear();
  FLeftovers.clear();
  FHaveUninstaller = false;
  FRecordFailed = false;
  FStartValues = FStartLinks = FStartGroups = 0;
  FLog.reset();
  FStatus.ShowPanel(true);
  FDoneList.clear();

  uint64_t GroupsStart = FilesPosition;
  package::TEntryHeader Header;
  Package.ClearError();
  if (Package.Seek(FilesPosition) && package::ReadEntryHeader(Package, Header) &&
      Header.EntryType == package::EntryUninstaller) {
    // The groups follow the uninstaller's entry whether or not it is used.
    GroupsStart = package::NextEntryPosition(FilesPosition, Header);
    if (FModel.AddUnInstaller) {
      FindUninstaller(FSystem, FModel.Title, FExePath, FLogPath);
      InstallUninstaller(Package, Header);
      if (!Cancelled())
        OpenLog();
    }
  }

  if (FLog) {
    FStartValues = FLog->ReadCount(LogRegistryValues);
    FStartLinks = FLog->ReadCount(LogProgramLinks);
    FStartGroups = FLog->ReadCount(LogProgramGroups);
  }
  FGroupPositions.clear();
  for (const package::GroupIndexEntry &G : package::BuildGroupIndex(Package, GroupsStart))
    FGroupPositions.emplace(G.Name, G.Position);
  FGroupsByName.clear();
  for (package::GroupType &G : FModel.Groups)
    FGroupsByName.emplace(UpperAscii(G.Name), &G);
  FStatus.EnableCancel();

  for (int Phase = 1; Phase <= 3 && !Cancelled(); ++Phase)
    RunPhase(Phase, Package);
  if (!Cancelled())
    RunFinalizationCommands();

  // The flag is not polled again after this point: the page shown has to
  // agree with what was done, rolled back or registered.
  const bool Stopped = Cancelled();
  if (Stopped) {
    UndoLaterPhases();
    Rollback();
  } else if (FLog) {
    // The installation is complete and its finalization commands have run:
    // a log that cannot be written out now does not undo it. The uninstaller
    // is registered only with a log that holds this installation, so that
    // it never points at a missing or partial one.
    const bool Written = FLogUsable && FLog->Flush();
    if (!Written && FLogUsable) {
      // Going on without a log was asked about already; this is news.
      Ask("The installation program failed to write the uninstallation log " + FLog->Path() +
              "!\r\nYou will not be able to uninstall this program later!",
          platform::MbOk | platform::MbIconWarning);
      if (!FLogExisted)
        FLog->Delete();
    }
    FLog.reset();
    if (Written && FHaveUninstaller)
      RegisterUninstaller(*FSystem.Reg, FModel.Title, FExePath, FLogPath);
  }
  FLog.reset();
  // What the rollback did not put back is replaced for good.
  FReplaced.Discard();
  FDoneList.clear();
  FGroupPositions.clear();
  FGroupsByName.clear();
  FStatus.ShowPanel(false);
  return Stopped ? AbortedPage : FinishPage;
}

void InstallationEngine::RunPhase(int Phase, platform::File &Package) {
  FStatus.RepaintBackground();
  FDoneList.clear();
  FStatus.SetPhaseCaption(PhaseCaptions[Phase - 1]);
  FStatus.SetCurrentItem("");
  for (package::SetupType *Type = FModel.SetupTypes.First();
       Type && !Cancelled() && !FStatus.Terminating(); Type = Type->Next.get()) {
    if (!IsSelected(*Type))
      continue;
    for (const std::string &Name : Type->Groups) {
      if (Cancelled())
        break;
      const auto Found = FGroupsByName.find(UpperAscii(Name));
      if (Found == FGroupsByName.end())
        continue;
      package::GroupType *Group = Found->second;
      const std::string Key = UpperAscii(Group->Name);
      if (FDoneList.count(Key))
        continue;
      if (Phase == 1) {
        FStatus.ShowAnimationsForGroup(*Group, true);
        const auto At = FGroupPositions.find(Key);
        if (At != FGroupPositions.end() && At->second != 0)
          InstallFiles(Package, At->second, *Group);
        FStatus.ShowAnimationsForGroup(*Group, false);
      } else if (Phase == 2) {
        SetupRegistry(*Group);
      } else {
        CreateProgramGroups(*Group);
      }
      FDoneList.insert(Key);
    }
  }
}

// ------------------------------------------------- registry, shortcuts, commands

RecordSink InstallationEngine::LogSink() {
  RecordSink Sink;
  // After one refused record the log is not asked again: the installation
  // is stopping, and one message about it is enough.
  Sink.Add = [this](const std::string &Section, const std::string &Value) {
    if (FRecordFailed)
      return false;
    FRecordFailed = !Record(Section, Value);
    return !FRecordFailed;
  };
  Sink.Keep = [this](const std::string &Section) {
    if (FRecordFailed || !FLog || !FLogUsable)
      return;
    if (!FLog->WriteCount(Section, FLog->ReadCount(Section))) {
      FRecordFailed = true;
      LogFailed();
    }
  };
  return Sink;
}

void InstallationEngine::SetupRegistry(const package::GroupType &Group) {
  install::SetupRegistry(*FSystem.Reg, Group, FServices.ResolvePath, LogSink());
}

void InstallationEngine::CreateProgramGroups(const package::GroupType &Group) {
  const ShortcutContext Context{*FSystem.Files,   *FSystem.Reg, *FSystem.ShellApi,
                                *FSystem.Msg,     FFolders,     FServices.ResolvePath,
                                FServices.OsType, LogSink()};
  install::CreateProgramGroups(Context, Group);
}

void InstallationEngine::RunFinalizationCommands() {
  for (const package::SetupType *Type = FModel.SetupTypes.First();
       Type && !Cancelled() && !FStatus.Terminating(); Type = Type->Next.get()) {
    FStatus.SetCurrentItem("");
    if (!IsSelected(*Type))
      continue;
    // The commands of one setup type run together; a cancellation takes
    // effect before the next type.
    for (const std::string &Record : Type->FinalizationCommands) {
      const FinalCommand Command = SplitFinalCommand(Record);
      FStatus.SetPhaseCaption(Command.Caption);
      if (!IsRunFile(Command) || !FSystem.Procs)
        continue;
      RunProcess(*FSystem.Procs, FinalCommandLine(Command, FServices.ResolvePath), false, true,
                 [this] { FStatus.ProcessMessages(); });
    }
  }
}

void InstallationEngine::UndoLaterPhases() {
  // A cancellation during the finalization commands would otherwise leave
  // shortcuts to deleted files and values no uninstaller knows about.
  if (!FLog)
    return;
  platform::FileSystem &Files = *FSystem.Files;
  for (uint32_t N = FLog->ReadCount(LogProgramLinks); N > FStartLinks; --N)
    if (const std::string Link = FLog->ReadRecord(LogProgramLinks, N); !Link.empty())
      Files.RemoveFile(Link);
  for (uint32_t N = FLog->ReadCount(LogRegistryValues); N > FStartValues; --N)
    DeleteRegistryValue(*FSystem.Reg, FLog->ReadRecord(LogRegistryValues, N));
  for (uint32_t N = FLog->ReadCount(LogProgramGroups); N > FStartGroups; --N)
    if (const std::string Folder = FLog->ReadRecord(LogProgramGroups, N); !Folder.empty())
      Files.DeleteDirectory(Folder);
  if (FLogExisted && FLogUsable) {
    FLog->WriteCount(LogProgramLinks, FStartLinks);
    FLog->WriteCount(LogRegistryValues, FStartValues);
    FLog->WriteCount(LogProgramGroups, FStartGroups);
  }
}

// ------------------------------------------------------------ uninstaller

void InstallationEngine::InstallUninstaller(platform::File &Package,
                                            const package::TEntryHeader &Header) {
  platform::FileSystem &Files = *FSystem.Files;
  std::string Temp;
  std::unique_ptr<platform::File> Out = FServices.CreateTempFile(Temp);
  FStatus.SetCurrentItem("Uninstaller");
  FStatus.SetProgressMax(Header.UnpackedSize);
  FStatus.SetProgress(0);
  uint8_t Code = codec::ExtractWriteFailed;
  codec::ExtractReport Report;
  if (Out)
    Code = codec::ExtractEntry(
        Package, codec::ExtractTarget::Stream(*Out),
        [this](int32_t Total, bool &Abort) { ExtractProgress(Total, Abort); }, Header, &Report);
  Out.reset();
  if (Code != codec::ExtractOk || Report.Stopped) {
    if (!Temp.empty())
      Files.RemoveFile(Temp);
    const bool UserStopped = Report.Stopped;
    FCancelRequested = true;
    if (!UserStopped)
      Ask("Failed to extract the uninstallation program for version verification. Aborting!",
          platform::MbOk | platform::MbIconError);
    return;
  }
  FHaveUninstaller = true;

  bool Replace = true;
  const std::string NewDescription = GetFileDescription(*FSystem.Version, Temp);
  const std::string OldDescription = GetFileDescription(*FSystem.Version, FExePath);
  // Without an installed program there is nothing to compare with, even
  // when neither copy carries a description.
  if (Files.FileExists(FExePath) && UpperAscii(NewDescription) == UpperAscii(OldDescription)) {
    uint32_t NewVersion = 0, OldVersion = 0;
    int32_t Date = 0;
    GetFileVersionNumber(Files, *FSystem.Version, Temp, NewVersion, Date);
    GetFileVersionNumber(Files, *FSystem.Version, FExePath, OldVersion, Date);
    Replace = NewVersion > OldVersion;
  }
  if (!Replace) {
    Files.RemoveFile(Temp);
    return;
  }
  // The new copy takes the old one's place in one step where the system can,
  // otherwise with the old one kept until the new one is in: other products
  // registered with the same program must never find it gone.
  const uint32_t Attributes = Files.GetAttributes(FExePath);
  Files.SetAttributes(FExePath, platform::AttrNormal);
  if (!Files.MoveReplacing(Temp, FExePath)) {
    if (Attributes != platform::AttrInvalid)
      Files.SetAttributes(FExePath, Attributes);
    Files.RemoveFile(Temp);
    FCancelRequested = true;
    Ask("Failed to install the uninstallation program. Aborting!",
        platform::MbOk | platform::MbIconError);
  }
}

void InstallationEngine::OpenLog() {
  platform::FileSystem &Files = *FSystem.Files;
  std::string Dir = DirectoryPart(FLogPath);
  bool Created = false;
  if (!Dir.empty() && !Files.DirectoryExists(Dir)) {
    for (size_t I = 0; I <= Dir.size(); ++I)
      if (I == Dir.size() || Dir[I] == '\\') {
        const std::string Level = Dir.substr(0, I == Dir.size() ? I : I + 1);
        if (!Files.DirectoryExists(Level))
          Files.MakeDirectory(Level);
      }
    Created = true;
  }
  FLogExisted = Files.FileExists(FLogPath);
  FLog = std::make_unique<UninstallLog>(Files, FLogPath);
  FLogUsable = true;
  bool Ok = FLog->Load() && FLog->WriteValue(LogMain, LogTitle, FModel.Title);
  if (Ok && Created)
    Ok = FLog->AddRecord(LogDirectories, Dir + "\\");
  // Written out at once, so that a log that cannot be written shows now.
  Ok = Ok && FLog->Flush();
  // A log shared with an earlier installation keeps that one's records
  // through a rollback of this one.
  FStartFiles = FLogExisted ? FLog->ReadCount(LogFiles) : 0;
  FStartDirectories = FLogExisted ? FLog->ReadCount(LogDirectories) : 0;
  if (!Ok) {
    FLogUsable = false;
    if (Ask("The installation program failed to create an uninstallation log.\r\n"
            "You will not be able to uninstall this program later!\r\n"
            "Do you want to continue?",
            platform::MbYesNo | platform::MbIconError) == platform::IdNo)
      FCancelRequested = true;
  }
}

bool InstallationEngine::Record(const std::string &Section, const std::string &Value) {
  if (!FLog || !FLogUsable)
    return true;
  if (FLog->AddRecord(Section, Value))
    return true;
  LogFailed();
  return false;
}

void InstallationEngine::LogFailed() {
  FCancelRequested = true;
  Ask("Failed to write to the uninstallation log " + FLog->Path() + "!\r\n" +
          "The installation is undone.",
      platform::MbOk | platform::MbIconError);
}

void InstallationEngine::Rollback() {
  if (!FLog)
    return;
  platform::FileSystem &Files = *FSystem.Files;
  std::vector<std::string> FileList, DirList;
  for (uint32_t N = FLog->ReadCount(LogFiles); N > FStartFiles; --N)
    FileList.push_back(FLog->ReadRecord(LogFiles, N));
  for (uint32_t N = FLog->ReadCount(LogDirectories); N > FStartDirectories; --N)
    DirList.push_back(FLog->ReadRecord(LogDirectories, N));
  if (FLogExisted) {
    // The earlier installation's records stay valid for its uninstaller. A
    // log that could not be read or written is left as it is: what this
    // run holds of it is not the whole file.
    if (FLogUsable) {
      FLog->WriteCount(LogFiles, FStartFiles);
      FLog->WriteCount(LogDirectories, FStartDirectories);
      FLog->Flush();
    }
    FLog.reset();
  } else {
    FLog->Delete();
    FLog.reset();
  }
  for (const std::string &F : FileList)
    if (!F.empty()) {
      Files.SetAttributes(F, platform::AttrNormal);
      Files.RemoveFile(F);
    }
  // The files this run replaced go back to their places, before the
  // directories are tried (a directory holding one is not empty).
  FReplaced.Restore();
  for (const std::string &D : DirList)
    if (!D.empty())
      Files.DeleteDirectory(D);
}

// ------------------------------------------------------------------ files

void InstallationEngine::CreateGroupDirectories(const package::DirType &First,
                                                const std::string &ParentPath) {
  platform::FileSystem &Files = *FSystem.Files;
  for (const package::DirType *Dir = &First; Dir; Dir = Dir->Next.get()) {
    std::string Path = ParentPath;
    if (!Path.empty())
      Path += '\\';
    Path = CleanPath(FServices.ResolvePath(Path + Dir->Name, true));
    for (size_t I = 0; I < Path.size() && !Cancelled(); ++I) {
      if (Path[I] != '\\' && I + 1 != Path.size())
        continue;
      const std::string Level = Path.substr(0, I + 1);
      // The levels above a group's directories are the same for most of
      // them: each is looked at once a run.
      std::string Known = DirectoryKey(Level);
      if (FKnownDirs.count(Known))
        continue;
      if (!Files.DirectoryExists(Level)) {
        if (!Files.MakeDirectory(Level))
          continue; // a missing directory shows when its files fail
        if (!Record(LogDirectories, Level)) {
          Files.DeleteDirectory(Level);
          continue;
        }
        // Made empty by this run: nothing an earlier run left can be in
        // it, so it is not listed for that.
        FListedDirs.emplace(Known, true);
      }
      FKnownDirs.insert(std::move(Known));
    }
    if (const package::DirType *Sub = Dir->SubDirs.First())
      CreateGroupDirectories(*Sub, Path);
  }
}

void InstallationEngine::InstallFiles(platform::File &Package, uint64_t GroupOffset,
                                      const package::GroupType &Group) {
  if (FLog && FLogUsable && !FLog->WriteCount(LogFiles, FLog->ReadCount(LogFiles)))
    LogFailed();
  if (const package::DirType *Top = Group.RootDir.SubDirs.First())
    CreateGroupDirectories(*Top, "");
  if (Cancelled())
    return;
  const package::GroupFileIndex Records(Group);
  package::WalkGroupFiles(Package, GroupOffset,
                          [&](uint64_t Position, const package::TEntryHeader &Header) {
                            Pump();
                            if (Cancelled())
                              return false;
                            InstallEntry(Package, Position, Header, Records);
                            return !Cancelled();
                          });
}

const std::string &InstallationEngine::FontDirectory() {
  if (FFontDir.empty()) {
    FFontDir = UpperAscii(FServices.ResolvePath("<FontDir>", true));
    if (FFontDir.empty() || FFontDir.back() != '\\')
      FFontDir += '\\';
  }
  return FFontDir;
}

bool InstallationEngine::MayHaveLeftovers(const std::string &Destination) {
  const size_t Slash = Destination.find_last_of('\\');
  const std::string Dir = Slash == std::string::npos ? std::string() : Destination.substr(0, Slash);
  const std::string Key = UpperAscii(Dir);
  auto It = FListedDirs.find(Key);
  if (It == FListedDirs.end()) {
    // One listing per directory and run instead of probing beside every
    // file for the copies an interrupted run leaves ("name.tcnew1",
    // "name.tcold1").
    std::vector<platform::DirEntry> Entries;
    const bool Listed = !Dir.empty() && FSystem.Files->ListDirectory(Dir, Entries);
    It = FListedDirs.emplace(Key, Listed).first;
    for (const platform::DirEntry &E : Entries) {
      const std::string Name = UpperAscii(E.Name);
      size_t End = Name.size();
      while (End > 0 && Name[End - 1] >= '0' && Name[End - 1] <= '9')
        --End;
      if (End == Name.size() || End < 7)
        continue;
      const std::string Tag = Name.substr(End - 6, 6);
      if (!E.IsDirectory && (Tag == ".TCNEW" || Tag == ".TCOLD"))
        FLeftovers.insert(Key + "\\" + Name.substr(0, End - 6));
    }
  }
  return !It->second || FLeftovers.count(UpperAscii(Destination)) != 0;
}

bool InstallationEngine::DecideInstall(uint8_t Policy, const std::string &Destination,
                                       const package::TEntryHeader &H) {
  uint32_t Version = 0;
  int32_t Date = -1;
  switch (Policy) {
  case ieAsk:
    return Ask("Overwrite file: \r\n" + Destination, platform::MbYesNo | platform::MbIconQuestion,
               "Confirm") == platform::IdYes;
  case ieKeep:
    return false;
  case ieNewerVersion:
    GetFileVersionNumber(*FSystem.Files, *FSystem.Version, Destination, Version, Date);
    return NewerVersionReplaces(Version, H.Version);
  case ieNewerDate:
    GetFileVersionNumber(*FSystem.Files, *FSystem.Version, Destination, Version, Date);
    return NewerDateReplaces(Date, H.FileDate);
  default:
    return true;
  }
}

bool InstallationEngine::MergeInto(uint8_t Policy, const std::string &TempFile,
                                   const std::string &Destination,
                                   const package::FileType &Record) {
  // The merge is made in a file beside the user's, which takes its place
  // only once it is whole; the user's file is kept for a rollback.
  platform::FileSystem &Files = *FSystem.Files;
  std::string Merged;
  std::unique_ptr<platform::File> Out = CreateBeside(Files, Destination, "tcnew", Merged);
  if (!Out)
    return false;
  bool Ok = false;
  try {
    if (Policy == ieMergeBlocks) {
      package::TBlockBasedINI Doc(Files);
      if (Doc.LoadFromFile(Destination) && Doc.MergeFile(TempFile, Record.INI_id))
        Ok = WriteText(*Out, Doc.SaveToText());
      Out.reset();
    } else {
      Ok = CopyFileData(Files, Destination, *Out);
      Out.reset();
      Ok = Ok && MergeIniFile(*FSystem.Ini, TempFile, Merged, Policy == ieMergeIniKeep);
      FSystem.Ini->FlushFile(Merged);
    }
  } catch (const std::bad_alloc &) {
    // A file too large for the memory left is this file's failure only.
    Ok = false;
  }
  Out.reset();
  if (Ok && FReplaced.Replace(Merged, Destination, true))
    return true;
  Files.RemoveFile(Merged);
  return false;
}

uint8_t InstallationEngine::ExtractInPlace(platform::File &Package, const package::TEntryHeader &H,
                                           const std::string &Destination, bool KeepDate,
                                           std::unique_ptr<platform::File> Fresh,
                                           const codec::TExtractProgress &Progress,
                                           codec::ExtractReport &Report, bool &Dated) {
  platform::FileSystem &Files = *FSystem.Files;
  std::string NewCopy;
  uint8_t Code = codec::ExtractWriteFailed;
  Dated = false;
  // Where nothing had the name, the file is written under it at once: the
  // exclusive making proved nothing is lost, and a copy that does not
  // become whole is deleted like a new copy beside it would be. Otherwise
  // the new copy goes beside the file it replaces.
  std::unique_ptr<platform::File> Out = std::move(Fresh);
  const bool Direct = Out != nullptr;
  if (Direct)
    NewCopy = Destination;
  else
    Out = CreateBeside(Files, Destination, "tcnew", NewCopy);
  if (Out) {
    try {
      Code = codec::ExtractEntry(Package, codec::ExtractTarget::Stream(*Out), Progress, H, &Report);
    } catch (const std::bad_alloc &) {
      Code = codec::ExtractWriteFailed; // the part written is deleted below
    }
    // The date goes on through the open copy after its last write, which
    // spares opening the file again; the move to its name keeps it.
    if (Code == codec::ExtractOk && !Report.Stopped && KeepDate)
      Dated = Out->SetLastWriteDate(H.FileDate);
    Out.reset();
  }
  // Whatever the extraction did, an earlier file at Destination is
  // untouched: it is replaced only by a whole copy.
  if (Code == codec::ExtractOk && !Report.Stopped) {
    if (Direct) {
      FReplaced.NoteWritten(Destination);
      return Code;
    }
    if (FReplaced.Replace(NewCopy, Destination, false))
      return Code;
    Code = codec::ExtractWriteFailed; // the destination is locked or read-only
  }
  if (!NewCopy.empty())
    Files.RemoveFile(NewCopy);
  return Code;
}

void InstallationEngine::InstallEntry(platform::File &Package, uint64_t Position,
                                      const package::TEntryHeader &H,
                                      const package::GroupFileIndex &Records) {
  platform::FileSystem &Files = *FSystem.Files;
  const std::string Name = H.NameText();
  std::string Destination = Name;
  if (!Destination.empty() && Destination[0] == '\\')
    Destination.erase(0, 1);
  Destination = CleanPath(FServices.ResolvePath(Destination, true));

  const std::string &FontDir = FontDirectory();
  const bool IsFont = UpperAscii(Destination).compare(0, FontDir.size(), FontDir) == 0;

  const package::FileType *Record = Records.Find(Name);
  if (!Record) {
    FCancelRequested = true;
    Ask("Setup file corrupt!", platform::MbOk | platform::MbIconError);
    return;
  }
  const uint8_t Policy = Record->IfExists;
  // An earlier installation that never ended may have left the user's file
  // aside: it is put back before the rules look at what is there.
  if (MayHaveLeftovers(Destination))
    FReplaced.Recover(Destination);
  // Most files are new: making the file exclusively at once both proves
  // that and opens it, where a look-up first would cost a second search
  // of the name. Only when that fails does an existing file decide, and
  // only where the policy keeps, asks, compares or merges; the others
  // replace it, and the replacement finds it itself.
  // (A name this run already wrote is never taken: its copy goes beside.)
  const auto TakeName = [&]() -> std::unique_ptr<platform::File> {
    if (FReplaced.Wrote(Destination))
      return nullptr;
    return Files.Open(Destination, platform::OpenMode::CreateNew);
  };
  std::unique_ptr<platform::File> Fresh = TakeName();
  const bool Exists = !Fresh && DecidesOnExisting(Policy) && Files.FileExists(Destination);
  if (Exists && !DecideInstall(Policy, Destination, H))
    return;
  const bool Merge = Exists && IsMergePolicy(Policy);

  FStatus.SetCurrentItem(Destination);
  // A linked entry's own size field is 0: the bar measures the data it
  // shares. A link that does not resolve fails in the extraction below.
  package::TEntryHeader Data = H;
  uint64_t DataPosition = 0;
  if (H.IsLinked() && !package::ResolveEntryLink(Package, Position, H, DataPosition, Data))
    Data = H;
  FStatus.SetProgressMax(Data.UnpackedSize);
  FStatus.SetProgress(0);
  const codec::TExtractProgress Progress = [this](int32_t Total, bool &Abort) {
    ExtractProgress(Total, Abort);
  };

  for (bool First = true; !Cancelled(); First = false) {
    Package.ClearError();
    Package.Seek(Position + package::EntryHeaderSize);
    std::string Temp;
    uint8_t Code = codec::ExtractWriteFailed;
    codec::ExtractReport Report;
    bool Dated = false;
    try {
      if (Merge) {
        if (std::unique_ptr<platform::File> Out = FServices.CreateTempFile(Temp))
          Code = codec::ExtractEntry(Package, codec::ExtractTarget::Stream(*Out), Progress, H,
                                     &Report);
      } else {
        // A retry tries the name again: what held it may be gone.
        if (!First)
          Fresh = TakeName();
        Code = ExtractInPlace(Package, H, Destination, Record->KeepDate, std::move(Fresh), Progress,
                              Report, Dated);
      }
    } catch (const std::bad_alloc &) {
      Code = codec::ExtractWriteFailed; // asked about like any failure to write
    }
    if (Report.Stopped) {
      // A stop asked during the extraction delivers nothing, even when the
      // last block had already been decoded; the user asked for it, so no
      // failure is reported either.
      if (!Temp.empty())
        Files.RemoveFile(Temp);
      FCancelRequested = true;
      return;
    }
    if (Code != codec::ExtractOk) {
      if (!Temp.empty())
        Files.RemoveFile(Temp);
      const int Answer = Ask("Failed to install file: " + FileNamePart(Destination) + "! " +
                                 FailureReason(Code) + "\r\nWhat do you want to do?",
                             platform::MbAbortRetryIgnore | platform::MbIconError);
      if (Answer == platform::IdRetry)
        continue;
      // Abort, and a box that could not be shown (which would otherwise ask
      // again for ever), stop the installation. The file at the destination
      // (the user's, or an earlier entry's) was never touched.
      if (Answer != platform::IdIgnore)
        FCancelRequested = true;
      return;
    }
    if (Merge) {
      const bool Merged = MergeInto(Policy, Temp, Destination, *Record);
      Files.RemoveFile(Temp);
      if (!Merged) {
        FCancelRequested = true;
        Ask("Failed to merge file: " + Destination + "!", platform::MbOk | platform::MbIconError);
        return;
      }
    }
    if (Record->KeepDate && !Dated)
      Files.SetFileDate(Destination, H.FileDate);
    // A file merged into was the user's own before: it is not recorded, so
    // that neither a rollback nor the uninstaller deletes it.
    if (!Merge && !this->Record(LogFiles, Destination)) {
      // Unrecorded, the file could not be undone.
      Files.RemoveFile(Destination);
      return;
    }
    std::string FontName;
    if (IsFont && GetFontName(Files, Destination, FontName)) {
      RegisterFont(FSystem, Destination, FontName, FServices.OsVersion);
      // The registration goes with the file: a rollback and the uninstaller
      // remove both, instead of leaving the font list naming a deleted file.
      // (A name with a backslash could not be told from its key's path.)
      if (FontName.find('\\') == std::string::npos)
        this->Record(LogRegistryValues,
                     RegistryValueRecord("HKEY_LOCAL_MACHINE",
                                         FontListKey(FServices.OsVersion.PlatformId), FontName));
    }
    return;
  }
  // Cancelled before the first attempt: the empty file made above goes.
  if (Fresh) {
    Fresh.reset();
    Files.RemoveFile(Destination);
  }
}

} // namespace install
