#include "ScriptText.h"

#include <gtest/gtest.h>

using mksetup::JoinLines;
using mksetup::SetGroupTotals;
using mksetup::SplitLines;

TEST(ScriptText, SplitsAtEveryLineEndAndWritesCrLf) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(ScriptText, TotalsGoIntoTheGroupsOfTheRootGroupsSection) {
  auto Lines = SplitLines("[VemoInstall_File]\n"
                          "   [Groups]\n"
                          "      [Group]\n"
                          "         NAME=A\n"
                          "         totalsize = 5\n"
                          "         [Directories]\n"
                          "            [Dir]\n"
                          "               TOTALSIZE=keep, not the group's own\n"
                          "            [End]\n"
                          "         [End]\n"
                          "         TOTALSIZE=7\n"
                          "      [End]\n"
                          "      [group]\n"
                          "      [End]\n"
                          "   [End]\n"
                          "   [Setup Types]\n"
                          "      [Setup_Type]\n"
                          "         [Groups]\n"
                          "            [Group]\n"
                          "            [End]\n"
                          "         [End]\n"
                          "      [End]\n"
                          "   [End]\n"
                          "[End]\n");
  EXPECT_EQ(SetGroupTotals(Lines, {123, 0}), 2u);
  const std::string T = JoinLines(Lines);
  EXPECT_EQ(T.find("totalsize = 5"), std::string::npos);
  EXPECT_EQ(T.find("TOTALSIZE=7"), std::string::npos);
  EXPECT_NE(T.find("      [Group]\r\n         TOTALSIZE=123\r\n         NAME=A\r\n"),
            std::string::npos);
  EXPECT_NE(T.find("      [group]\r\n         TOTALSIZE=0\r\n      [End]"), std::string::npos);
  EXPECT_NE(T.find("TOTALSIZE=keep"), std::string::npos);
  // The [Group] below a setup type is not a file group.
  EXPECT_NE(T.find("         [Groups]\r\n            [Group]\r\n            [End]"),
            std::string::npos);
}

TEST(ScriptText, CommentLinesAreNotBlocks) {
  auto Lines = SplitLines("[VemoInstall_File]\n[Groups]\n// [Group]\n[Group]\n[End]\n[End]\n");
  EXPECT_EQ(SetGroupTotals(Lines, {9}), 1u);
  EXPECT_EQ(JoinLines(Lines),
            "[VemoInstall_File]\r\n[Groups]\r\n// [Group]\r\n[Group]\r\n   TOTALSIZE=9\r\n"
            "[End]\r\n[End]\r\n");
}
