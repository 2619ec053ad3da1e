// The ready page's summary: merged lists and the lines of the summary box.
#include "pages/ReadySummary.h"

#include "../install/FakePlatform.h"
#include "ModelBuilder.h"
#include "pages/ProgramFolderList.h"

#include <gtest/gtest.h>

namespace {

using namespace pages_test;
using Lines = std::vector<std::string>;

TEST(ReadySummary, NestedEntriesKeepTheOutermost) {
  pages::SummaryList L;
  L.Add("C:\\App\\Data\\");
  L.Add("c:\\app\\");      // holds the first: replaces it
  L.Add("C:\\APP\\Bin\\"); // inside it: nothing
  L.Add("C:\\WINDOWS\\SYSTEM\\");
  L.Add("");
  L.Add("  ");
  L.Add("  D:\\Other\\ ");
  L.Add("C:\\Application\\"); // shares a prefix, but is not inside
  EXPECT_EQ(L.Entries(),
            (Lines{"c:\\app\\", "C:\\WINDOWS\\SYSTEM\\", "D:\\Other\\", "C:\\Application\\"}));
  // Folder names nest at "\" only ("Tools Plus" is not inside "Tools");
  // the last match counts.
  pages::SummaryList F;
  F.Add("Tools\\Extra");
  F.Add("Tools Plus");
  F.Add("Tools");
  F.Add("tools");
  F.Add("Vendor\\A");
  F.Add("Vendor\\B");
  F.Add("Vendor");
  EXPECT_EQ(F.Entries(), (Lines{"Tools", "Tools Plus", "Vendor\\A", "Vendor"}));
}

TEST(ReadySummary, ListsTheSelectionsFoldersAndDirectories) {
  package::TOpenFileType M;
  package::GroupType &Main = AddGroup(M, "Main");
  AddPlace(Main, "Personal group", {"Tools"});
  AddTopDir(Main, "%InstallDir%");
  AddTopDir(Main, "%installdir%\\Data");
  AddTopDir(Main, "<SystemDir>");
  package::GroupType &Docs = AddGroup(M, "Docs");
  AddPlace(Docs, "Common group", {"Shared"});
  AddTopDir(Docs, "%INSTALLDIR%");
  AddTopDir(Docs, "%Unknown%");
  package::SetupType &Full = AddSetupType(M, "Full", true, {"Main"});
  AddAlias(Full, "%InstallDir%", "C:\\App", "Program Files:");
  package::SetupType &Help = AddSetupType(M, "Help", true, {"Docs"});
  AddSetupType(M, "Off", false, {"Main", "Missing"});

  fake::Files Fs;
  fake::Registry Reg;
  pages::DirectoryRows Rows;
  Rows.PrepareDirectoryRows(M, Fs, Reg);
  pages::ProgramFolderList Folders;
  Folders.CollectProgramFolders(M);
  pages::ReadySummary S;
  // Table entries of no selected setup type are not listed.
  Folders.AddProgramFolder("Common group\\Other");
  Folders.Next("Start Tools");
  S.AddSummaryFolder("left over");
  S.PrepareSummary(M, Folders, Rows, Fs, Reg);
  EXPECT_EQ(S.SummaryLines(),
            (Lines{"The following program groups will be created:", "  * Start Tools", "  * Shared",
                   "", "The following directories will be used for installation:", "  * C:\\App\\",
                   "  * C:\\WINDOWS\\SYSTEM\\", "  * %Unknown%\\"}));

  // Without the folder page's table (the page was switched off): the summary
  // starts with the directories.
  Help.Selected = false;
  pages::ProgramFolderList Unvisited;
  S.PrepareSummary(M, Unvisited, Rows, Fs, Reg);
  EXPECT_EQ(S.SummaryLines(), (Lines{"The following directories will be used for installation:",
                                     "  * C:\\App\\", "  * C:\\WINDOWS\\SYSTEM\\"}));
  Full.Selected = false;
  S.PrepareSummary(M, Unvisited, Rows, Fs, Reg);
  EXPECT_TRUE(S.SummaryLines().empty());
}

} // namespace
