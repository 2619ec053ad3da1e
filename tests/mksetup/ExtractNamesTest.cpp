#include "PackageInspector.h"

#include <gtest/gtest.h>

using mksetup::SafeComponent;

TEST(ExtractNames, DeviceNamesWithAndWithoutExtensionsAreNeutralised) {
  for (const char *Device :
       {"CON", "nul", "Nul.txt", "aux.tar.gz", "PRN ", "com1", "COM9.log", "lpt3.dat", "COM1 .x",
        "conin$", "CONOUT$.txt", "clock$", "COM\xB9", "lpt\xB2.txt"}) {
    const std::string Safe = SafeComponent(Device);
    EXPECT_EQ(Safe[0], '_') << Device;
  }
  // Names that only begin like a device stay as they are.
  for (const char *Name :
       {"CONFIG.SYS", "console.txt", "COM10", "LPT0", "nullable", "a.nul", "COM", "auxiliary.dll"})
    EXPECT_EQ(SafeComponent(Name), Name);
}

TEST(ExtractNames, NothingClimbsOutOrNamesAnotherFile) {
  EXPECT_EQ(SafeComponent(".."), ".._");
  EXPECT_EQ(SafeComponent("."), "._");
  EXPECT_EQ(SafeComponent("..."), "..._");
  EXPECT_EQ(SafeComponent(""), "_");
  EXPECT_EQ(SafeComponent("a. "), "a. _");
  EXPECT_EQ(SafeComponent("../../etc/passwd"), ".._.._etc_passwd");
  EXPECT_EQ(SafeComponent("..\\..\\windows"), ".._.._windows");
  EXPECT_EQ(SafeComponent("C:x"), "C_x");
  EXPECT_EQ(SafeComponent(std::string("a\0b", 3)), "a_b");
  for (const char *Name : {"..", "...", "..\\..", "../x", "/abs", "\\\\server\\share", "C:\\x"}) {
    const std::string S = SafeComponent(Name);
    EXPECT_EQ(S.find_first_of("/\\:"), std::string::npos) << Name;
    EXPECT_NE(S, ".") << Name;
    EXPECT_NE(S, "..") << Name;
  }
}
