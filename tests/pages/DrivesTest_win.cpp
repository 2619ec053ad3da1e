// The drive box's entries as Windows reports the drives.
#include "pages/Drives.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(Drives, OneEntryPerLogicalDriveWithItsLetter) {
  std::vector<std::string> Drives = pages::LogicalDrives();
  DWORD Mask = GetLogicalDrives();
  size_t Expected = 0;
  for (int I = 0; I < 26; ++I)
    if (Mask & (1u << I))
      ++Expected;
  ASSERT_EQ(Drives.size(), Expected);
  bool HaveC = false;
  for (const std::string &D : Drives) {
    ASSERT_GE(D.size(), 2u);
    EXPECT_TRUE(D[0] >= 'a' && D[0] <= 'z') << D;
    EXPECT_EQ(D[1], ':') << D;
    EXPECT_TRUE(Mask & (1u << (D[0] - 'a'))) << D;
    HaveC = HaveC || D.compare(0, 2, "c:") == 0;
  }
  EXPECT_TRUE(HaveC);
}
