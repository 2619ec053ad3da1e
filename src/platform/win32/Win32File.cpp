#include "platform/win32/Win32File.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// A local DOS date and time as the UTC file time the file system stores.
bool DosDateToFileTime(DosDateTime Date, FILETIME &Utc) {
  FILETIME local;
  const uint32_t d = static_cast<uint32_t>(Date);
  return DosDateTimeToFileTime(static_cast<WORD>(d >> 16), static_cast<WORD>(d & 0xFFFF), &local) &&
         LocalFileTimeToFileTime(&local, &Utc);
}

class Win32File : public File {
public:
  explicit Win32File(HANDLE H) : FHandle(H) {}
  ~Win32File() override { CloseHandle(FHandle); }

  uint32_t Read(void *Buffer, uint32_t Count) override {
    DWORD got = 0;
    if (!ReadFile(FHandle, Buffer, Count, &got, nullptr))
      SetError();
    FPos += got;
    return got;
  }

  uint32_t Write(const void *Buffer, uint32_t Count) override {
    DWORD put = 0;
    if (!WriteFile(FHandle, Buffer, Count, &put, nullptr) || put != Count)
      SetError();
    FPos += put;
    return put;
  }

  bool Seek(uint64_t Position) override {
    LONG high = static_cast<LONG>(Position >> 32);
    SetLastError(NO_ERROR);
    DWORD low =
        SetFilePointer(FHandle, static_cast<LONG>(Position & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
      SetError();
      return false;
    }
    FPos = Position;
    return true;
  }

  uint64_t Position() const override { return FPos; }

  uint64_t Size() override {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(FHandle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
      SetError();
      return 0;
    }
    return static_cast<uint64_t>(high) << 32 | low;
  }

  bool Truncate() override {
    if (!Seek(FPos) || !SetEndOfFile(FHandle)) {
      SetError();
      return false;
    }
    return true;
  }

  bool SetLastWriteDate(DosDateTime Date) override {
    // Windows 95 and 98 may stamp a written file with the time of its
    // closing, over the one set: there the caller sets it by name after.
    if (GetVersion() & 0x80000000u)
      return false;
    FILETIME utc;
    return DosDateToFileTime(Date, utc) && SetFileTime(FHandle, nullptr, nullptr, &utc) != 0;
  }

private:
  HANDLE FHandle;
  uint64_t FPos = 0;
};

std::string StripSlash(std::string S) {
  while (S.size() > 3 && (S.back() == '\\' || S.back() == '/'))
    S.pop_back();
  return S;
}

} // namespace

std::unique_ptr<File> Win32FileSystem::Open(const std::string &Path, OpenMode Mode) {
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (Mode) {
  case OpenMode::Read:
    // The launcher reads its own running image, which others may also open.
    share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    break;
  case OpenMode::ReadWrite:
    access |= GENERIC_WRITE;
    break;
  case OpenMode::Create:
    access |= GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
    break;
  case OpenMode::CreateNew:
    access |= GENERIC_WRITE;
    disposition = CREATE_NEW;
    break;
  }
  HANDLE h = CreateFileA(Path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return nullptr;
  return std::make_unique<Win32File>(h);
}

bool Win32FileSystem::FileExists(const std::string &Path) {
  DWORD a = GetFileAttributesA(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string &Path) {
  DWORD a = GetFileAttributesA(StripSlash(Path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::MakeDirectory(const std::string &Path) {
  return ::CreateDirectoryA(StripSlash(Path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::DeleteDirectory(const std::string &Path) {
  return ::RemoveDirectoryA(StripSlash(Path).c_str()) != 0;
}

bool Win32FileSystem::RemoveFile(const std::string &Path) {
  return ::DeleteFileA(Path.c_str()) != 0;
}

bool Win32FileSystem::RenameFile(const std::string &From, const std::string &To) {
  return ::MoveFileA(From.c_str(), To.c_str()) != 0;
}

bool Win32FileSystem::MoveReplacing(const std::string &From, const std::string &To) {
  // Looked up, not imported: Windows 95 and 98 have the name but answer
  // every call with ERROR_CALL_NOT_IMPLEMENTED. Where it works the
  // replacement is one step of the file system.
  using MoveFileExProc = BOOL(WINAPI *)(LPCSTR, LPCSTR, DWORD);
  static const MoveFileExProc MoveEx = reinterpret_cast<MoveFileExProc>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
  if (MoveEx) {
    if (MoveEx(From.c_str(), To.c_str(), MOVEFILE_REPLACE_EXISTING))
      return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
      return false;
  }
  return FileSystem::MoveReplacing(From, To);
}

uint32_t Win32FileSystem::GetAttributes(const std::string &Path) {
  DWORD a = GetFileAttributesA(StripSlash(Path).c_str());
  return a == INVALID_FILE_ATTRIBUTES ? AttrInvalid : a;
}

bool Win32FileSystem::SetAttributes(const std::string &Path, uint32_t Attributes) {
  return SetFileAttributesA(StripSlash(Path).c_str(), Attributes) != 0;
}

DosDateTime Win32FileSystem::GetFileDate(const std::string &Path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(Path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return -1;
  FindClose(h);
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return -1;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<DosDateTime>(static_cast<uint32_t>(date) << 16 | time);
}

bool Win32FileSystem::SetFileDate(const std::string &Path, DosDateTime Date) {
  FILETIME utc;
  if (!DosDateToFileTime(Date, utc))
    return false;
  HANDLE h = CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  CloseHandle(h);
  return ok;
}

bool Win32FileSystem::ListDirectory(const std::string &Path, std::vector<DirEntry> &Out) {
  Out.clear();
  std::string pattern = StripSlash(Path);
  if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/'))
    pattern += '\\';
  pattern += "*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..")
      continue;
    Out.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return true;
}

std::string Win32FileSystem::WindowsDirectory() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return n && n < sizeof buf ? StripSlash(buf) : std::string();
}

std::string Win32FileSystem::SystemDirectory() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetSystemDirectoryA(buf, sizeof buf);
  return n && n < sizeof buf ? StripSlash(buf) : std::string();
}

std::string Win32FileSystem::TempDirectory() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string s = n && n < sizeof buf ? std::string(buf, n) : std::string("C:\\");
  if (s.back() != '\\')
    s += '\\';
  return s;
}

bool Win32FileSystem::ExpandEnvironment(const std::string &Text, std::string &Out) {
  std::vector<char> buf(512);
  for (int tries = 0; tries < 4; ++tries) {
    DWORD n = ExpandEnvironmentStringsA(Text.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0)
      return false;
    if (n <= buf.size()) {
      Out.assign(buf.data());
      return true;
    }
    buf.resize(n + 1);
  }
  return false;
}

} // namespace platform::win32
