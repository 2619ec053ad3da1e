// The classification of the system Wine emulates. The test program runs
// once per emulated version under its own name (see CMakeLists.txt);
// TC_EXPECT_OS says which version that run emulates.
#include "driver/TargetOS.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Version.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace driver;

const char ProductOptions[] = "System\\CurrentControlSet\\Control\\ProductOptions";

std::string Expected() {
  const char *E = std::getenv("TC_EXPECT_OS");
  return E ? E : "";
}

TEST(TargetOSWine, EmulatedVersion) {
  platform::win32::Win32Version Version;
  platform::win32::Win32Registry Reg;
  platform::OsVersionInfo Os;
  ASSERT_TRUE(Version.GetOsVersion(Os));
  uint8_t Code = GetOSType(Os, Reg);
  std::string Want = Expected();
  if (Want == "win98") {
    EXPECT_EQ(Os.PlatformId, 1u);
    EXPECT_EQ(Os.MinorVersion, 10u);
    EXPECT_EQ(Code, OsCodeWindows98);
    EXPECT_EQ(OSName(Code), "Windows 98");
  } else if (Want == "win95") {
    EXPECT_EQ(Code, OsCodeWindows95);
  } else if (Want == "nt40") {
    EXPECT_EQ(Os.MajorVersion, 4u);
    EXPECT_EQ(Os.PlatformId, 2u);
    EXPECT_EQ(Code, OsCodeNT40Workstation);
  } else if (Want == "win2k") {
    EXPECT_EQ(Os.MajorVersion, 5u);
    EXPECT_EQ(Os.MinorVersion, 0u);
    EXPECT_EQ(Code, OsCodeWindows2000);
    EXPECT_EQ(OSName(Code), "Windows 2000");
  } else {
    // The prefix's default (Windows 7): every later NT counts as 2000.
    EXPECT_EQ(Os.PlatformId, 2u);
    EXPECT_EQ(Code, OsCodeWindows2000);
  }
}

TEST(TargetOSWine, NT40ServerThroughTheProductType) {
  if (Expected() != "nt40")
    GTEST_SKIP() << "only on emulated NT 4.0";
  platform::win32::Win32Version Version;
  platform::win32::Win32Registry Reg;
  platform::OsVersionInfo Os;
  ASSERT_TRUE(Version.GetOsVersion(Os));
  std::unique_ptr<platform::RegistryKey> Key =
      Reg.OpenKey(platform::RootKey::LocalMachine, ProductOptions, true);
  ASSERT_TRUE(Key);
  std::string Saved;
  bool Had = Key->ReadString("ProductType", Saved);
  ASSERT_TRUE(Key->WriteString("ProductType", "  LanmanNT "));
  uint8_t Server = GetOSType(Os, Reg);
  ASSERT_TRUE(Key->WriteString("ProductType", "ServerNT"));
  uint8_t Server2 = GetOSType(Os, Reg);
  ASSERT_TRUE(Key->WriteString("ProductType", "WinNT"));
  uint8_t Workstation = GetOSType(Os, Reg);
  if (Had)
    Key->WriteString("ProductType", Saved);
  else
    Key->DeleteValue("ProductType");
  EXPECT_EQ(Server, OsCodeNT40Server);
  EXPECT_EQ(OSName(Server), "Windows NT 4.0 server");
  EXPECT_EQ(Server2, OsCodeNT40Server);
  EXPECT_EQ(Workstation, OsCodeNT40Workstation);
}

} // namespace
