#include "platform/posix/PosixFile.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace platform::posix {
namespace {

class PosixFile : public File {
public:
  explicit PosixFile(int Fd) : FFd(Fd) {}
  ~PosixFile() override { ::close(FFd); }

  uint32_t Read(void *Buffer, uint32_t Count) override {
    uint32_t done = 0;
    auto *p = static_cast<char *>(Buffer);
    while (done < Count) {
      ssize_t n = ::read(FFd, p + done, Count - done);
      if (n < 0) {
        if (errno == EINTR)
          continue;
        SetError();
        break;
      }
      if (n == 0)
        break;
      done += static_cast<uint32_t>(n);
    }
    FPos += done;
    return done;
  }

  uint32_t Write(const void *Buffer, uint32_t Count) override {
    uint32_t done = 0;
    auto *p = static_cast<const char *>(Buffer);
    while (done < Count) {
      ssize_t n = ::write(FFd, p + done, Count - done);
      if (n < 0) {
        if (errno == EINTR)
          continue;
        SetError();
        break;
      }
      done += static_cast<uint32_t>(n);
    }
    FPos += done;
    return done;
  }

  bool Seek(uint64_t Position) override {
    if (::lseek(FFd, static_cast<off_t>(Position), SEEK_SET) < 0) {
      SetError();
      return false;
    }
    FPos = Position;
    return true;
  }

  uint64_t Position() const override { return FPos; }

  uint64_t Size() override {
    struct stat st;
    if (::fstat(FFd, &st) != 0) {
      SetError();
      return 0;
    }
    return static_cast<uint64_t>(st.st_size);
  }

  bool Truncate() override {
    if (::ftruncate(FFd, static_cast<off_t>(FPos)) != 0) {
      SetError();
      return false;
    }
    return true;
  }

  bool SetLastWriteDate(DosDateTime Date) override {
    const int64_t t = UnixFromDosDate(Date);
    if (t < 0)
      return false;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(t);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    return ::futimens(FFd, times) == 0;
  }

private:
  int FFd;
  uint64_t FPos = 0;
};

} // namespace

std::unique_ptr<File> PosixFileSystem::Open(const std::string &Path, OpenMode Mode) {
  int flags = O_CLOEXEC;
  switch (Mode) {
  case OpenMode::Read:
    flags |= O_RDONLY;
    break;
  case OpenMode::ReadWrite:
    flags |= O_RDWR;
    break;
  case OpenMode::Create:
    flags |= O_RDWR | O_CREAT | O_TRUNC;
    break;
  case OpenMode::CreateNew:
    flags |= O_RDWR | O_CREAT | O_EXCL;
    break;
  }
  int fd = ::open(Path.c_str(), flags, 0644);
  if (fd < 0)
    return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

bool PosixFileSystem::FileExists(const std::string &Path) {
  struct stat st;
  return ::stat(Path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::DirectoryExists(const std::string &Path) {
  struct stat st;
  return ::stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::MakeDirectory(const std::string &Path) {
  return ::mkdir(Path.c_str(), 0755) == 0;
}

bool PosixFileSystem::DeleteDirectory(const std::string &Path) {
  return ::rmdir(Path.c_str()) == 0;
}

bool PosixFileSystem::RemoveFile(const std::string &Path) {
  if (DirectoryExists(Path))
    return false;
  return ::unlink(Path.c_str()) == 0;
}

bool PosixFileSystem::RenameFile(const std::string &From, const std::string &To) {
  // Like RenameFile, refuse to replace an existing destination.
  struct stat st;
  if (::lstat(To.c_str(), &st) == 0)
    return false;
  return ::rename(From.c_str(), To.c_str()) == 0;
}

bool PosixFileSystem::MoveReplacing(const std::string &From, const std::string &To) {
  struct stat st;
  if (::lstat(To.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return false; // never through a link or over a directory
  return ::rename(From.c_str(), To.c_str()) == 0;
}

uint32_t PosixFileSystem::GetAttributes(const std::string &Path) {
  struct stat st;
  if (::stat(Path.c_str(), &st) != 0)
    return AttrInvalid;
  uint32_t a = 0;
  if (S_ISDIR(st.st_mode))
    a |= AttrDirectory;
  if (!(st.st_mode & S_IWUSR))
    a |= AttrReadOnly;
  return a ? a : AttrNormal;
}

bool PosixFileSystem::SetAttributes(const std::string &Path, uint32_t Attributes) {
  struct stat st;
  if (::stat(Path.c_str(), &st) != 0)
    return false;
  mode_t m = st.st_mode & 07777;
  if (Attributes & AttrReadOnly)
    m &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    m |= S_IWUSR;
  return ::chmod(Path.c_str(), m) == 0;
}

DosDateTime DosDateFromUnix(int64_t Seconds) {
  time_t t = static_cast<time_t>(Seconds);
  struct tm lt;
  if (!::localtime_r(&t, &lt))
    return -1;
  int year = lt.tm_year + 1900;
  if (year < 1980)
    return (1 << 5 | 1) << 16; // 1980-01-01 00:00:00, the earliest DOS date
  if (year > 2107)
    return -1;
  uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | (lt.tm_mon + 1) << 5 | lt.tm_mday);
  uint32_t tim = static_cast<uint32_t>(lt.tm_hour << 11 | lt.tm_min << 5 | lt.tm_sec / 2);
  return static_cast<DosDateTime>(date << 16 | tim);
}

int64_t UnixFromDosDate(DosDateTime Date) {
  uint32_t d = static_cast<uint32_t>(Date);
  struct tm lt = {};
  lt.tm_year = static_cast<int>((d >> 25) & 0x7F) + 80;
  lt.tm_mon = static_cast<int>((d >> 21) & 0x0F) - 1;
  lt.tm_mday = static_cast<int>((d >> 16) & 0x1F);
  lt.tm_hour = static_cast<int>((d >> 11) & 0x1F);
  lt.tm_min = static_cast<int>((d >> 5) & 0x3F);
  lt.tm_sec = static_cast<int>((d & 0x1F) * 2);
  lt.tm_isdst = -1;
  return static_cast<int64_t>(::mktime(&lt));
}

DosDateTime PosixFileSystem::GetFileDate(const std::string &Path) {
  struct stat st;
  if (::stat(Path.c_str(), &st) != 0)
    return -1;
  return DosDateFromUnix(st.st_mtime);
}

bool PosixFileSystem::SetFileDate(const std::string &Path, DosDateTime Date) {
  int64_t t = UnixFromDosDate(Date);
  if (t < 0)
    return false;
  struct utimbuf ub;
  ub.actime = static_cast<time_t>(t);
  ub.modtime = static_cast<time_t>(t);
  return ::utime(Path.c_str(), &ub) == 0;
}

bool PosixFileSystem::ListDirectory(const std::string &Path, std::vector<DirEntry> &Out) {
  Out.clear();
  DIR *d = ::opendir(Path.c_str());
  if (!d)
    return false;
  while (struct dirent *e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..")
      continue;
    DirEntry de;
    de.Name = name;
    de.IsDirectory = DirectoryExists(Path + "/" + name);
    Out.push_back(std::move(de));
  }
  ::closedir(d);
  return true;
}

std::string PosixFileSystem::WindowsDirectory() {
  return "/etc";
}
std::string PosixFileSystem::SystemDirectory() {
  return "/usr/lib";
}

std::string PosixFileSystem::TempDirectory() {
  const char *t = std::getenv("TMPDIR");
  std::string dir = t && *t ? t : "/tmp";
  if (dir.back() != '/')
    dir += '/';
  return dir;
}

bool PosixFileSystem::ExpandEnvironment(const std::string &Text, std::string &Out) {
  // %NAME% references, as Windows writes them; unknown names stay as they are.
  Out.clear();
  size_t i = 0;
  while (i < Text.size()) {
    size_t a = Text.find('%', i);
    if (a == std::string::npos) {
      Out.append(Text, i, std::string::npos);
      break;
    }
    size_t b = Text.find('%', a + 1);
    if (b == std::string::npos) {
      Out.append(Text, i, std::string::npos);
      break;
    }
    Out.append(Text, i, a - i);
    std::string name = Text.substr(a + 1, b - a - 1);
    const char *v = name.empty() ? nullptr : std::getenv(name.c_str());
    if (v) {
      Out += v;
      i = b + 1;
    } else {
      Out.append(Text, a, b - a);
      i = b;
    }
  }
  return true;
}

} // namespace platform::posix
