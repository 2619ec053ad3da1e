// The uninstall log held in memory and written out in one piece, and the
// INI text it is kept in, which must read back as the private-profile
// functions read it.
#include "EngineDouble.h"

#include "install/ProfileText.h"
#include "install/UninstallLog.h"

#include <gtest/gtest.h>

using namespace engine_double;

namespace {

std::string Read(const install::ProfileText &T, const std::string &S, const std::string &K) {
  std::string V;
  return T.Read(S, K, V) ? V : "<none>";
}

const char LogPath[] = "C:\\WINDOWS\\tcUninst1.inf";

} // namespace

TEST(ProfileText, ReadsAsTheProfileFunctionsDo) {
  install::ProfileText T;
  T.Parse("lead=ignored\n[Main]\r\n Title = Product 1 \r\ntitle=second\r\n[files]\n"
          "1=\"C:\\quoted path\"\n2='single'\n3=\"unmatched\nnovalue\n[ Spaced ]\rK=v\r\n"
          "[MAIN]\nOther=x\n");
  EXPECT_EQ(Read(T, "main", "TITLE"), "Product 1") << "blanks trimmed, the first key counts";
  EXPECT_EQ(Read(T, "Files", "1"), "C:\\quoted path");
  EXPECT_EQ(Read(T, "Files", "2"), "single");
  EXPECT_EQ(Read(T, "Files", "3"), "\"unmatched");
  EXPECT_EQ(Read(T, "Files", "novalue"), "");
  EXPECT_EQ(Read(T, "Spaced", "k"), "v");
  EXPECT_EQ(Read(T, "Main", "Other"), "<none>") << "the first of two equal sections counts";
  EXPECT_EQ(Read(T, "", "lead"), "<none>");
  EXPECT_EQ(Read(T, "Nothing", "1"), "<none>");
}

TEST(ProfileText, WritesKeepEveryOtherLineAndAppendWhereTheFunctionsDo) {
  install::ProfileText T;
  T.Parse("; written by hand\r\n[Files]\r\nCount=1\r\n1=C:\\a.txt\r\n\r\n[Other]\r\nK=v\r\n");
  T.Write("files", "COUNT", "2");
  T.Write("Files", "2", "C:\\b.txt");
  T.Write("Directories", "Count", "0");
  EXPECT_EQ(T.Text(), "; written by hand\r\n[Files]\r\nCOUNT=2\r\n1=C:\\a.txt\r\n2=C:\\b.txt\r\n"
                      "\r\n[Other]\r\nK=v\r\n[Directories]\r\nCount=0\r\n");
  // Many records: each write finds its key at once, and the text parses back.
  for (int N = 3; N <= 5000; ++N) {
    T.Write("Files", "Count", std::to_string(N));
    T.Write("Files", std::to_string(N), "C:\\f" + std::to_string(N));
  }
  install::ProfileText Again;
  Again.Parse(T.Text());
  EXPECT_EQ(Read(Again, "Files", "Count"), "5000");
  EXPECT_EQ(Read(Again, "Files", "4321"), "C:\\f4321");
  EXPECT_EQ(Read(Again, "Other", "K"), "v");
}

TEST(UninstallLogFile, WrittenInBatchesAndAtTheEndWithoutHarmingTheLogInPlace) {
  MemFs Fs;
  MemIni Ini(Fs);
  Fs.Put(LogPath, "[Main]\r\nTitle=Earlier\r\n[Files]\r\nCount=2\r\n1=C:\\x\r\n2=C:\\y\r\n");
  install::UninstallLog Log(Fs, LogPath);
  ASSERT_TRUE(Log.Load());
  EXPECT_EQ(Log.ReadCount(install::LogFiles), 2u) << "numbering goes on from the earlier count";
  ASSERT_TRUE(Log.WriteValue(install::LogMain, install::LogTitle, "Product"));
  int Writes = 0;
  for (int N = 0; N < 3000; ++N) {
    const std::string Before = Fs.Text(LogPath);
    ASSERT_TRUE(Log.AddRecord(install::LogFiles, "C:\\f" + std::to_string(N)));
    Writes += Fs.Text(LogPath) != Before;
  }
  EXPECT_GT(Writes, 0) << "a long installation writes the log out on the way";
  EXPECT_LT(Writes, 40) << "but not for every record";
  ASSERT_TRUE(Log.Flush());
  EXPECT_EQ(Ini.ReadString(LogPath, "Files", "Count", ""), "3002");
  EXPECT_EQ(Ini.ReadString(LogPath, "Files", "1", ""), "C:\\x");
  EXPECT_EQ(Ini.ReadString(LogPath, "Files", "3002", ""), "C:\\f2999");
  EXPECT_EQ(Ini.ReadString(LogPath, "Main", "Title", ""), "Product");
  EXPECT_EQ(Log.ReadRecord(install::LogFiles, 3), "C:\\f0");

  // A write that fails keeps the file as it was, and leaves nothing beside it.
  const std::string Written = Fs.Text(LogPath);
  ASSERT_TRUE(Log.AddRecord(install::LogFiles, "C:\\late"));
  Fs.DiskLeft = 100;
  EXPECT_FALSE(Log.Flush());
  EXPECT_EQ(Fs.Text(LogPath), Written);
  EXPECT_FALSE(Fs.Has(std::string(LogPath) + ".new"));
  Fs.DiskLeft = UINT64_MAX;
  EXPECT_TRUE(Log.Flush()) << "what failed is written the next time";
  EXPECT_EQ(Ini.ReadString(LogPath, "Files", "3003", ""), "C:\\late");

  // The log keeps its attributes; whatever stood under the name of the file
  // beside it (a read-only leftover here) is replaced, never written into;
  // a log larger than any log of ours is not taken in.
  Fs.SetAttributes(LogPath, platform::AttrHidden | platform::AttrReadOnly);
  Fs.Put(std::string(LogPath) + ".new", "leftover");
  Fs.SetAttributes(std::string(LogPath) + ".new", platform::AttrReadOnly);
  ASSERT_TRUE(Log.AddRecord(install::LogFiles, "C:\\later"));
  ASSERT_TRUE(Log.Flush());
  EXPECT_EQ(Ini.ReadString(LogPath, "Files", "3004", ""), "C:\\later");
  EXPECT_EQ(Fs.GetAttributes(LogPath), platform::AttrHidden | platform::AttrReadOnly);
  EXPECT_FALSE(Fs.Has(std::string(LogPath) + ".new"));
  Fs.SetAttributes(LogPath, platform::AttrNormal);
  Fs.Put("C:\\WINDOWS\\big.inf", std::string((32u << 20) + 1, ';'));
  install::UninstallLog Big(Fs, "C:\\WINDOWS\\big.inf");
  EXPECT_FALSE(Big.Load());
  Log.Delete();
  EXPECT_FALSE(Fs.Has(LogPath));
}

TEST(UninstallLogFile, RecordsReadBackAtMost2047CharactersAndDamagedCountsAreNone) {
  MemFs Fs;
  Fs.Put(LogPath, "[Files]\r\nCount=12x\r\n[Directories]\r\nCount= 3 \r\n");
  install::UninstallLog Log(Fs, LogPath);
  ASSERT_TRUE(Log.Load());
  EXPECT_EQ(Log.ReadCount(install::LogFiles), 0u);
  EXPECT_EQ(Log.ReadCount(install::LogDirectories), 3u);
  EXPECT_EQ(Log.ReadCount(install::LogProgramLinks), 0u);
  ASSERT_TRUE(Log.AddRecord(install::LogProgramLinks, std::string(3000, 'a')));
  EXPECT_EQ(Log.ReadRecord(install::LogProgramLinks, 1).size(), 2047u);
  EXPECT_EQ(Log.ReadRecord(install::LogProgramLinks, 2), "");
}
