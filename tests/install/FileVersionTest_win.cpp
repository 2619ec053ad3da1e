// The Windows version functions and font registration, under Wine, checked
// against pefile's reading of the same executables and against the
// registry afterwards.
#include "install/FileVersion.h"
#include "install/FontInfo.h"
#include "install/PeVersionReader.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Version.h"

#include "VersionExpect.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// "/a/b" as Windows sees it through Wine's Z: drive.
std::string WinPath(const std::string &Unix) {
  std::string P = "Z:" + Unix;
  for (char &C : P)
    if (C == '/')
      C = '\\';
  return P;
}

class Win32VersionFiles : public ::testing::Test {
protected:
  void SetUp() override {
    if (!versionexpect::Load(Expected))
      GTEST_SKIP() << "no version test files";
  }
  versionexpect::Table Expected;
  platform::win32::Win32Version Version;
  platform::win32::Win32FileSystem Files;
};

TEST_F(Win32VersionFiles, WindowsFunctionsAgreeWithPefileAndThePortableReader) {
  ASSERT_GE(Expected.size(), 6u);
  install::PeVersionInfo Portable(Files);
  const std::vector<std::string> Names = {"FileVersion", "FileDescription", "ProductName",
                                          "CompanyName", "WebSite"};
  for (auto &[Exe, Fields] : Expected) {
    SCOPED_TRACE(Exe);
    std::string Path = WinPath(versionexpect::Directory() + "/" + Exe);
    ASSERT_TRUE(Files.FileExists(Path));
    bool Readable = Fields["translation"] != "none";
    std::vector<std::string> Results(Names.size(), "unset"), Mine(Names.size(), "unset");
    install::ReadVersionStrings(Version, Path, Names, Results);
    install::ReadVersionStrings(Portable, Path, Names, Mine);
    EXPECT_EQ(Results, Mine);
    for (size_t i = 0; i < Names.size(); ++i)
      EXPECT_EQ(Results[i], Readable ? Fields[Names[i]] : "unset") << Names[i];
    uint32_t Packed = 1;
    int32_t Date = 0;
    install::GetFileVersionNumber(Files, Version, Path, Packed, Date);
    EXPECT_EQ(Packed, std::stoul(Fields["packed"], nullptr, 16));
    EXPECT_NE(Date, -1);
    EXPECT_EQ(install::GetFileDescription(Version, Path),
              install::GetFileDescription(Portable, Path));
  }
  EXPECT_EQ(install::GetFileDescription(Version, WinPath(versionexpect::Directory() + "/full.exe")),
            "Padded Description");
  EXPECT_EQ(
      install::GetFileDescription(Version, WinPath(versionexpect::Directory() + "/fiveparts.exe")),
      "Taloncor UnInstaller");
  EXPECT_EQ(install::GetFileDescription(Version, WinPath(versionexpect::Directory() + "/nope.exe")),
            "");
}

TEST_F(Win32VersionFiles, TranslationAndLengthsAsWindowsReportsThem) {
  std::vector<uint8_t> Block;
  install::VersionTranslation T;
  ASSERT_TRUE(install::LoadVersionBlock(
      Version, WinPath(versionexpect::Directory() + "/fiveparts.exe"), Block, T));
  EXPECT_EQ(T.Language, 0x407); // the first of two translations
  EXPECT_EQ(T.CodePage, 0x4B0);
  const uint8_t *Data;
  uint32_t Length;
  ASSERT_TRUE(Version.QueryValue(Block, "\\StringFileInfo\\040704B0\\WebSite", Data, Length));
  EXPECT_EQ(Length, 17u); // "www.example.test" and its zero
}

TEST(Win32Fonts, RegisteredFontIsInTheFontTableAndTheRegistry) {
  const char Source[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  platform::win32::Win32FileSystem Files;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Shell Shell;
  platform::win32::Win32Version Version;
  if (!Files.FileExists(WinPath(Source)))
    GTEST_SKIP() << "no DejaVu font on this machine";
  // A copy under the Windows font directory, as the installer writes it.
  std::string Dest = Files.WindowsDirectory() + "\\Fonts\\TcTestDejaVu.ttf";
  ASSERT_TRUE(CopyFileA(WinPath(Source).c_str(), Dest.c_str(), FALSE));
  std::string Name;
  ASSERT_TRUE(install::GetFontName(Files, Dest, Name));
  EXPECT_EQ(Name, "DejaVu Sans");
  uint32_t Packed;
  int32_t Date;
  install::GetFileVersionNumber(Files, Version, Dest, Packed, Date);
  EXPECT_EQ(Packed, 2u * 256 + 30); // "Version 2.37"

  platform::OsVersionInfo Os;
  ASSERT_TRUE(Version.GetOsVersion(Os));
  platform::Platform System;
  System.Files = &Files;
  System.Reg = &Reg;
  System.ShellApi = &Shell;
  DWORD Start = GetTickCount();
  install::RegisterFont(System, Dest, Name, Os);
  EXPECT_LT(GetTickCount() - Start, 30000u);
  std::unique_ptr<platform::RegistryKey> Key =
      Reg.OpenKey(platform::RootKey::LocalMachine, install::FontListKey(Os.PlatformId), false);
  ASSERT_TRUE(Key);
  std::string Data;
  ASSERT_TRUE(Key->ReadString("DejaVu Sans", Data));
  EXPECT_EQ(Data, "TcTestDejaVu.ttf");
  // The window system takes the file as a font resource. (Wine's
  // RemoveFontResource reports failure for it, so removal is only tidying.)
  EXPECT_GT(Shell.AddFont(Dest), 0);
  Shell.RemoveFont(Dest);
  Shell.RemoveFont(Dest);
  Key->DeleteValue("DejaVu Sans");
  Files.RemoveFile(Dest);
}

} // namespace
