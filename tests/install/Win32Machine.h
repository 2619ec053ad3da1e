// The real Win32 services of the test's Wine prefix, set up for one
// installation: an application directory below the temporary directory,
// the launcher's own path expansion (with "%InstallDir%" as the only
// destination row) and temporary names, scripted message boxes and a
// recording status panel. Everything the installations leave is removed
// before and after.
#pragma once

#include "../support/InstallTraces.h"
#include "EngineDouble.h"

#include "driver/EngineServices.h"
#include "install/FontInfo.h"
#include "install/UninstallerSetup.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Ini.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Version.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace engine_double {

inline const std::string Title = "Tc E1 Product";
inline const std::string UninstKey = std::string(install::UninstallKeyBase) + Title;

inline Bytes ReadHostFile(const std::string &Path) {
  std::ifstream In(Path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(In), {});
}

inline Bytes Noise(size_t N, uint32_t Seed) {
  Bytes B(N);
  for (auto &C : B) {
    Seed = Seed * 1103515245u + 12345u;
    C = uint8_t(Seed >> 16);
  }
  return B;
}

// The destination page's rows as the engine sees them.
class InstallDirRow : public driver::DestinationAliasSource {
public:
  std::string Directory;
  size_t AliasCount() const override { return 1; }
  std::string AliasName(size_t) const override { return "%InstallDir%"; }
  std::string AliasDirectory(size_t) const override { return Directory; }
};

struct RealMachine {
  platform::win32::Win32FileSystem Files;
  platform::win32::Win32Ini Ini;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Version Version;
  platform::win32::Win32Shell Shell;
  platform::win32::Win32Processes Procs;
  ScriptedMessages Msg;
  RecordingStatus Status;
  DefaultFolderNames Folders;
  platform::Platform System;
  std::string Base, App, WinDir;
  InstallDirRow Destinations;
  driver::TempNameRandom Random{20061};

  RealMachine() {
    System.Files = &Files;
    System.Reg = &Reg;
    System.Ini = &Ini;
    System.Version = &Version;
    System.ShellApi = &Shell;
    System.Procs = &Procs;
    System.Msg = &Msg;
    Base = Files.TempDirectory() + "tce1";
    App = Base + "\\App";
    Destinations.Directory = App;
    WinDir = Files.WindowsDirectory();
    Clean();
    Files.MakeDirectory(Base);
  }
  ~RealMachine() { Clean(); }

  void RemoveTree(const std::string &Dir) { support::RemoveTree(Files, Dir); }
  void Clean() {
    RemoveTree(Base);
    support::RemoveUninstallTraces(Files, Reg, Title);
    Files.RemoveFile(Files.SystemDirectory() + "\\tce1_lib.dll");
  }
  void Put(const std::string &Path, const std::string &Text) {
    auto F = Files.Open(Path, platform::OpenMode::Create);
    ASSERT_TRUE(F);
    ASSERT_EQ(F->Write(Text.data(), uint32_t(Text.size())), Text.size());
  }
  // What an earlier version left in the application directory: a
  // read-only file in bin, keep.txt, and newer.txt and older.txt dated 2008
  // and 2004.
  void PutEarlierFiles() {
    ASSERT_TRUE(Files.MakeDirectory(App));
    ASSERT_TRUE(Files.MakeDirectory(App + "\\bin"));
    Put(App + "\\bin\\ro.txt", "old ro");
    Files.SetAttributes(App + "\\bin\\ro.txt", platform::AttrReadOnly);
    Put(App + "\\keep.txt", "old keep");
    Put(App + "\\newer.txt", "old newer");
    Files.SetFileDate(App + "\\newer.txt", 0x3821'6000);
    Put(App + "\\older.txt", "old older");
    Files.SetFileDate(App + "\\older.txt", 0x3021'6000);
  }
  std::string Text(const std::string &Path) {
    auto F = Files.Open(Path, platform::OpenMode::Read);
    if (!F)
      return "<missing>";
    std::string S(size_t(F->Size()), '\0');
    S.resize(F->Read(S.data(), uint32_t(S.size())));
    return S;
  }
  std::string Log(const std::string &Section, const std::string &Key) {
    return Ini.ReadString(WinDir + "\\tcUninst1.inf", Section, Key, "<none>");
  }

  // The log's title, its created directory levels and installed files in
  // order (file names compared without regard to case).
  void ExpectLog(const std::vector<std::string> &Dirs, const std::vector<std::string> &Installed) {
    EXPECT_EQ(Log("Main", "Title"), Title);
    ASSERT_EQ(Log("Directories", "Count"), std::to_string(Dirs.size()));
    for (size_t I = 0; I < Dirs.size(); ++I)
      EXPECT_EQ(Log("Directories", std::to_string(I + 1)), Dirs[I]);
    ASSERT_EQ(Log("Files", "Count"), std::to_string(Installed.size()));
    for (size_t I = 0; I < Installed.size(); ++I)
      EXPECT_EQ(fake::Upper(Log("Files", std::to_string(I + 1))), fake::Upper(Installed[I]));
  }
  // The product's uninstall key names uninstaller and log number N.
  void ExpectRegistered(int N) {
    auto Key = Reg.OpenKey(platform::RootKey::LocalMachine, UninstKey, false);
    ASSERT_TRUE(Key);
    std::string Value;
    ASSERT_TRUE(Key->ReadString("DisplayName", Value));
    EXPECT_EQ(Value, Title);
    ASSERT_TRUE(Key->ReadString("UninstallString", Value));
    const std::string Stem = WinDir + "\\tcUninst" + std::to_string(N);
    EXPECT_EQ(Value, Stem + ".exe \"" + Stem + ".inf\" \"" + Title + "\"");
  }
  std::unique_ptr<platform::RegistryKey> FontList() {
    platform::OsVersionInfo Os;
    Version.GetOsVersion(Os);
    return Reg.OpenKey(platform::RootKey::LocalMachine, install::FontListKey(Os.PlatformId), true);
  }
  // The file registered for a font name; empty when none is.
  std::string RegisteredFontFile(const std::string &FontName) {
    std::string Value;
    auto Fonts = FontList();
    return Fonts && Fonts->ReadString(FontName, Value) ? Value : std::string();
  }
  void RemoveFont(const std::string &FontName, const std::string &FileName) {
    if (auto Fonts = FontList())
      Fonts->DeleteValue(FontName);
    Shell.RemoveFont(WinDir + "\\Fonts\\" + FileName);
    Files.RemoveFile(WinDir + "\\Fonts\\" + FileName);
  }

  install::InstallServices Services() {
    platform::OsVersionInfo Os;
    Version.GetOsVersion(Os);
    return driver::MakeEngineServices(Files, Reg, &Destinations, Random, Os);
  }
  int Run(package::TOpenFileType &Model, platform::File &Package, uint64_t FilesPosition) {
    install::InstallationEngine Engine(System, Model, Status, Folders, Services());
    return Engine.RunInstallation(Package, FilesPosition);
  }
  int Run(package::TOpenFileType &Model, const BuiltPackage &P) {
    const std::string Path = Base + "\\setup.bin";
    Put(Path, ToText(P.Data));
    auto F = Files.Open(Path, platform::OpenMode::Read);
    return Run(Model, *F, P.FilesPosition);
  }
};

} // namespace engine_double
