// The installation itself: the uninstaller and its log, the three phases
// over the selected setup types (files, registry values, program groups),
// the finalization commands, then the registration or, after a cancellation
// or a fatal error, the rollback of what the log lists. It knows the window
// only through InstallStatus, so it runs in tests without one.
#pragma once

#include "codec/CompressedEntry.h"
#include "install/InstallRecord.h"
#include "install/ProgramFolderTable.h"
#include "install/ReplacedFiles.h"
#include "install/UninstallLog.h"
#include "package/Package.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace install {

// Page codes the wizard shows after the installation.
inline constexpr int FinishPage = 800;
inline constexpr int AbortedPage = 900;

// The status panel and the message loop, as the driver binds them.
class InstallStatus {
public:
  virtual ~InstallStatus() = default;
  // Label1 and Label2. The phase caption shows at once; the current item
  // may wait for the next ProcessMessages or ShowCurrentItem, as it changes
  // with every file.
  virtual void SetPhaseCaption(const std::string &Text) = 0;
  virtual void SetCurrentItem(const std::string &Text) = 0;
  // Shows the item set last now: a question is about to name it.
  virtual void ShowCurrentItem() {}
  virtual void SetProgressMax(uint32_t Max) = 0;
  virtual void SetProgress(uint32_t Position) = 0;
  // Processes pending window messages and gives up the time slice.
  virtual void ProcessMessages() = 0;
  // The user confirmed Cancel (or closed the window) since the start.
  virtual bool CancelRequested() = 0;
  virtual bool Terminating() { return false; }
  // Shows the panel, enables its Cancel button, repaints the background.
  virtual void ShowPanel(bool) {}
  virtual void EnableCancel() {}
  virtual void RepaintBackground() {}
  virtual void ShowAnimationsForGroup(const package::GroupType &, bool) {}
};

// What the engine needs from the launcher beyond the platform.
struct InstallServices {
  // ResolvePathMacros over the destination aliases of the wizard.
  std::function<std::string(const std::string &Path, bool AddTrailingBackslash)> ResolvePath;
  // A fresh temporary file, created exclusively, with its name; null when
  // none can be made.
  std::function<std::unique_ptr<platform::File>(std::string &Name)> CreateTempFile;
  platform::OsVersionInfo OsVersion; // for font registration
  // Window messages are processed at most once in this many milliseconds
  // while files are extracted; 0 processes them at every progress report
  // and before every entry. The cancel flag is read at every report either
  // way, and what a pump would show changes faster than a screen can.
  uint32_t PumpIntervalMs = 0;
  // GetOSType's code of the running system (0 Windows 95 ... 5 unknown):
  // on 0 and 1 the all-users program group goes to the user's folder.
  uint8_t OsType = 5;
};

class InstallationEngine {
public:
  // System must provide Files, Reg, Ini, Version, ShellApi, Msg and Procs.
  // Folders is the program folder page's table of chosen names.
  InstallationEngine(const platform::Platform &System, package::TOpenFileType &Model,
                     InstallStatus &Status, const ProgramFolderTable &Folders,
                     InstallServices Services);

  // Installs from Package (the launcher's own file) whose first non-picture
  // entry is at FilesPosition. Returns FinishPage or AbortedPage.
  int RunInstallation(platform::File &Package, uint64_t FilesPosition);

  // Files of one group whose header is at GroupOffset; fatal failures set
  // the cancel flag.
  void InstallFiles(platform::File &Package, uint64_t GroupOffset, const package::GroupType &Group);

  // Phase 2: the group's registry values.
  void SetupRegistry(const package::GroupType &Group);
  // Phase 3: the group's program folders and shortcuts.
  void CreateProgramGroups(const package::GroupType &Group);
  // After the phases: the selected setup types' commands, polling the
  // cancel flag between setup types.
  void RunFinalizationCommands();

  void RequestCancel() { FCancelRequested = true; }
  bool Cancelled();
  UninstallLog *Log() { return FLog.get(); }
  const std::string &UninstallerPath() const { return FExePath; }

private:
  void InstallUninstaller(platform::File &Package, const package::TEntryHeader &Header);
  void OpenLog();
  void RunPhase(int Phase, platform::File &Package);
  void CreateGroupDirectories(const package::DirType &First, const std::string &ParentPath);
  void InstallEntry(platform::File &Package, uint64_t Position, const package::TEntryHeader &H,
                    const package::GroupFileIndex &Records);
  bool DecideInstall(uint8_t Policy, const std::string &Destination,
                     const package::TEntryHeader &H);
  // Writes the merge of the new TempFile and the existing Destination beside
  // it and puts that in its place; the user's file is kept for a rollback.
  bool MergeInto(uint8_t Policy, const std::string &TempFile, const std::string &Destination,
                 const package::FileType &Record);
  // One attempt at putting the entry at Destination; an extraction result
  // code, ExtractWriteFailed when the new copy could not take its place.
  // KeepDate gives the copy the entry's date before it takes its place;
  // Dated tells whether that worked. Fresh is Destination itself, just
  // made exclusively by the caller; without it the entry is written beside
  // what has the name and then takes its place.
  uint8_t ExtractInPlace(platform::File &Package, const package::TEntryHeader &H,
                         const std::string &Destination, bool KeepDate,
                         std::unique_ptr<platform::File> Fresh,
                         const codec::TExtractProgress &Progress, codec::ExtractReport &Report,
                         bool &Dated);
  // "<FontDir>" expanded, upper-cased, with a trailing backslash; resolved
  // once a run.
  const std::string &FontDirectory();
  // Whether an interrupted earlier run may have left copies beside this
  // destination (always, where its directory cannot be listed).
  bool MayHaveLeftovers(const std::string &Destination);
  // Adds a log record; a failure is reported and stops the installation.
  bool Record(const std::string &Section, const std::string &Value);
  void LogFailed();
  void Rollback();
  // Before the rollback: the shortcuts, registry values and program
  // folders this run recorded, last first.
  void UndoLaterPhases();
  std::string CleanPath(const std::string &Path);
  void ExtractProgress(int32_t Total, bool &Abort);
  // Processes window messages unless that was done less than the pump
  // interval ago.
  void Pump();
  int Ask(const std::string &Text, uint32_t Flags, const char *Caption = "Error");
  bool IsSelected(const package::SetupType &Type) const;
  RecordSink LogSink();

  const platform::Platform &FSystem;
  package::TOpenFileType &FModel;
  InstallStatus &FStatus;
  const ProgramFolderTable &FFolders;
  InstallServices FServices;
  // Earlier files replaced by this run, kept until it ends.
  ReplacedFiles FReplaced{*FSystem.Files};

  bool FCancelRequested = false;
  // Look-ups by upper-cased group name, made once per run: a package may
  // hold thousands of groups, each named by the setup types. The first
  // group (and group header) of a name is the one used.
  std::unordered_map<std::string, package::GroupType *> FGroupsByName;
  std::unordered_map<std::string, uint64_t> FGroupPositions;
  std::unordered_set<std::string> FDoneList;
  // Directories seen or made by this run (upper-cased, no trailing
  // backslash): their levels are not looked at again.
  std::set<std::string> FKnownDirs;
  std::string FFontDir;
  std::chrono::steady_clock::time_point FLastPump{};
  bool FPumped = false; // the first pump is always due
  // Destination directories looked through for an earlier run's leftovers,
  // and the destinations (upper-cased) that have some; a directory that
  // cannot be listed has each of its files looked at.
  std::unordered_map<std::string, bool> FListedDirs;
  std::unordered_set<std::string> FLeftovers;
  std::unique_ptr<UninstallLog> FLog;
  bool FLogExisted = false;
  bool FLogUsable = false;       // false once the user chose to go on without it
  bool FHaveUninstaller = false; // the uninstaller entry was handled
  bool FRecordFailed = false;    // a later phase's record was refused: no more tries
  // Counts of the log's sections when this run opened it, so a rollback
  // undoes only what this run added to a log shared with an earlier one.
  uint32_t FStartFiles = 0, FStartDirectories = 0;
  uint32_t FStartValues = 0, FStartLinks = 0, FStartGroups = 0;
  std::string FExePath, FLogPath;
};

} // namespace install
