#include "Uninstaller.h"
#include "Doubles.h"

#include <gtest/gtest.h>

using namespace uninst;

namespace {

const char *LogPath = "C:\\WINDOWS\\tcUninst1.inf";

struct FlowFixture : ::testing::Test {
  doubles::Files Fs;
  doubles::Registry Reg;
  doubles::Ini Ini;
  doubles::Messages Msg;
  platform::Platform P;
  UndoOptions Options;

  void SetUp() override {
    P.Files = &Fs;
    P.Reg = &Reg;
    P.Ini = &Ini;
    P.Msg = &Msg;
    Fs.TextOf = [this](const std::string &Path) { return Ini.Text(Path); };
    Fs.AddFile(LogPath);
    Fs.AddFile("C:\\App\\a.exe");
    Ini.Put(LogPath, "Main", "Title", "Demo");
    Ini.Put(LogPath, "Files", "Count", "1");
    Ini.Put(LogPath, "Files", "1", "C:\\App\\a.exe");
  }
  int Run(const std::string &Line) { return RunUninstaller(ParseCommandLine(Line), P, Options); }
};

} // namespace

TEST_F(FlowFixture, AsksFirstAndDoesNothingOnNo) {
  Msg.Answers = {platform::IdNo};
  EXPECT_EQ(Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\""), ExitDeclined);
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Text,
            "Are you sure you want to completely remove Demo and all of its components?");
  EXPECT_EQ(Msg.Shown[0].Flags, platform::MbYesNo | platform::MbIconQuestion);
  EXPECT_TRUE(Fs.Has("C:\\App\\a.exe"));
  EXPECT_TRUE(Fs.Has(LogPath));
}

TEST_F(FlowFixture, YesRemovesAndReports) {
  Msg.Answers = {platform::IdYes};
  EXPECT_EQ(Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\""), 0);
  ASSERT_EQ(Msg.Shown.size(), 2u);
  EXPECT_NE(Msg.Shown[1].Text.find("Demo was removed"), std::string::npos);
  EXPECT_EQ(Msg.Shown[1].Flags, platform::MbOk | platform::MbIconInformation);
  EXPECT_FALSE(Fs.Has("C:\\App\\a.exe"));
  EXPECT_FALSE(Fs.Has(LogPath));
}

TEST_F(FlowFixture, ALogKeptAsideByACrashIsPutBackAndUsed) {
  // The installer was rewriting the log when the power went: the whole
  // earlier log is kept aside and the log's own name is free.
  Fs.FileAttrs.erase(doubles::Upper(LogPath));
  Fs.AddFile(std::string(LogPath) + ".tcold1");
  EXPECT_EQ(Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\" /quiet"), 0);
  EXPECT_FALSE(Fs.Has("C:\\App\\a.exe"));
  EXPECT_FALSE(Fs.Has(LogPath));
  EXPECT_FALSE(Fs.Has(std::string(LogPath) + ".tcold1"));
}

TEST_F(FlowFixture, QuietShowsNothingAndCountsWhatStayed) {
  Fs.Locked.insert(doubles::Upper("C:\\App\\a.exe"));
  EXPECT_EQ(Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\" /quiet"), 1);
  EXPECT_TRUE(Msg.Shown.empty());
  EXPECT_TRUE(Fs.Has(LogPath)) << "kept so that the removal can be repeated";
}

TEST_F(FlowFixture, TitleFromTheLogWhenNoneIsGiven) {
  Msg.Answers = {platform::IdNo};
  Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\"");
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Caption, "Uninstall Demo");
}

TEST_F(FlowFixture, ErrorsBeforeAnythingIsTouched) {
  EXPECT_EQ(Run("u.exe"), ExitCannotStart);
  EXPECT_EQ(Run("u.exe \"C:\\nowhere.inf\" \"Demo\""), ExitCannotStart);
  Fs.AddFile("C:\\other.ini");
  EXPECT_EQ(Run("u.exe \"C:\\other.ini\" \"Demo\""), ExitCannotStart);
  ASSERT_EQ(Msg.Shown.size(), 3u);
  for (auto &B : Msg.Shown)
    EXPECT_EQ(B.Flags, platform::MbOk | platform::MbIconError);
  EXPECT_NE(Msg.Shown[1].Text.find("C:\\nowhere.inf"), std::string::npos);
  EXPECT_TRUE(Fs.Has("C:\\App\\a.exe"));
  EXPECT_EQ(Run("u.exe \"C:\\nowhere.inf\" \"Demo\" /quiet"), ExitCannotStart);
  EXPECT_EQ(Msg.Shown.size(), 3u);
}

// The program deletes its own file only when it is the copy the removed
// registration named and no other product's registration still names it.
TEST_F(FlowFixture, RemovesItselfOnlyAsTheLastUserOfTheRegisteredCopy) {
  const std::string Self = "C:\\WINDOWS\\tcUninst1.exe";
  const std::string Key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::string Line = "u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\" /quiet";
  auto Register = [&](const std::string &Title, const std::string &Log) {
    Reg.Set(platform::RootKey::LocalMachine, Key + Title, "DisplayName", Title);
    Reg.Set(platform::RootKey::LocalMachine, Key + Title, "UninstallString",
            Self + " \"" + Log + "\" \"" + Title + "\"");
  };
  auto Outcome = [&](const std::string &SelfPath) {
    SetUp();
    Options.SelfPath = SelfPath;
    bool RemoveSelf = true;
    RunUninstaller(ParseCommandLine(Line), P, Options, &RemoveSelf);
    return RemoveSelf;
  };
  Register("Demo", LogPath);
  EXPECT_TRUE(Outcome("c:\\windows\\TCUNINST1.EXE"));
  EXPECT_FALSE(Reg.HasKey(platform::RootKey::LocalMachine, Key + "Demo"));

  Register("Demo", LogPath);
  EXPECT_FALSE(Outcome("C:\\build\\uninstaller.exe")) << "not the installed copy";

  Register("Demo", LogPath);
  Register("Other", "C:\\WINDOWS\\tcUninst2.inf");
  EXPECT_FALSE(Outcome(Self)) << "another product still uses it";
  Reg.Keys.erase(doubles::Registry::Id(platform::RootKey::LocalMachine, Key + "Other"));

  Register("Demo", LogPath);
  Fs.Locked.insert(doubles::Upper("C:\\App\\a.exe"));
  EXPECT_FALSE(Outcome(Self)) << "kept for another try";
  EXPECT_TRUE(Reg.HasKey(platform::RootKey::LocalMachine, Key + "Demo"));
}

TEST_F(FlowFixture, ProgressNamesEachStepAndEndsComplete) {
  std::vector<std::string> Items;
  size_t LastDone = 0, LastTotal = 0;
  Options.Progress = [&](size_t Done, size_t Total, const std::string &Item) {
    EXPECT_LE(Done, Total);
    Items.push_back(Item);
    LastDone = Done;
    LastTotal = Total;
  };
  Msg.Answers = {platform::IdYes};
  Run("u.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"Demo\"");
  ASSERT_GE(Items.size(), 2u);
  EXPECT_EQ(Items[0], "C:\\App\\a.exe");
  EXPECT_EQ(LastDone, LastTotal) << "the last call says the removal is complete";
}
