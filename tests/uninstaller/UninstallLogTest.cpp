#include "UninstallLog.h"
#include "Doubles.h"

#include <gtest/gtest.h>

using namespace uninst;
using platform::RootKey;

namespace {

const char *LogPath = "C:\\WINDOWS\\tcUninst1.inf";

struct LogFixture : ::testing::Test {
  doubles::Files Fs;
  doubles::Ini Ini;
  UninstallLog Log;
  void SetUp() override {
    Fs.TextOf = [this](const std::string &P) { return Ini.Text(P); };
    Fs.AddFile(LogPath);
    Ini.Put(LogPath, "Main", "Title", "Demo");
  }
  LogStatus Read() { return ReadUninstallLog(Fs, LogPath, Log); }
};

} // namespace

TEST_F(LogFixture, ReadsEverySectionInRecordOrder) {
  Ini.Put(LogPath, "Directories", "Count", "2");
  Ini.Put(LogPath, "Directories", "2", "C:\\App\\Sub");
  Ini.Put(LogPath, "Directories", "1", "C:\\App\\");
  Ini.Put(LogPath, "Files", "Count", "1");
  Ini.Put(LogPath, "Files", "1", "C:\\App\\a.exe");
  Ini.Put(LogPath, "RegistryValues", "Count", "1");
  Ini.Put(LogPath, "RegistryValues", "1", "\\HKEY_CURRENT_USER\\Software\\Demo\\Path");
  Ini.Put(LogPath, "ProgramLinks", "Count", "1");
  Ini.Put(LogPath, "ProgramLinks", "1", "C:\\Menu\\Demo\\Demo.lnk");
  Ini.Put(LogPath, "ProgramGroups", "Count", "1");
  Ini.Put(LogPath, "ProgramGroups", "1", "C:\\Menu\\Demo\\");
  ASSERT_EQ(Read(), LogStatus::Ok);
  EXPECT_EQ(Log.Title, "Demo");
  EXPECT_EQ(Log.Directories, (std::vector<std::string>{"C:\\App\\", "C:\\App\\Sub"}));
  EXPECT_EQ(Log.Files, std::vector<std::string>{"C:\\App\\a.exe"});
  EXPECT_EQ(Log.RegistryValues.size(), 1u);
  EXPECT_EQ(Log.ProgramLinks.size(), 1u);
  EXPECT_EQ(Log.ProgramGroups.size(), 1u);
}

TEST_F(LogFixture, MissingFileSectionsAndForeignFiles) {
  EXPECT_EQ(ReadUninstallLog(Fs, "C:\\nowhere.inf", Log), LogStatus::Missing);
  ASSERT_EQ(Read(), LogStatus::Ok) << "a title alone is a log with nothing recorded";
  EXPECT_TRUE(Log.Files.empty());
  EXPECT_TRUE(Log.Directories.empty());

  Fs.AddFile("C:\\other.ini");
  Ini.Put("C:\\other.ini", "Settings", "Count", "3");
  EXPECT_EQ(ReadUninstallLog(Fs, "C:\\other.ini", Log), LogStatus::NotALog);
  Fs.AddFile("C:\\empty.ini");
  EXPECT_EQ(ReadUninstallLog(Fs, "C:\\empty.ini", Log), LogStatus::NotALog);
}

TEST_F(LogFixture, CountsBoundTheRecords) {
  // Count larger than the records: the missing ones are skipped.
  Ini.Put(LogPath, "Files", "Count", "5");
  Ini.Put(LogPath, "Files", "1", "C:\\a");
  Ini.Put(LogPath, "Files", "4", "C:\\d");
  // Records above Count are not part of the log.
  Ini.Put(LogPath, "Files", "6", "C:\\f");
  // Keys that are not record numbers.
  Ini.Put(LogPath, "Files", "02", "C:\\leading-zero");
  Ini.Put(LogPath, "Files", "-1", "C:\\negative");
  Ini.Put(LogPath, "Files", "0", "C:\\zero");
  Ini.Put(LogPath, "Files", "x", "C:\\word");
  // An empty record names nothing.
  Ini.Put(LogPath, "Files", "3", "   ");
  ASSERT_EQ(Read(), LogStatus::Ok);
  EXPECT_EQ(Log.Files, (std::vector<std::string>{"C:\\a", "C:\\d"}));
}

TEST_F(LogFixture, AbsurdCounts) {
  Ini.Put(LogPath, "Files", "Count", "4294967295");
  Ini.Put(LogPath, "Files", "4294967295", "C:\\last");
  Ini.Put(LogPath, "Files", "1", "C:\\first");
  Ini.Put(LogPath, "Directories", "Count", "99999999999999999999");
  Ini.Put(LogPath, "Directories", "7", "C:\\seven");
  Ini.Put(LogPath, "ProgramLinks", "Count", "-3");
  Ini.Put(LogPath, "ProgramLinks", "1", "C:\\x.lnk");
  Ini.Put(LogPath, "ProgramGroups", "Count", "two");
  Ini.Put(LogPath, "ProgramGroups", "1", "C:\\g\\");
  ASSERT_EQ(Read(), LogStatus::Ok);
  EXPECT_EQ(Log.Files, (std::vector<std::string>{"C:\\first", "C:\\last"}));
  EXPECT_EQ(Log.Directories, std::vector<std::string>{"C:\\seven"});
  EXPECT_TRUE(Log.ProgramLinks.empty()) << "a negative count counts nothing";
  EXPECT_TRUE(Log.ProgramGroups.empty());
}

TEST_F(LogFixture, LongValuesAreCutAt2047) {
  Ini.Put(LogPath, "Files", "Count", "1");
  Ini.Put(LogPath, "Files", "1", "C:\\" + std::string(5000, 'a'));
  ASSERT_EQ(Read(), LogStatus::Ok);
  ASSERT_EQ(Log.Files.size(), 1u);
  EXPECT_EQ(Log.Files[0].size(), 2047u);
}

TEST(LogNumbers, CountAndRecordKeys) {
  EXPECT_EQ(ParseCount(" 12 "), 12u);
  EXPECT_EQ(ParseCount(""), 0u);
  EXPECT_EQ(ParseCount("1e3"), 0u);
  EXPECT_EQ(ParseCount("0012"), 12u);
  EXPECT_EQ(ParseCount("4294967296"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseRecordKey("1"), 1u);
  EXPECT_EQ(ParseRecordKey("01"), 0u);
  EXPECT_EQ(ParseRecordKey("4294967296"), 0u);
  EXPECT_EQ(ParseRecordKey("+1"), 0u);
}

TEST(RegistryRecord, SplitsAtTheFirstAndLastBackslash) {
  RegistryRecord R;
  ASSERT_TRUE(SplitRegistryRecord("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\App\\InstallDir", R));
  EXPECT_EQ(R.Root, RootKey::LocalMachine);
  EXPECT_EQ(R.KeyPath, "SOFTWARE\\Maker\\App");
  EXPECT_EQ(R.ValueName, "InstallDir");

  ASSERT_TRUE(SplitRegistryRecord("\\hkey_classes_root\\.demo\\", R));
  EXPECT_EQ(R.Root, RootKey::ClassesRoot);
  EXPECT_EQ(R.KeyPath, ".demo");
  EXPECT_EQ(R.ValueName, "") << "a trailing backslash names the default value";

  ASSERT_TRUE(SplitRegistryRecord("\\HKCU\\Software\\Demo\\Value with blanks = 1", R));
  EXPECT_EQ(R.Root, RootKey::CurrentUser);
  EXPECT_EQ(R.ValueName, "Value with blanks = 1");
}

TEST(RegistryRecord, RejectsOddRecords) {
  RegistryRecord R;
  for (const char *Bad :
       {"", "\\", "no backslashes", "HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\V", "\\HKEY_LOCAL_MACHINE",
        "\\HKEY_LOCAL_MACHINE\\Value", "\\HKEY_LOCAL_MACHINE\\\\Value",
        "\\HKEY_NOWHERE\\SOFTWARE\\X\\V", "\\\\SOFTWARE\\X\\V",
        "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\\\X\\V", "\\HKEY_LOCAL_MACHINE\\\\SOFTWARE\\V"})
    EXPECT_FALSE(SplitRegistryRecord(Bad, R)) << Bad;
}

TEST_F(LogFixture, ReadsTheFileInOnePieceAsTheProfileFunctionsDo) {
  // Written by hand or by another program: letter case, blanks around the
  // equals sign, quotes, bare CR line ends, blank lines, a repeated key.
  Fs.TextOf = [](const std::string &) {
    return std::string("[main]\rTitle = \"Demo\" \r\n\r\n[FILES]\ncount = 2\n1=C:\\a.txt\n"
                       "1=C:\\second.txt\n 2 = 'C:\\b c.txt' \n\n[Directories]\r\nCount=1\r\n");
  };
  ASSERT_EQ(Read(), LogStatus::Ok);
  EXPECT_EQ(Log.Title, "Demo");
  EXPECT_EQ(Log.Files, (std::vector<std::string>{"C:\\a.txt", "C:\\b c.txt"}));
  EXPECT_TRUE(Log.Directories.empty());
  // A file that cannot be read is no log.
  Fs.TextOf = nullptr;
  EXPECT_EQ(Read(), LogStatus::NotALog);
}
