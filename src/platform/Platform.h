// The services of the operating system that the launcher, the uninstaller and
// the authoring tool use. Everything above this layer reaches Windows only
// through these narrow interfaces: the Win32 build implements them with the
// real API (platform/win32), the native build implements the file part with
// POSIX calls (platform/posix) and tests use in-memory doubles.
//
// Failures travel as return values; nothing here throws. Method names keep
// clear of the names <windows.h> defines as macros (DeleteFile, MessageBox...),
// so this header means the same with or without it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// ---------------------------------------------------------------- files

// Packed DOS date and time: date in the high 16 bits, time in the low 16.
using DosDateTime = int32_t;

// A byte file with a pending-error state, as the installer's readers expect:
// a failed read, write or seek sets the error flag, which stays set until
// ClearError(). A read at or past the end of the file is not an error in
// itself; it returns fewer bytes than asked and the caller compares counts.
class File {
public:
  virtual ~File() = default;
  // Reads up to Count bytes at the current position; returns how many came.
  virtual uint32_t Read(void *Buffer, uint32_t Count) = 0;
  // Up to Count bytes at the current position in the file's own memory,
  // sparing a copy: Got says how many (fewer than asked is no error), the
  // position moves past them, and they stay valid until the next call on
  // the file. Null, with nothing moved, where the file cannot lend them
  // (or fails to): the caller then reads, and that read decides.
  virtual const uint8_t *ReadInPlace(uint32_t Count, uint32_t &Got) {
    Got = 0;
    return nullptr;
  }
  // Writes Count bytes; returns how many were written (short = error set).
  virtual uint32_t Write(const void *Buffer, uint32_t Count) = 0;
  virtual bool Seek(uint64_t Position) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Size() = 0;
  // Cuts or extends the file at the current position.
  virtual bool Truncate() = 0;
  // Sets the last-write time (local DOS date and time) through the open
  // file, after its last write, so that a file just written needs no second
  // opening for its date. False where the file cannot do it; the caller
  // then sets it by name.
  virtual bool SetLastWriteDate(DosDateTime Date) { return false; }
  bool Eof() { return Position() >= Size(); }
  bool Error() const { return FError; }
  void ClearError() { FError = false; }
  void SetError() { FError = true; }

private:
  bool FError = false;
};

enum class OpenMode {
  Read,      // existing file, read only, others may read too
  ReadWrite, // existing file
  Create,    // create or truncate, read/write
  CreateNew, // create, failing when the file exists (temporary names)
};

// File attribute bits, with the Win32 values.
enum : uint32_t {
  AttrReadOnly = 0x01,
  AttrHidden = 0x02,
  AttrSystem = 0x04,
  AttrDirectory = 0x10,
  AttrArchive = 0x20,
  AttrNormal = 0x80,
  AttrInvalid = 0xFFFFFFFF,
};

struct DirEntry {
  std::string Name; // no path
  bool IsDirectory = false;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;
  virtual std::unique_ptr<File> Open(const std::string &Path, OpenMode Mode) = 0;
  virtual bool FileExists(const std::string &Path) = 0; // a file, not a directory
  virtual bool DirectoryExists(const std::string &Path) = 0;
  virtual bool MakeDirectory(const std::string &Path) = 0;   // one level
  virtual bool DeleteDirectory(const std::string &Path) = 0; // empty only
  virtual bool RemoveFile(const std::string &Path) = 0;
  // Fails when anything has the name To: it never replaces (callers rely
  // on that to learn that a file is there).
  virtual bool RenameFile(const std::string &From, const std::string &To) = 0;
  // Moves From to To, replacing a file at To, such that at every moment one
  // of the two is whole: when it fails, To is what it was. To must not be
  // read-only. This version renames the old file aside first and back on
  // failure (systems without an atomic replacing move); the file's name is
  // briefly free, its content never lost.
  virtual bool MoveReplacing(const std::string &From, const std::string &To);
  virtual uint32_t GetAttributes(const std::string &Path) = 0; // AttrInvalid when missing
  virtual bool SetAttributes(const std::string &Path, uint32_t Attributes) = 0;
  // Last-write time as local DOS date/time; -1 when it cannot be read.
  virtual DosDateTime GetFileDate(const std::string &Path) = 0;
  virtual bool SetFileDate(const std::string &Path, DosDateTime Date) = 0;
  virtual bool ListDirectory(const std::string &Path, std::vector<DirEntry> &Out) = 0;
  virtual std::string WindowsDirectory() = 0; // without a trailing backslash
  virtual std::string SystemDirectory() = 0;  // without a trailing backslash
  virtual std::string TempDirectory() = 0;    // with a trailing separator
  // Expands %VAR% references; false when the expansion fails.
  virtual bool ExpandEnvironment(const std::string &Text, std::string &Out) = 0;
};

// ---------------------------------------------------------------- registry

// Predefined root keys, with the Win32 handle values.
enum class RootKey : uint32_t {
  ClassesRoot = 0x80000000,
  CurrentUser = 0x80000001,
  LocalMachine = 0x80000002,
  Users = 0x80000003,
  PerformanceData = 0x80000004,
  CurrentConfig = 0x80000005,
  DynData = 0x80000006,
};

// Registry value types, with the Win32 values.
enum : uint32_t {
  RegNone = 0,
  RegSz = 1,
  RegExpandSz = 2,
  RegBinary = 3,
  RegDword = 4,
};

// One open key; closed when destroyed.
class RegistryKey {
public:
  virtual ~RegistryKey() = default;
  virtual bool ValueExists(const std::string &Name) = 0;
  // Reads REG_SZ and REG_EXPAND_SZ (unexpanded) values; false otherwise.
  virtual bool ReadString(const std::string &Name, std::string &Out) = 0;
  virtual bool ReadBinary(const std::string &Name, std::vector<uint8_t> &Out) = 0;
  virtual bool ReadDword(const std::string &Name, uint32_t &Out) = 0;
  virtual bool WriteString(const std::string &Name, const std::string &Value) = 0;
  virtual bool WriteBinary(const std::string &Name, const void *Data, uint32_t Size) = 0;
  virtual bool WriteDword(const std::string &Name, uint32_t Value) = 0;
  virtual bool DeleteValue(const std::string &Name) = 0;
  virtual bool ListValues(std::vector<std::string> &Out) = 0;
  virtual bool ListSubKeys(std::vector<std::string> &Out) = 0;
};

class Registry {
public:
  virtual ~Registry() = default;
  // Opens Path below Root. With Create every missing level is made and full
  // access is asked; without it the key is opened for reading only.
  virtual std::unique_ptr<RegistryKey> OpenKey(RootKey Root, const std::string &Path,
                                               bool Create) = 0;
  // Deletes a key that has no sub-keys.
  virtual bool DeleteKey(RootKey Root, const std::string &Path) = 0;
};

// ---------------------------------------------------------------- INI files

// Private-profile files in the platform's INI format.
class IniFiles {
public:
  virtual ~IniFiles() = default;
  // Values of at most 2047 characters are read.
  virtual std::string ReadString(const std::string &File, const std::string &Section,
                                 const std::string &Key, const std::string &Default) = 0;
  virtual bool WriteString(const std::string &File, const std::string &Section,
                           const std::string &Key, const std::string &Value) = 0;
  virtual bool ReadSections(const std::string &File, std::vector<std::string> &Out) = 0;
  virtual bool ReadKeys(const std::string &File, const std::string &Section,
                        std::vector<std::string> &Out) = 0;
  // Writes out what the system keeps of File in memory (Windows 95 and 98
  // cache profile files), before the file is moved or copied.
  virtual void FlushFile(const std::string &File) {}
};

// ---------------------------------------------------------------- version

// Operating-system version record.
struct OsVersionInfo {
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  uint32_t BuildNumber = 0;
  uint32_t PlatformId = 0; // 0 Win32s, 1 Windows 95 family, 2 Windows NT family
  std::string CSDVersion;  // service-pack text
};

class VersionInfo {
public:
  virtual ~VersionInfo() = default;
  virtual bool GetOsVersion(OsVersionInfo &Out) = 0;
  // Loads a file's whole version information block; false when it has none.
  virtual bool LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) = 0;
  // Looks a sub-block up ("\\", "\\VarFileInfo\\Translation",
  // "\\StringFileInfo\\040904E4\\FileDescription") and gives its bytes; for a
  // string value the length counts the terminating zero as Windows does.
  virtual bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                          const uint8_t *&Data, uint32_t &Length) = 0;
};

// ---------------------------------------------------------------- shell

// What the shell link object is given. Each text must fit the object's
// 255-byte buffers (the caller refuses longer ones).
struct ShellLinkParams {
  std::string LinkFile; // the ".lnk" file to write
  std::string Target;
  std::string Arguments;
  std::string WorkingDirectory;
  std::string IconFile; // empty: no icon location
  int IconIndex = 0;
};

enum class ShellLinkResult {
  NoObject, // the link object or its file interface could not be had
  NotSaved, // made, but writing the ".lnk" file failed
  Saved,
};

class Shell {
public:
  virtual ~Shell() = default;
  // The link object's setters are not checked: only getting the object and
  // saving it decide the result.
  virtual ShellLinkResult CreateShellLink(const ShellLinkParams &Params) = 0;
  virtual int AddFont(const std::string &Path) = 0; // fonts added, 0 = failure
  virtual bool RemoveFont(const std::string &Path) = 0;
  // WM_FONTCHANGE to all top-level windows, giving up on a window that does
  // not answer within TimeoutMs so a hung program cannot stall the caller.
  virtual void BroadcastFontChange(uint32_t TimeoutMs) = 0;
};

// ---------------------------------------------------------------- processes

// Exit code GetExitCode gives while the process runs (STILL_ACTIVE).
inline constexpr uint32_t ProcessStillActive = 259;

class Process {
public:
  virtual ~Process() = default;
  // Waits at most TimeoutMs for the process to be idle for input; false
  // only when the time ran out (a console program never waits).
  virtual bool WaitForInputIdle(uint32_t TimeoutMs) = 0;
  // The exit code, ProcessStillActive while it runs; false when it cannot
  // be read.
  virtual bool GetExitCode(uint32_t &Code) = 0;
  // True once the process has ended (also when its exit code happens to be
  // ProcessStillActive).
  virtual bool HasEnded() = 0;
};

class Processes {
public:
  virtual ~Processes() = default;
  // Starts CommandLine (no separate application name, no handle
  // inheritance, normal priority, the start-up feedback cursor); Hidden
  // starts its window hidden, else shown normally. Null when it cannot.
  virtual std::unique_ptr<Process> Start(const std::string &CommandLine, bool Hidden) = 0;
  virtual void Sleep(uint32_t Ms) = 0;
};

// ---------------------------------------------------------------- messages

// Message box flags and answers, with the Win32 values.
enum : uint32_t {
  MbOk = 0x00,
  MbOkCancel = 0x01,
  MbAbortRetryIgnore = 0x02,
  MbYesNoCancel = 0x03,
  MbYesNo = 0x04,
  MbRetryCancel = 0x05,
  MbIconError = 0x10,
  MbIconQuestion = 0x20,
  MbIconWarning = 0x30,
  MbIconInformation = 0x40,
};
enum : int {
  IdOk = 1,
  IdCancel = 2,
  IdAbort = 3,
  IdRetry = 4,
  IdIgnore = 5,
  IdYes = 6,
  IdNo = 7,
};

class Messages {
public:
  virtual ~Messages() = default;
  virtual int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) = 0;
};

// ---------------------------------------------------------------- all of it

// The set of services one program uses; owned by its main window (or main).
struct Platform {
  FileSystem *Files = nullptr;
  Registry *Reg = nullptr;
  IniFiles *Ini = nullptr;
  VersionInfo *Version = nullptr;
  Shell *ShellApi = nullptr;
  Processes *Procs = nullptr;
  Messages *Msg = nullptr;
};

} // namespace platform
