#include "CommandLine.h"

#include <gtest/gtest.h>

using uninst::ParseCommandLine;

TEST(CommandLine, ReadsTheRegisteredForm) {
  // The installer writes the program path without quotes.
  auto A = ParseCommandLine(
      "C:\\WINDOWS\\tcUninst1.exe \"C:\\WINDOWS\\tcUninst1.inf\" \"My Program 2.0\"");
  EXPECT_TRUE(A.Valid);
  EXPECT_EQ(A.LogPath, "C:\\WINDOWS\\tcUninst1.inf");
  EXPECT_EQ(A.Title, "My Program 2.0");
  EXPECT_FALSE(A.Quiet);

  A = ParseCommandLine("\"C:\\Program Files\\u.exe\"  \"C:\\a b\\log.inf\"   \"T\"");
  EXPECT_EQ(A.LogPath, "C:\\a b\\log.inf");
  EXPECT_EQ(A.Title, "T");
}

TEST(CommandLine, UnquotedProgramPathWithBlanksIsSkipped) {
  auto A = ParseCommandLine("C:\\Program Files\\Un\\u.exe \"C:\\x.inf\" \"Title\"");
  EXPECT_EQ(A.LogPath, "C:\\x.inf");
  EXPECT_EQ(A.Title, "Title");
  A = ParseCommandLine("C:\\Program Files\\Un\\u.EXE C:\\x.inf T");
  EXPECT_EQ(A.LogPath, "C:\\x.inf");
  A = ParseCommandLine("C:\\Progs\\uninst C:\\x.inf T");
  EXPECT_EQ(A.LogPath, "C:\\x.inf") << "without .exe the path ends at the first blank";
}

TEST(CommandLine, SwitchesAnywhereAndUnquotedArguments) {
  auto A = ParseCommandLine("u.exe /QUIET \"C:\\x.inf\" \"T\"");
  EXPECT_TRUE(A.Quiet);
  EXPECT_EQ(A.LogPath, "C:\\x.inf");
  A = ParseCommandLine("u.exe \"C:\\x.inf\" \"T\" /q /unknown");
  EXPECT_TRUE(A.Quiet);
  EXPECT_EQ(A.Title, "T");
  A = ParseCommandLine("u.exe C:\\x.inf \"Title with blanks\"");
  EXPECT_EQ(A.LogPath, "C:\\x.inf") << "only what needs quotes is quoted";
  EXPECT_EQ(A.Title, "Title with blanks");
  A = ParseCommandLine("u.exe C:\\x.inf Title");
  EXPECT_EQ(A.LogPath, "C:\\x.inf");
  EXPECT_EQ(A.Title, "Title");
}

TEST(CommandLine, MissingAndMalformedArguments) {
  EXPECT_FALSE(ParseCommandLine("").Valid);
  EXPECT_FALSE(ParseCommandLine("u.exe").Valid);
  EXPECT_FALSE(ParseCommandLine("\"C:\\unterminated program").Valid);
  EXPECT_FALSE(ParseCommandLine("u.exe \"  \" \"T\"").Valid) << "a blank log path is none";
  auto A = ParseCommandLine("u.exe \"C:\\x.inf\"");
  EXPECT_TRUE(A.Valid);
  EXPECT_EQ(A.Title, "");
  A = ParseCommandLine("u.exe \"C:\\x.inf\" \"Unterminated title");
  EXPECT_EQ(A.Title, "Unterminated title");
  A = ParseCommandLine("u.exe \"\" \"C:\\x.inf\"");
  EXPECT_FALSE(A.Valid) << "arguments keep their positions";
}
