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

// The list finds nested entries through indexes; a plain pass over every
// entry, as a reference, must keep exactly the same entries for any order of
// texts (short random paths of few letters, so that they often nest, meet
// equal ones, differ in case and end in "\\").
TEST(ReadySummary, IndexedListKeepsWhatAPassOverEveryEntryKeeps) {
  auto Upper = [](std::string T) {
    for (char &C : T)
      if (C >= 'a' && C <= 'z')
        C = char(C - 'a' + 'A');
    return T;
  };
  auto Nested = [](const std::string &A, const std::string &B) {
    const std::string &Short = A.size() <= B.size() ? A : B;
    const std::string &Long = A.size() <= B.size() ? B : A;
    return Long.compare(0, Short.size(), Short) == 0 &&
           (Short.size() == Long.size() || Short.back() == '\\' || Long[Short.size()] == '\\');
  };
  const char Alphabet[] = {'a', 'A', 'b', '\\', '\\', ' '};
  uint32_t Seed = 12345;
  auto Next = [&Seed](uint32_t Range) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 16) % Range;
  };
  for (int Round = 0; Round < 300; ++Round) {
    pages::SummaryList L;
    Lines Reference;
    for (int Step = 0; Step < 40; ++Step) {
      std::string Text;
      for (uint32_t Length = 1 + Next(7); Length > 0; --Length)
        Text += Alphabet[Next(sizeof Alphabet)];
      L.Add(Text);
      size_t First = Text.find_first_not_of(' '), Last = Text.find_last_not_of(' ');
      if (First == std::string::npos)
        continue;
      std::string Entry = Text.substr(First, Last - First + 1);
      int Match = -1;
      for (size_t I = 0; I < Reference.size(); ++I)
        if (Nested(Upper(Reference[I]), Upper(Entry)))
          Match = int(I);
      if (Match < 0)
        Reference.push_back(Entry);
      else if (Reference[size_t(Match)].size() > Entry.size())
        Reference[size_t(Match)] = Entry;
      ASSERT_EQ(L.Entries(), Reference) << "round " << Round << ", after adding \"" << Text << "\"";
    }
    L.Clear();
    L.Add("b");
    ASSERT_EQ(L.Entries(), Lines{"b"}) << "a cleared list forgets its entries";
  }
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
