#include "driver/PathMacros.h"
#include "driver/TempFileName.h"

#include "../install/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using driver::ReplaceMacro;

const char CurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class Rows : public driver::DestinationAliasSource {
public:
  std::vector<std::pair<std::string, std::string>> R;
  size_t AliasCount() const override { return R.size(); }
  std::string AliasName(size_t I) const override { return R[I].first; }
  std::string AliasDirectory(size_t I) const override { return R[I].second; }
};

TEST(ReplaceMacro, CaseAndRescanRules) {
  std::string T = "%title% and %TITLE% and %TiTlE%";
  ReplaceMacro(T, "%Title%", "Tc");
  EXPECT_EQ(T, "Tc and Tc and Tc");
  // The inserted value is never scanned again, even when it holds the macro.
  T = "<A><A>";
  ReplaceMacro(T, "<a>", "x<A>y");
  EXPECT_EQ(T, "x<A>yx<A>y");
  // Only a..z fold: accented letters compare as they are.
  T = "\xe9t\xe9 \xc9T\xc9";
  ReplaceMacro(T, "\xe9T\xe9", "!");
  EXPECT_EQ(T, "! \xc9T\xc9");
  // The value keeps its case; overlapping candidates are taken from the left.
  T = "aaa";
  ReplaceMacro(T, "AA", "Bb");
  EXPECT_EQ(T, "Bba");
  // An empty macro changes nothing (rather than inserting the value everywhere).
  T = "abc";
  ReplaceMacro(T, "", "X");
  EXPECT_EQ(T, "abc");
  T = "";
  ReplaceMacro(T, "%X%", "1");
  EXPECT_EQ(T, "");
}

class Paths : public ::testing::Test {
protected:
  void SetUp() override {
    Reg.Set(platform::RootKey::LocalMachine, CurrentVersion, "ProgramFilesDir",
            "C:\\Program Files");
    Reg.Set(platform::RootKey::LocalMachine, CurrentVersion, "CommonFilesDir",
            "C:\\Program Files\\Common Files\\");
  }
  std::string Resolve(std::string P, bool Trailing, const Rows *R = nullptr) {
    driver::PathContext C{Fs, Reg, R};
    driver::ResolvePathMacros(C, P, Trailing);
    return P;
  }
  fake::Files Fs;
  fake::Registry Reg;
};

TEST_F(Paths, DestinationAliasesFirstThenSystemDirectories) {
  Rows R;
  R.R = {{"%InstallDir%", "D:\\Apps\\Tool\\"}, {"%Data%", "<ProgramFilesDir>\\Data"}};
  EXPECT_EQ(Resolve("%installdir%\\Bin", false, &R), "D:\\Apps\\Tool\\Bin");
  EXPECT_EQ(Resolve("%installdir%\\Bin", true, &R), "D:\\Apps\\Tool\\Bin\\");
  // A destination directory may itself use a system alias.
  EXPECT_EQ(Resolve("%DATA%\\x.dat", false, &R), "C:\\Program Files\\Data\\x.dat");
  // A directory typed as its own alias is inserted once, not expanded again.
  R.R = {{"%InstallDir%", "%InstallDir%"}};
  EXPECT_EQ(Resolve("%InstallDir%\\a", false, &R), "%InstallDir%\\a");
  // No rows yet: the alias stays.
  EXPECT_EQ(Resolve("%InstallDir%\\a", false), "%InstallDir%\\a");
}

TEST_F(Paths, SystemAliasesAndTheirFailures) {
  EXPECT_EQ(Resolve("<WindowsDir>", false), "C:\\WINDOWS\\");
  EXPECT_EQ(Resolve("<helpfilesdir>x.hlp", false), "C:\\WINDOWS\\Help\\x.hlp");
  EXPECT_EQ(Resolve("<FontDir>\\a.ttf", false), "C:\\WINDOWS\\Fonts\\a.ttf");
  EXPECT_EQ(Resolve("<SystemDir>\\<SystemDir>", false),
            "C:\\WINDOWS\\SYSTEM\\C:\\WINDOWS\\SYSTEM\\");
  EXPECT_EQ(Resolve("<ProgramFilesDir>Tc", true), "C:\\Program Files\\Tc\\");
  EXPECT_EQ(Resolve("<CommonFilesDir>", false), "C:\\Program Files\\Common Files\\");
  // MediaPath is missing: a lone backslash; an unknown Windows directory
  // leaves the sub-path.
  EXPECT_EQ(Resolve("<MediaDir>chimes.wav", false), "\\chimes.wav");
  Fs.WinDir = "";
  EXPECT_EQ(Resolve("<FontDir>a.ttf", false), "\\Fonts\\a.ttf");
  // Values are computed on every call.
  Reg.Set(platform::RootKey::LocalMachine, CurrentVersion, "MediaPath", "C:\\Media");
  EXPECT_EQ(Resolve("<MediaDir>chimes.wav", false), "C:\\Media\\chimes.wav");
  // Only the aliases a path names are looked up: each installed file's path
  // comes through here, and registry reads are not free.
  int Before = Reg.Opens;
  Resolve("plain\\<SystemDir>\\<FontDir>", false);
  EXPECT_EQ(Reg.Opens - Before, 0);
  Resolve("<commonfilesdir>\\<MediaDir>\\<MediaDir>", false);
  EXPECT_EQ(Reg.Opens - Before, 2);
  EXPECT_EQ(driver::ReadCurrentVersionValue(Reg, "programfilesdir"), "C:\\Program Files");
  EXPECT_EQ(driver::ReadCurrentVersionValue(Reg, "Nothing"), "");
  fake::Registry Empty;
  EXPECT_EQ(driver::ReadCurrentVersionValue(Empty, "ProgramFilesDir"), "");
}

TEST_F(Paths, BackslashCleanUp) {
  EXPECT_EQ(Resolve("\\\\server\\share\\\\dir", false), "\\\\server\\share\\dir");
  EXPECT_EQ(Resolve("\\\\\\\\server", false), "\\\\server");
  EXPECT_EQ(Resolve("C:\\\\\\a\\\\b\\\\", false), "C:\\a\\b\\");
  EXPECT_EQ(Resolve("\\a", false), "\\a");
  EXPECT_EQ(Resolve("", true), "\\");
  EXPECT_EQ(Resolve("", false), "");
  EXPECT_EQ(Resolve("C:\\x\\", true), "C:\\x\\");
}

TEST(TempFileName, NamesGrowPastExistingFiles) {
  fake::Files Fs;
  Fs.Env["TEMP"] = "  C:\\Temp  ";
  driver::TempNameRandom Random(1);
  std::string Name;
  ASSERT_TRUE(driver::MakeTempFileName(Fs, Random, Name));
  EXPECT_EQ(Name, "C:\\Temp\\tc.tmp");
  Fs.Add(Name, {});
  ASSERT_TRUE(driver::MakeTempFileName(Fs, Random, Name));
  ASSERT_EQ(Name.size(), std::string("C:\\Temp\\tcX.tmp").size());
  char C = Name[10];
  EXPECT_TRUE(C >= 'A' && C <= '[') << Name;
  // With tc.tmp and every one-letter name taken, the name has two letters.
  for (char L = 'A'; L <= '['; ++L)
    Fs.Add(std::string("C:\\Temp\\tc") + L + ".tmp", {});
  ASSERT_TRUE(driver::MakeTempFileName(Fs, Random, Name));
  EXPECT_EQ(Name.size(), std::string("C:\\Temp\\tcXY.tmp").size()) << Name;
  EXPECT_FALSE(Fs.FileExists(Name));
}

TEST(TempFileName, DirectoryChoice) {
  fake::Files Fs;
  // Neither variable: the root of C:, not the system's temporary path (the
  // current directory on Windows 95/98, often the setup's own CD).
  Fs.TempDir = "D:\\SETUP\\";
  EXPECT_EQ(driver::TempDirectoryForNames(Fs), "C:\\");
  // A reference that stays unexpanded counts as failed.
  Fs.Env["TEMP"] = "%TMP%";
  EXPECT_EQ(driver::TempDirectoryForNames(Fs), "C:\\");
  Fs.Env["TMP"] = "D:\\Tmp";
  EXPECT_EQ(driver::TempDirectoryForNames(Fs), "D:\\Tmp\\");
  Fs.Env["TEMP"] = "   ";
  EXPECT_EQ(driver::TempDirectoryForNames(Fs), "D:\\Tmp\\");
  Fs.Env["TEMP"] = "E:\\T\\";
  EXPECT_EQ(driver::TempDirectoryForNames(Fs), "E:\\T\\");
}

TEST(TempFileName, ExclusiveCreationTakesANewNameWhenTheFileAppears) {
  fake::Files Fs;
  Fs.Env["TEMP"] = "C:\\Temp";
  // Another program creates the chosen name just before we do, twice.
  int Hijacks = 2;
  Fs.BeforeCreate = [&](const std::string &Path) {
    if (Hijacks-- > 0)
      Fs.Add(Path, {'e', 'v', 'i', 'l'});
  };
  driver::TempNameRandom Random(7);
  std::string Name;
  std::unique_ptr<platform::File> F = driver::CreateTempFile(Fs, Random, Name);
  ASSERT_TRUE(F);
  EXPECT_EQ(Fs.Creates, 3);
  EXPECT_NE(Name, "C:\\Temp\\tc.tmp");
  EXPECT_TRUE(Fs.Data[fake::Upper(Name)].empty()); // ours, not the planted one
  EXPECT_EQ(Fs.Data["C:\\TEMP\\TC.TMP"], (std::vector<uint8_t>{'e', 'v', 'i', 'l'}));
  // A failure that is not a race gives up at once.
  class NoCreate : public fake::Files {
  public:
    std::unique_ptr<platform::File> Open(const std::string &P, platform::OpenMode M) override {
      if (M == platform::OpenMode::CreateNew) {
        ++Creates;
        return nullptr;
      }
      return fake::Files::Open(P, M);
    }
  } ReadOnly;
  ReadOnly.Env["TEMP"] = "C:\\Temp";
  EXPECT_FALSE(driver::CreateTempFile(ReadOnly, Random, Name));
  EXPECT_EQ(ReadOnly.Creates, 1);
}

} // namespace
