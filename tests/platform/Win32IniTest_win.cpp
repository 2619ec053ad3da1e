#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Ini.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Win32Ini, WritesReadsAndListsSectionsAndKeys) {
  win32::Win32FileSystem fs;
  win32::Win32Ini ini;
  std::string p = fs.TempDirectory() + "tcw_test.ini";
  fs.RemoveFile(p);
  std::vector<std::string> names;
  EXPECT_FALSE(ini.ReadSections(p, names)) << "a missing file has no list";
  EXPECT_EQ(ini.ReadString(p, "Main", "Title", "none"), "none");

  ASSERT_TRUE(ini.WriteString(p, "Main", "Title", "My Product"));
  ASSERT_TRUE(ini.WriteString(p, "Files", "Count", "2"));
  ASSERT_TRUE(ini.WriteString(p, "Files", "1", "C:\\a b\\c.txt"));
  ASSERT_TRUE(ini.WriteString(p, "Files", "2", std::string(2100, 'z')));
  EXPECT_EQ(ini.ReadString(p, "main", "title", ""), "My Product") << "names ignore case";
  EXPECT_EQ(ini.ReadString(p, "Files", "1", ""), "C:\\a b\\c.txt");
  EXPECT_EQ(ini.ReadString(p, "Files", "2", "").size(), 2047u) << "values are read up to 2047";

  ASSERT_TRUE(ini.ReadSections(p, names));
  EXPECT_EQ(names, (std::vector<std::string>{"Main", "Files"}));
  ASSERT_TRUE(ini.ReadKeys(p, "Files", names));
  EXPECT_EQ(names, (std::vector<std::string>{"Count", "1", "2"}));
  fs.RemoveFile(p);
}
