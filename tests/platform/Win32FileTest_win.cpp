#include "platform/win32/Win32File.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace platform;

namespace {

std::string FreshDir(const char *Name) {
  win32::Win32FileSystem fs;
  std::string d = fs.TempDirectory() + Name;
  std::vector<DirEntry> entries;
  if (fs.ListDirectory(d, entries))
    for (auto &e : entries) {
      fs.SetAttributes(d + "\\" + e.Name, AttrNormal);
      fs.RemoveFile(d + "\\" + e.Name);
    }
  fs.DeleteDirectory(d);
  EXPECT_TRUE(fs.MakeDirectory(d));
  return d;
}

} // namespace

TEST(Win32FileSystem, ReadWriteSeekAndPendingError) {
  win32::Win32FileSystem fs;
  std::string d = FreshDir("tcw_rw");
  std::string p = d + "\\data.bin";
  auto f = fs.Open(p, OpenMode::Create);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Write("0123456789", 10), 10u);
  EXPECT_EQ(f->Size(), 10u);
  ASSERT_TRUE(f->Seek(4));
  char buf[16] = {};
  EXPECT_EQ(f->Read(buf, 16), 6u) << "a read over the end returns what there is";
  EXPECT_FALSE(f->Error());
  EXPECT_STREQ(buf, "456789");
  f->Seek(3);
  EXPECT_TRUE(f->Truncate());
  EXPECT_EQ(f->Size(), 3u);
  f.reset();

  auto r = fs.Open(p, OpenMode::Read);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Write("x", 1), 0u);
  EXPECT_TRUE(r->Error()) << "writing a read-only handle sets the pending error";
  r->ClearError();
  EXPECT_FALSE(r->Error());
  r.reset();

  EXPECT_FALSE(fs.Open(p, OpenMode::CreateNew)) << "an existing file is never taken over";
  EXPECT_FALSE(fs.Open(d + "\\missing", OpenMode::Read));
}

TEST(Win32FileSystem, AttributesDatesAndMoves) {
  win32::Win32FileSystem fs;
  std::string d = FreshDir("tcw_attr");
  std::string a = d + "\\a.txt", b = d + "\\sub\\b.txt";
  fs.Open(a, OpenMode::Create).reset();
  EXPECT_TRUE(fs.FileExists(a));
  EXPECT_FALSE(fs.DirectoryExists(a));
  EXPECT_TRUE(fs.DirectoryExists(d + "\\")) << "a trailing backslash still names the directory";

  ASSERT_TRUE(fs.SetAttributes(a, AttrReadOnly));
  EXPECT_TRUE(fs.GetAttributes(a) & AttrReadOnly);
  EXPECT_FALSE(fs.RemoveFile(a)) << "a read-only file is not deleted";
  ASSERT_TRUE(fs.SetAttributes(a, AttrNormal));
  EXPECT_EQ(fs.GetAttributes(d + "\\nothing"), AttrInvalid);

  // 2003-07-15 13:45:30, local time
  DosDateTime date = (23 << 25) | (7 << 21) | (15 << 16) | (13 << 11) | (45 << 5) | 15;
  ASSERT_TRUE(fs.SetFileDate(a, date));
  EXPECT_EQ(fs.GetFileDate(a), date);
  EXPECT_EQ(fs.GetFileDate(d), -1) << "a directory has no file date";

  ASSERT_TRUE(fs.MakeDirectory(d + "\\sub"));
  EXPECT_FALSE(fs.MakeDirectory(d + "\\sub"));
  ASSERT_TRUE(fs.RenameFile(a, b));
  EXPECT_FALSE(fs.FileExists(a));
  EXPECT_EQ(fs.GetFileDate(b), date) << "a move keeps the date";
  fs.Open(a, OpenMode::Create).reset();
  EXPECT_FALSE(fs.RenameFile(a, b)) << "a move never replaces a file";
  // A replacing move puts the new file in the old one's place.
  ASSERT_TRUE(fs.MoveReplacing(a, b));
  EXPECT_FALSE(fs.FileExists(a));
  EXPECT_NE(fs.GetFileDate(b), date) << "the new file took the place";
  fs.Open(a, OpenMode::Create).reset();
  // The fallback of systems without a replacing move keeps the same promise.
  ASSERT_TRUE(fs.FileSystem::MoveReplacing(a, b));
  EXPECT_FALSE(fs.FileExists(a));
  EXPECT_FALSE(fs.FileExists(b + ".tcold1")) << "the old file aside is removed";
  {
    // A date set through the open file after its last write outlives the
    // close and a move.
    auto f = fs.Open(a, OpenMode::CreateNew);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Write("data", 4), 4u);
    ASSERT_TRUE(f->SetLastWriteDate(date));
  }
  EXPECT_EQ(fs.GetFileDate(a), date);
  ASSERT_TRUE(fs.MoveReplacing(a, b));
  EXPECT_EQ(fs.GetFileDate(b), date);
  fs.Open(a, OpenMode::Create).reset();

  std::vector<DirEntry> list;
  ASSERT_TRUE(fs.ListDirectory(d, list));
  ASSERT_EQ(list.size(), 2u);
  int dirs = 0;
  for (auto &e : list)
    dirs += e.IsDirectory;
  EXPECT_EQ(dirs, 1);
  EXPECT_FALSE(fs.DeleteDirectory(d + "\\sub")) << "only an empty directory goes";
  EXPECT_TRUE(fs.RemoveFile(b));
  EXPECT_TRUE(fs.DeleteDirectory(d + "\\sub"));
}

TEST(Win32FileSystem, SystemDirectoriesAndEnvironment) {
  win32::Win32FileSystem fs;
  std::string win = fs.WindowsDirectory(), sys = fs.SystemDirectory(), tmp = fs.TempDirectory();
  ASSERT_FALSE(win.empty());
  EXPECT_NE(win.back(), '\\');
  EXPECT_TRUE(fs.DirectoryExists(win));
  EXPECT_EQ(sys.rfind(win, 0), 0u) << sys << " lies below " << win;
  EXPECT_EQ(tmp.back(), '\\');
  EXPECT_TRUE(fs.DirectoryExists(tmp));

  SetEnvironmentVariableA("TC_LONG", std::string(3000, 'x').c_str());
  std::string out;
  ASSERT_TRUE(fs.ExpandEnvironment("<%TC_LONG%>", out));
  EXPECT_EQ(out.size(), 3002u) << "expansions longer than the first buffer are not cut";
  ASSERT_TRUE(fs.ExpandEnvironment("%TC_NOT_SET_AT_ALL%", out));
  EXPECT_EQ(out, "%TC_NOT_SET_AT_ALL%");
}
