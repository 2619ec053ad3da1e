#include "Undo.h"
#include "Doubles.h"
#include "Uninstaller.h"

#include <gtest/gtest.h>

using namespace uninst;
using platform::RootKey;

namespace {

const char *LogPath = "C:\\WINDOWS\\tcUninst1.inf";
const char *RegKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";

struct UndoFixture : ::testing::Test {
  doubles::Files Fs;
  doubles::Registry Reg;
  UninstallLog Log;
  UndoOptions Options;

  void SetUp() override {
    Fs.AddFile(LogPath);
    Reg.Set(RootKey::LocalMachine, RegKey, "DisplayName", "Demo");
    Reg.Set(RootKey::LocalMachine, RegKey, "UninstallString", "x");
    Reg.Set(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
            "ProgramFilesDir", "C:\\Program Files");
  }
  UndoReport Run() { return RunUndo(BuildUndoPlan(Log, "Demo", LogPath), Fs, Reg, Options); }
};

} // namespace

TEST_F(UndoFixture, RemovesWhatWasRecordedAndNothingElse) {
  Fs.AddFile("C:\\App\\a.exe");
  Fs.AddFile("C:\\App\\Sub\\b.dll", platform::AttrReadOnly | platform::AttrArchive);
  Fs.AddFile("C:\\App\\Data\\user.dat"); // made by the user later
  Fs.AddFile("C:\\Menu\\Demo\\Demo.lnk");
  Log.Directories = {"C:\\App\\", "C:\\App\\Sub", "C:\\App\\Data", "C:\\Gone"};
  // A directory where a file was recorded is not what the record named.
  Log.Files = {"C:\\App\\a.exe", "C:\\App\\Sub\\b.dll", "C:\\App\\missing.txt", "C:\\App\\Data"};
  Log.ProgramLinks = {"C:\\Menu\\Demo\\Demo.lnk"};
  Log.ProgramGroups = {"C:\\Menu\\Demo\\"};

  UndoReport R = Run();
  EXPECT_FALSE(Fs.Has("C:\\App\\a.exe"));
  EXPECT_FALSE(Fs.Has("C:\\App\\Sub\\b.dll")) << "the read-only attribute is cleared first";
  EXPECT_FALSE(Fs.Has("C:\\App\\Sub"));
  EXPECT_FALSE(Fs.Has("C:\\Menu\\Demo"));
  EXPECT_TRUE(Fs.Has("C:\\Menu")) << "not recorded";
  EXPECT_TRUE(Fs.Has("C:\\App\\Data\\user.dat"));
  EXPECT_TRUE(Fs.Has("C:\\App\\Data"));
  EXPECT_TRUE(Fs.Has("C:\\App"));
  EXPECT_TRUE(R.NotRemoved.empty());
  EXPECT_EQ(R.NotEmpty, (std::vector<std::string>{"C:\\App\\Data", "C:\\App"}));
  EXPECT_EQ(R.Remaining(), 2u);
  EXPECT_FALSE(R.KeptForRetry);
  EXPECT_FALSE(Reg.HasKey(RootKey::LocalMachine, RegKey));
  EXPECT_FALSE(Fs.Has(LogPath));
  for (const std::string &C : Fs.Calls)
    EXPECT_EQ(C.find("rmdir C:\\App\\Data"), C.npos) << "a directory with files is not touched";
}

TEST_F(UndoFixture, LeftoversOfAnInterruptedInstallationGoOrArePutBack) {
  // A crash between the installer's renames: its new copies beside the
  // files, the user's earlier files kept aside.
  Fs.AddFile("C:\\App\\a.exe");
  Fs.AddFile("C:\\App\\a.exe.tcnew1");
  Fs.AddFile("C:\\App\\a.exe.tcold1");
  Fs.AddFile("C:\\App\\b.txt.tcold1");
  Fs.AddFile("C:\\App\\b.txt.tcold2");
  Fs.AddFile("C:\\App\\b.txt.tcnew3");
  Fs.AddFile("C:\\App\\c.txt.tcold1"); // not in the log: not ours to judge
  Log.Directories = {"C:\\App\\"};
  Log.Files = {"C:\\App\\a.exe", "C:\\App\\b.txt"};
  UndoReport R = Run();
  EXPECT_TRUE(Fs.Has("C:\\App\\a.exe")) << "the user's earlier file, back in its place";
  EXPECT_FALSE(Fs.Has("C:\\App\\a.exe.tcold1"));
  EXPECT_FALSE(Fs.Has("C:\\App\\a.exe.tcnew1"));
  EXPECT_TRUE(Fs.Has("C:\\App\\b.txt"));
  EXPECT_TRUE(Fs.Has("C:\\App\\b.txt.tcold2")) << "the only copy of some earlier version";
  EXPECT_FALSE(Fs.Has("C:\\App\\b.txt.tcnew3"));
  EXPECT_TRUE(Fs.Has("C:\\App\\c.txt.tcold1"));
  EXPECT_EQ(R.Restored, (std::vector<std::string>{"C:\\App\\b.txt", "C:\\App\\a.exe"}));
  EXPECT_EQ(R.NotEmpty, (std::vector<std::string>{"C:\\App"}));
  EXPECT_TRUE(R.NotRemoved.empty());
  EXPECT_NE(ReportText("Demo", R, 0).find("were put back:\r\n    C:\\App\\b.txt\r\n"),
            std::string::npos);
}

TEST_F(UndoFixture, LockedFilesKeepTheLogAndRegistration) {
  Fs.AddFile("C:\\App\\busy.exe", platform::AttrReadOnly);
  Fs.Locked.insert(doubles::Upper("C:\\App\\busy.exe"));
  Fs.AddFile("C:\\App\\free.txt");
  Log.Files = {"C:\\App\\busy.exe", "C:\\App\\free.txt"};
  Log.Directories = {"C:\\App"};
  UndoReport R = Run();
  EXPECT_EQ(R.NotRemoved, std::vector<std::string>{"C:\\App\\busy.exe"});
  EXPECT_EQ(Fs.GetAttributes("C:\\App\\busy.exe"), uint32_t(platform::AttrReadOnly))
      << "attributes are put back when the file stays";
  EXPECT_FALSE(Fs.Has("C:\\App\\free.txt"));
  EXPECT_TRUE(R.KeptForRetry);
  EXPECT_TRUE(Fs.Has(LogPath));
  EXPECT_TRUE(Reg.HasKey(RootKey::LocalMachine, RegKey));
  EXPECT_EQ(R.Remaining(), 2u) << "the file and its directory";
}

TEST_F(UndoFixture, RegistryValuesAndEmptyKeys) {
  Reg.Set(RootKey::CurrentUser, "Software\\Maker\\Demo\\Options", "Colour", "red");
  Reg.Set(RootKey::CurrentUser, "Software\\Maker\\Demo", "", "default");
  Reg.Set(RootKey::CurrentUser, "Software\\Maker\\Other", "Keep", "1");
  Reg.Set(RootKey::ClassesRoot, ".demo", "", "Demo.File");
  Reg.Set(RootKey::LocalMachine, "SOFTWARE\\Lonely\\Deep", "V", "1");
  Reg.Set(RootKey::LocalMachine, "SOFTWARE\\Shared", "Ours", "1");
  Reg.Set(RootKey::LocalMachine, "SOFTWARE\\Shared", "Theirs", "1");
  Log.RegistryValues = {
      "\\HKEY_CURRENT_USER\\Software\\Maker\\Demo\\",
      "\\HKEY_CURRENT_USER\\Software\\Maker\\Demo\\Options\\Colour",
      "\\HKEY_CLASSES_ROOT\\.demo\\",
      "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Lonely\\Deep\\V",
      "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Shared\\Ours",
      "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Absent\\V",
      "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Shared\\NotThere",
  };
  int CreatesBefore = Reg.Creates;
  UndoReport R = Run();
  EXPECT_TRUE(R.NotRemoved.empty());
  EXPECT_FALSE(Reg.HasKey(RootKey::CurrentUser, "Software\\Maker\\Demo"));
  EXPECT_TRUE(Reg.HasKey(RootKey::CurrentUser, "Software\\Maker")) << "Other is still in it";
  EXPECT_TRUE(Reg.HasValue(RootKey::CurrentUser, "Software\\Maker\\Other", "Keep"));
  EXPECT_TRUE(Reg.HasKey(RootKey::ClassesRoot, ".demo")) << "top-level keys stay";
  EXPECT_FALSE(Reg.HasValue(RootKey::ClassesRoot, ".demo", ""));
  EXPECT_FALSE(Reg.HasKey(RootKey::LocalMachine, "SOFTWARE\\Lonely"));
  EXPECT_TRUE(Reg.HasKey(RootKey::LocalMachine, "SOFTWARE"));
  EXPECT_TRUE(Reg.HasValue(RootKey::LocalMachine, "SOFTWARE\\Shared", "Theirs"));
  EXPECT_FALSE(Reg.HasValue(RootKey::LocalMachine, "SOFTWARE\\Shared", "Ours"));
  EXPECT_FALSE(Reg.HasKey(RootKey::LocalMachine, "SOFTWARE\\Absent")) << "nothing is created";
  EXPECT_EQ(Reg.Creates, CreatesBefore);
}

TEST_F(UndoFixture, ProtectedValueIsReported) {
  Reg.Set(RootKey::LocalMachine, "SOFTWARE\\Locked", "V", "1");
  Reg.ReadOnlyKeys.insert(doubles::Registry::Id(RootKey::LocalMachine, "SOFTWARE\\Locked"));
  Log.RegistryValues = {"\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked\\V"};
  UndoReport R = Run();
  EXPECT_EQ(R.NotRemoved, std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked\\V"});
  EXPECT_TRUE(Reg.HasValue(RootKey::LocalMachine, "SOFTWARE\\Locked", "V"));
}

TEST_F(UndoFixture, RegistrationOfAnotherProgramStays) {
  Reg.Set(RootKey::LocalMachine, RegKey, "DisplayName", "Something Else");
  UndoReport R = Run();
  EXPECT_TRUE(Reg.HasKey(RootKey::LocalMachine, RegKey));
  EXPECT_FALSE(Fs.Has(LogPath));
  EXPECT_EQ(R.Remaining(), 0u);
  Reg.Set(RootKey::LocalMachine, RegKey, "DisplayName", "DEMO");
  Fs.AddFile(LogPath);
  Run();
  EXPECT_FALSE(Reg.HasKey(RootKey::LocalMachine, RegKey)) << "letter case is ignored";
}

TEST_F(UndoFixture, LogDirectoryGoesAfterTheLog) {
  Fs.AddFile("C:\\Logs\\Demo\\u.inf");
  Log.Directories = {"C:\\Logs\\", "C:\\Logs\\Demo\\"};
  UndoReport R = RunUndo(BuildUndoPlan(Log, "Demo", "C:\\Logs\\Demo\\u.inf"), Fs, Reg, Options);
  EXPECT_FALSE(Fs.Has("C:\\Logs"));
  EXPECT_EQ(R.Remaining(), 0u);
}

TEST_F(UndoFixture, RunningProgramIsScheduled) {
  Fs.AddFile("C:\\WINDOWS\\tcUninst1.exe");
  Log.Files = {"c:\\windows\\TCUNINST1.EXE"};
  std::vector<std::string> Asked;
  Options.SelfPath = "C:\\WINDOWS\\tcUninst1.exe";
  Options.ScheduleRemoval = [&](const std::string &P) {
    Asked.push_back(P);
    return true;
  };
  UndoReport R = Run();
  EXPECT_EQ(Asked.size(), 1u);
  EXPECT_EQ(R.Scheduled.size(), 1u);
  EXPECT_EQ(R.Remaining(), 0u);
  for (const std::string &C : Fs.Calls)
    EXPECT_NE(C, "del c:\\windows\\TCUNINST1.EXE");

  Fs.AddFile(LogPath);
  Options.ScheduleRemoval = [](const std::string &) { return false; };
  R = Run();
  EXPECT_EQ(R.NotRemoved.size(), 1u) << "no way to schedule it: reported";
}

TEST(ReportText, ListsWhatStayed) {
  UndoReport R;
  EXPECT_NE(ReportText("Demo", R, 0).find("Demo was removed"), std::string::npos);
  for (int I = 0; I < 25; ++I)
    R.NotRemoved.push_back("C:\\busy" + std::to_string(I));
  R.NotEmpty.push_back("C:\\App");
  std::string T = ReportText("Demo", R, 2);
  EXPECT_NE(T.find("C:\\busy19"), std::string::npos);
  EXPECT_EQ(T.find("C:\\busy20"), std::string::npos);
  EXPECT_NE(T.find("and 5 more"), std::string::npos);
  EXPECT_NE(T.find("C:\\App"), std::string::npos);
  EXPECT_NE(T.find("2 entries"), std::string::npos);
}
