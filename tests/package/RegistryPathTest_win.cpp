#include <gtest/gtest.h>

#include "package/ScriptCodecs.h"
#include "platform/win32/Win32Registry.h"

using namespace package;
using platform::RootKey;

TEST(RegistryPathWin32, ReadsThroughTheRealRegistry) {
  platform::win32::Win32Registry Reg;
  const std::string Path = "Software\\TcTest\\Package\\Paths";
  {
    auto K = Reg.OpenKey(RootKey::CurrentUser, Path, true);
    ASSERT_TRUE(K);
    ASSERT_TRUE(K->WriteString("InstallDir", "C:\\Program Files\\Product"));
    ASSERT_TRUE(K->WriteString("", "the default"));
    ASSERT_TRUE(K->WriteDword("Count", 3));
  }
  EXPECT_EQ("C:\\Program Files\\Product",
            ReadRegistryPath(Reg, "HKCU\\Software\\TcTest\\Package\\Paths\\InstallDir"));
  EXPECT_EQ(
      "C:\\Program Files\\Product",
      ReadRegistryPath(Reg, "hkey_current_user\\Software\\TcTest\\Package\\Paths\\InstallDir"));
  EXPECT_EQ("the default", ReadRegistryPath(Reg, "HKCU\\Software\\TcTest\\Package\\Paths\\"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKCU\\Software\\TcTest\\Package\\Paths\\Count"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKCU\\Software\\TcTest\\Package\\Paths\\Missing"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKCU\\Software\\TcTest\\Package\\NoKey\\InstallDir"));

  // A fresh prefix's own values: a string below HKLM named without a root,
  // and an expandable string.
  EXPECT_NE("", ReadRegistryPath(Reg, "Software\\Microsoft\\Windows\\CurrentVersion\\"
                                      "ProgramFilesDir"));
  EXPECT_EQ(ReadRegistryPath(Reg, "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir"),
            ReadRegistryPath(Reg, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                                  "ProgramFilesDir"));
  EXPECT_NE("", ReadRegistryPath(Reg, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                                      "CurrentVersion\\Explorer\\User Shell Folders\\"
                                      "Common Programs"));

  Reg.DeleteKey(RootKey::CurrentUser, Path);
  Reg.DeleteKey(RootKey::CurrentUser, "Software\\TcTest\\Package");
}
