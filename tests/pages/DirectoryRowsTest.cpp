// The destination rows: one per alias, kept across Back and Next, read by
// path expansion whether shown or hidden, and stacked in the scroll box.
#include "pages/DirectoryRows.h"

#include "../install/FakePlatform.h"
#include "ModelBuilder.h"

#include <gtest/gtest.h>

namespace {

using namespace pages_test;
using pages::DirectoryRows;
using pages::InstallDirType;

const char CurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class Rows : public ::testing::Test {
protected:
  void SetUp() override {
    Reg.Set(platform::RootKey::LocalMachine, CurrentVersion, "ProgramFilesDir",
            "C:\\Program Files");
    Reg.Set(platform::RootKey::CurrentUser, "Software\\Vendor\\Tool", "Path", "E:\\Old Tool");
    Reg.Set(platform::RootKey::CurrentUser, "Software\\Vendor\\Tool", "Blank", "");
  }
  std::string Expand(std::string P) {
    driver::ResolvePathMacros({Fs, Reg, &R}, P, false);
    return P;
  }
  std::vector<std::string> VisibleAliases() {
    std::vector<std::string> Out;
    for (InstallDirType *Row = R.First(); Row; Row = Row->Next.get())
      if (Row->Visible)
        Out.push_back(Row->Alias);
    return Out;
  }
  fake::Files Fs;
  fake::Registry Reg;
  DirectoryRows R;
  package::TOpenFileType M;
};

TEST_F(Rows, OneRowPerAliasMergedAcrossSetupTypesAndKeptThroughBackAndNext) {
  package::SetupType &Full = AddSetupType(M, "Full", true);
  AddAlias(Full, "%InstallDir%", "<ProgramFilesDir>\\Tool", "Program Files:");
  AddAlias(Full, "%Data%", "%InstallDir%\\Data", "Data:");
  package::SetupType &Docs = AddSetupType(M, "Docs", true);
  AddAlias(Docs, "%INSTALLDIR%", "D:\\Other", "Other caption:", false);
  AddAlias(Docs, "%Help%", "<ProgramFilesDir>\\Help", "Help:");

  R.PrepareDirectoryRows(M, Fs, Reg);
  ASSERT_EQ(R.Count(), 3u);
  // The first declaration's caption, default and permission win; a default
  // may name an alias added before it.
  EXPECT_EQ(R.Row(0)->DisplayName, "Program Files:");
  EXPECT_EQ(R.Row(0)->Path, "C:\\Program Files\\Tool\\");
  EXPECT_TRUE(R.Row(0)->AllowDirChange);
  EXPECT_EQ(R.Row(1)->Path, "C:\\Program Files\\Tool\\Data\\");
  EXPECT_EQ(VisibleAliases(), (std::vector<std::string>{"%InstallDir%", "%Data%", "%Help%"}));

  // The user browses, goes back, drops "Docs" and comes forward again.
  DirectoryRows::SetChosenDirectory(*R.Row(0), "D:\\Apps");
  EXPECT_EQ(R.Row(0)->Path, "D:\\Apps\\");
  Docs.Selected = false;
  R.PrepareDirectoryRows(M, Fs, Reg);
  ASSERT_EQ(R.Count(), 3u);
  EXPECT_EQ(R.Row(0)->Path, "D:\\Apps\\");
  EXPECT_EQ(VisibleAliases(), (std::vector<std::string>{"%InstallDir%", "%Data%"}));
  // The hidden row still answers look-ups and expansion.
  std::string Dir;
  EXPECT_TRUE(R.LookupAlias("%help%", Dir));
  EXPECT_EQ(Dir, "C:\\Program Files\\Help\\");
  EXPECT_EQ(Expand("%installdir%\\bin\\%HELP%"), "D:\\Apps\\bin\\C:\\Program Files\\Help\\");
  EXPECT_FALSE(R.LookupAlias("%Nothing%", Dir));

  // A single setup type counts as selected whatever its flag says.
  package::TOpenFileType One;
  AddAlias(AddSetupType(One, "Only", false), "%X%", "C:\\X", "X:");
  DirectoryRows R1;
  EXPECT_FALSE(R1.LookupAlias("%X%", Dir));
  R1.PrepareDirectoryRows(One, Fs, Reg);
  EXPECT_TRUE(R1.LookupAlias("%x%", Dir));
  EXPECT_EQ(Dir, "C:\\X\\");
}

TEST_F(Rows, RegistryDefaults) {
  package::SetupType &T = AddSetupType(M, "Full", true);
  AddAlias(T, "%A%", "C:\\A", "A:", false, "  HKCU\\Software\\Vendor\\Tool\\Path ");
  AddAlias(T, "%B%", "C:\\B", "B:", true, "HKEY_CURRENT_USER\\Software\\Vendor\\Tool\\Missing");
  AddAlias(T, "%C%", "C:\\C", "C:", true, "HKCU\\Software\\Vendor\\Tool\\Blank");
  AddAlias(T, "%D%", "C:\\D", "D:", true, "HKCU\\Software\\Nowhere\\Path");
  R.PrepareDirectoryRows(M, Fs, Reg);
  ASSERT_EQ(R.Count(), 4u);
  // A disabled row still takes its directory from the registry, as stored.
  EXPECT_EQ(R.Row(0)->Path, "E:\\Old Tool");
  EXPECT_FALSE(R.Row(0)->AllowDirChange);
  EXPECT_EQ(R.Row(1)->Path, "C:\\B\\");
  EXPECT_EQ(R.Row(2)->Path, "C:\\C\\");
  EXPECT_EQ(R.Row(3)->Path, "C:\\D\\");
}

TEST_F(Rows, ArrangeStacksVisibleRowsAndGrowsTheBoxUpwardsToBelowTheText) {
  pages::DirectoryRowTemplate Template; // label 13 high, field 22 high
  for (const char *A : {"%A%", "%B%", "%C%", "%D%", "%E%", "%F%"})
    R.AddDirectoryRow(true, A, "", "C:\\", A, Reg);
  R.Row(1)->Visible = false;
  // Scroll box at 72, 204 high (bottom 276); page text ends at 57.
  pages::ScrollBoxPlace Box = R.ArrangeDirectoryRows(Template, {72, 204}, 57);
  // Five visible rows need 220 pixels: the box stops just below the text.
  EXPECT_EQ(Box.Top, 58);
  EXPECT_EQ(Box.Height, 218);
  EXPECT_EQ(R.Row(0)->LabelTop, 0);
  EXPECT_EQ(R.Row(0)->FieldTop, 14);
  EXPECT_EQ(R.Row(2)->LabelTop, 44);
  EXPECT_EQ(R.Row(5)->LabelTop, 176);
  EXPECT_EQ(R.Row(5)->FieldTop, 190);

  // Two rows: 88 pixels, grown upwards from the same bottom edge.
  R.HideDirectoryRows();
  R.AddDirectoryRow(true, "", "", "", "%e%", Reg);
  R.AddDirectoryRow(true, "", "", "", "%F%", Reg);
  EXPECT_EQ(R.Count(), 6u);
  Box = R.ArrangeDirectoryRows(Template, {58, 218}, 57);
  EXPECT_EQ(Box.Top, 188);
  EXPECT_EQ(Box.Height, 88);
  EXPECT_EQ(R.Row(4)->LabelTop, 0);
  EXPECT_EQ(R.Row(5)->LabelTop, 44);
}

} // namespace
