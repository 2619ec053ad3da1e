#include "platform/posix/PosixFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace platform;

namespace {
std::string TempDir() {
  char tmpl[] = "/tmp/tcpfXXXXXX";
  return mkdtemp(tmpl);
}
} // namespace

TEST(PosixFileSystem, CreateNewRefusesExistingFileAndMoveRefusesToReplace) {
  posix::PosixFileSystem fs;
  std::string d = TempDir();
  auto f = fs.Open(d + "/a", OpenMode::CreateNew);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Write("abc", 3), 3u);
  f.reset();
  EXPECT_FALSE(fs.Open(d + "/a", OpenMode::CreateNew));
  EXPECT_TRUE(fs.FileExists(d + "/a"));
  EXPECT_FALSE(fs.DirectoryExists(d + "/a"));
  auto g = fs.Open(d + "/b", OpenMode::Create);
  g.reset();
  EXPECT_FALSE(fs.RenameFile(d + "/a", d + "/b"));
  EXPECT_TRUE(fs.RemoveFile(d + "/b"));
  EXPECT_TRUE(fs.RenameFile(d + "/a", d + "/b"));
  auto r = fs.Open(d + "/b", OpenMode::Read);
  ASSERT_TRUE(r);
  char buf[4] = {};
  EXPECT_EQ(r->Read(buf, 4), 3u);
  EXPECT_FALSE(r->Error());
  EXPECT_EQ(std::string(buf), "abc");
  EXPECT_FALSE(fs.Open(d, OpenMode::Read)) << "a directory is not a file";
  r.reset();
  // A replacing move replaces a file, never a link (nor what it points at).
  fs.Open(d + "/c", OpenMode::Create).reset();
  ASSERT_TRUE(fs.MoveReplacing(d + "/c", d + "/b"));
  EXPECT_FALSE(fs.FileExists(d + "/c"));
  fs.Open(d + "/c", OpenMode::Create).reset();
  ASSERT_EQ(::symlink("b", (d + "/l").c_str()), 0);
  EXPECT_FALSE(fs.MoveReplacing(d + "/c", d + "/l"));
  EXPECT_FALSE(fs.Open(d + "/l", OpenMode::CreateNew)) << "no file is made through a link";
  ::unlink((d + "/l").c_str());
  fs.RemoveFile(d + "/c");
  fs.RemoveFile(d + "/b");
  EXPECT_TRUE(fs.DeleteDirectory(d));
}

TEST(PosixFileSystem, DosDateRoundTripsAtTwoSecondResolution) {
  posix::PosixFileSystem fs;
  std::string d = TempDir();
  std::string p = d + "/f";
  fs.Open(p, OpenMode::Create).reset();
  // 2021-03-04 05:06:08
  DosDateTime date = (41 << 25) | (3 << 21) | (4 << 16) | (5 << 11) | (6 << 5) | 4;
  ASSERT_TRUE(fs.SetFileDate(p, date));
  EXPECT_EQ(fs.GetFileDate(p), date);
  EXPECT_EQ(fs.GetFileDate(d + "/missing"), -1);
  // Through the open file, after its last write.
  auto f = fs.Open(p, OpenMode::Create);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Write("data", 4), 4u);
  const DosDateTime later = date + (1 << 16); // the next day
  ASSERT_TRUE(f->SetLastWriteDate(later));
  f.reset();
  EXPECT_EQ(fs.GetFileDate(p), later);
  fs.RemoveFile(p);
  fs.DeleteDirectory(d);
}

TEST(PosixFileSystem, ExpandsKnownVariablesAndKeepsUnknownOnes) {
  posix::PosixFileSystem fs;
  setenv("TC_X", "val", 1);
  std::string out;
  ASSERT_TRUE(fs.ExpandEnvironment("a%TC_X%b%TC_NOPE%c%", out));
  EXPECT_EQ(out, "avalb%TC_NOPE%c%");
}
