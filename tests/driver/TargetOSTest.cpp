#include "driver/TargetOS.h"

#include "../install/FakePlatform.h"
#include "package/ScriptCodecs.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

const char ProductOptions[] = "System\\CurrentControlSet\\Control\\ProductOptions";

platform::OsVersionInfo Os(uint32_t Major, uint32_t Minor, uint32_t Platform) {
  platform::OsVersionInfo V;
  V.MajorVersion = Major;
  V.MinorVersion = Minor;
  V.PlatformId = Platform;
  return V;
}

TEST(TargetOS, ClassificationOfVersionRecords) {
  fake::Registry Reg;
  struct Case {
    platform::OsVersionInfo V;
    const char *Product;
    uint8_t Code;
  } Cases[] = {
      {Os(4, 0, 1), "", OsCodeWindows95},            // Windows 95
      {Os(4, 10, 1), "", OsCodeWindows98},           // 98 and 98 SE
      {Os(4, 90, 1), "", OsCodeWindows98},           // Me
      {Os(4, 0, 2), "WinNT", OsCodeNT40Workstation}, // NT 4.0 workstation
      {Os(4, 0, 2), "", OsCodeNT40Workstation},      // no product type
      {Os(4, 0, 2), "ServerNT", OsCodeNT40Server},
      {Os(4, 0, 2), "  lanmanNT \t", OsCodeNT40Server},
      {Os(4, 0, 2), "Terminal", OsCodeNT40Workstation},
      {Os(5, 0, 2), "ServerNT", OsCodeWindows2000}, // any later NT
      {Os(5, 1, 2), "WinNT", OsCodeWindows2000},    // XP
      {Os(10, 0, 2), "WinNT", OsCodeWindows2000},   // 10
      {Os(3, 10, 0), "", OsCodeUnknown},            // Win32s
      {Os(3, 51, 2), "", OsCodeNT40Workstation},    // NT 3.51 counts as NT 4.0
      {Os(3, 95, 1), "", OsCodeUnknown},
  };
  for (const Case &C : Cases) {
    Reg.Set(platform::RootKey::LocalMachine, ProductOptions, "ProductType", C.Product);
    EXPECT_EQ(GetOSType(C.V, Reg), C.Code)
        << C.V.MajorVersion << "." << C.V.MinorVersion << " " << C.V.PlatformId << " " << C.Product;
  }
  EXPECT_EQ(OSName(GetOSType(Os(4, 0, 2), Reg)), "Windows NT 4.0 workstation");
  Reg.Set(platform::RootKey::LocalMachine, ProductOptions, "ProductType", " LanManNt ");
  EXPECT_EQ(OSName(GetOSType(Os(4, 0, 2), Reg)), "Windows NT 4.0 server");
  fake::Registry Empty;
  EXPECT_EQ(GetOSType(Os(4, 0, 2), Empty), OsCodeNT40Workstation);
}

TEST(TargetOS, NamesBitsAndTheTargetSet) {
  const char *Names[] = {"Windows 95",
                         "Windows 98",
                         "Windows NT 4.0 workstation",
                         "Windows NT 4.0 server",
                         "Windows 2000",
                         ""};
  for (uint8_t C = 0; C <= 5; ++C)
    EXPECT_EQ(OSName(C), Names[C]);
  EXPECT_EQ(OSName(200), "");
  EXPECT_EQ(TargetOsBit(OsCodeNT40Server), 8);
  EXPECT_TRUE(IsTargetOS(package::OsAll, OsCodeWindows2000));
  EXPECT_FALSE(IsTargetOS(package::OsAll, OsCodeUnknown));
  EXPECT_FALSE(IsTargetOS(0xFF, OsCodeUnknown));
  uint8_t Set = package::ParseTargetOS("Windows 98,Windows NT 4.0 Server,");
  EXPECT_TRUE(IsTargetOS(Set, OsCodeWindows98));
  EXPECT_TRUE(IsTargetOS(Set, OsCodeNT40Server));
  EXPECT_FALSE(IsTargetOS(Set, OsCodeNT40Workstation));
  EXPECT_FALSE(IsTargetOS(Set, OsCodeWindows95));
}

TEST(TargetOS, SelectionFromSetting) {
  EXPECT_TRUE(SelectionFromSetting(1, false));
  EXPECT_FALSE(SelectionFromSetting(2, true));
  EXPECT_TRUE(SelectionFromSetting(3, true));
  EXPECT_FALSE(SelectionFromSetting(3, false));
  EXPECT_FALSE(SelectionFromSetting(0, true));
  EXPECT_FALSE(SelectionFromSetting(4, true));
}

class RecordingList : public SetupTypeList {
public:
  std::vector<std::pair<std::string, bool>> Items;
  std::vector<package::SetupType *> Types;
  int Selected = -2;
  void Clear() override {
    Items.clear();
    Types.clear();
    Selected = -1;
  }
  void AddSetupType(const std::string &Caption, bool Checked, package::SetupType &T) override {
    Items.push_back({Caption, Checked});
    Types.push_back(&T);
  }
  bool SelectFirst() override {
    if (Items.empty())
      return false;
    Selected = 0;
    return true;
  }
};

TEST(SetupTypeListFill, VisibilitySelectionAndSizes) {
  package::TOpenFileType Model;
  for (auto [Name, Size] : {std::pair{"Core", 1025}, {"Docs", 1024}, {"Big", 2000000000}}) {
    package::GroupType *G = Model.Groups.AppendNew();
    G->Name = Name;
    G->TotalSize = Size;
  }
  package::SetupType *A = Model.SetupTypes.AppendNew();
  A->Name = "Typical";
  A->Groups = {"core"};
  A->Windows98Selected = 3;
  A->Windows98Visible = false;
  package::SetupType *B = Model.SetupTypes.AppendNew();
  B->Name = "Docs";
  B->Groups = {"Docs", "missing", "CORE"};
  B->Windows98Selected = 3;
  package::SetupType *C = Model.SetupTypes.AppendNew();
  C->Name = "None";
  C->Windows98Selected = 2;
  C->WindowsNT40Visible = false;
  package::SetupType *D = Model.SetupTypes.AppendNew();
  D->Name = "Wrap";
  D->Groups = {"Big", "Big", "Big"}; // 6e9 bytes wrap in 32 bits
  RecordingList L;
  L.Items.push_back({"stale", true});
  FillSetupTypeList(Model, OsCodeWindows98, L);
  ASSERT_EQ(L.Items.size(), 3u);
  EXPECT_EQ(L.Items[0], (std::pair<std::string, bool>{"Docs", true}));
  EXPECT_EQ(L.Items[1], (std::pair<std::string, bool>{"None", false}));
  EXPECT_EQ(L.Types[0], B);
  EXPECT_EQ(L.Selected, 0);
  EXPECT_FALSE(A->Selected); // 3 and not visible
  EXPECT_TRUE(B->Selected);
  EXPECT_EQ(A->SizeInKB, 2); // 1025 bytes
  EXPECT_EQ(B->SizeInKB, 3); // 1024 + 1025 bytes, the missing group adds nothing
  EXPECT_EQ(C->SizeInKB, 0);
  EXPECT_EQ(uint32_t(D->SizeInKB), uint32_t((uint64_t(6000000000) % (1ull << 32) + 1023) / 1024));
  // The NT 4.0 pair serves both NT codes; an unknown system lists all unchecked.
  FillSetupTypeList(Model, OsCodeNT40Server, L);
  EXPECT_EQ(L.Items.size(), 3u);
  EXPECT_TRUE(A->Selected);
  FillSetupTypeList(Model, OsCodeUnknown, L);
  EXPECT_EQ(L.Items.size(), 4u);
  for (auto &I : L.Items)
    EXPECT_FALSE(I.second);
  package::TOpenFileType Empty;
  FillSetupTypeList(Empty, OsCodeWindows98, L);
  EXPECT_TRUE(L.Items.empty());
  EXPECT_EQ(L.Selected, -1);
}

std::string Event(const std::string &Check, const std::string &Param, const std::string &Ev,
                  const std::string &Txt) {
  std::string R;
  package::SetFieldText(R, 1, Check);
  package::SetFieldText(R, 2, Param);
  package::SetFieldText(R, 3, Ev);
  package::SetFieldText(R, 4, Txt);
  return R;
}

class Events : public ::testing::Test {
protected:
  uint8_t Evaluate(const package::SetupType &T) {
    EventContext C{{Fs, Reg, nullptr}, Msg};
    return EvaluateSetupTypeEvents(C, T);
  }
  fake::Files Fs;
  fake::Registry Reg;
  fake::Messages Msg;
};

TEST_F(Events, StrengthAndMessageOrder) {
  package::SetupType T;
  package::DefaultDirectoryType D1;
  D1.DestinationDir = "<ProgramFilesDir>\\Missing"; // not there: the check fires
  D1.Events = {Event("default destination directory exists", "", "Inform", "one"),
               Event("DEFAULT DESTINATION DIRECTORY EXISTS", "",
                     "Prevent installation of current setup type", "two"),
               Event("DEFAULT DESTINATION DIRECTORY EXISTS", "", "ABORT", "three")};
  T.DefaultDirs.push_back(D1);
  EXPECT_EQ(Evaluate(T), ActionPrevent);
  ASSERT_EQ(Msg.Shown.size(), 2u);
  EXPECT_EQ(Msg.Shown[0].Text, "one");
  EXPECT_EQ(Msg.Shown[0].Flags, platform::MbOk | platform::MbIconInformation);
  EXPECT_EQ(Msg.Shown[1].Text, "two");
  EXPECT_EQ(Msg.Shown[1].Flags, platform::MbOk | platform::MbIconWarning);
  package::DefaultDirectoryType D2;
  D2.Events = {Event("DEFAULT DESTINATION DIRECTORY EXISTS", "", "INSTALL CURRENT SETUP TYPE", "")};
  T.DefaultDirs.push_back(D2);
  Msg.Shown.clear();
  EXPECT_EQ(Evaluate(T), ActionInstall);
  EXPECT_EQ(Msg.Shown.size(), 2u); // the install event has no text: no box
  package::DefaultDirectoryType D3;
  D3.Events = {Event("DEFAULT DESTINATION DIRECTORY EXISTS", "", "abort", "stop")};
  T.DefaultDirs.insert(T.DefaultDirs.begin(), D3);
  Msg.Shown.clear();
  EXPECT_EQ(Evaluate(T), ActionAbort);
  EXPECT_EQ(Msg.Shown.front().Flags, platform::MbOk | platform::MbIconError);
  EXPECT_EQ(Msg.Shown.size(), 3u); // later directories still run their events
}

TEST_F(Events, DirectoryChecks) {
  Reg.Set(platform::RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
          "ProgramFilesDir", "C:\\Program Files");
  Fs.AddDir("C:\\Program Files\\Tc");
  package::DefaultDirectoryType D;
  D.DestinationDir = "<ProgramFilesDir>\\Tc";
  EXPECT_FALSE(
      EventCheckFires({{Fs, Reg, nullptr}, Msg}, D, "DEFAULT DESTINATION DIRECTORY EXISTS", ""));
  D.DestinationDir = "<ProgramFilesDir>\\Other";
  EXPECT_TRUE(
      EventCheckFires({{Fs, Reg, nullptr}, Msg}, D, "DEFAULT DESTINATION DIRECTORY EXISTS", ""));
  // A previous installation: the registry names its program file.
  D.RegistryKey = "  HKCU\\Software\\Tc\\Path ";
  EXPECT_FALSE(EventCheckFires({{Fs, Reg, nullptr}, Msg}, D,
                               "DIRECTORY FOR PREVIOUS INSTALLATION EXISTS", ""));
  Reg.Set(platform::RootKey::CurrentUser, "Software\\Tc", "Path", "C:\\Program Files\\Tc\\tc.exe");
  EXPECT_TRUE(EventCheckFires({{Fs, Reg, nullptr}, Msg}, D,
                              "DIRECTORY FOR PREVIOUS INSTALLATION EXISTS", ""));
  Reg.Set(platform::RootKey::CurrentUser, "Software\\Tc", "Path", "tc.exe");
  EXPECT_FALSE(EventCheckFires({{Fs, Reg, nullptr}, Msg}, D,
                               "DIRECTORY FOR PREVIOUS INSTALLATION EXISTS", ""));
  Fs.AddDir("C:");
  Reg.Set(platform::RootKey::CurrentUser, "Software\\Tc", "Path", "C:tc.exe");
  EXPECT_TRUE(EventCheckFires({{Fs, Reg, nullptr}, Msg}, D,
                              "DIRECTORY FOR PREVIOUS INSTALLATION EXISTS", ""));
  EXPECT_FALSE(EventCheckFires({{Fs, Reg, nullptr}, Msg}, D, "SOMETHING ELSE", "C:"));
}

TEST_F(Events, ChecksNamedByTheParameter) {
  EventContext C{{Fs, Reg, nullptr}, Msg};
  package::DefaultDirectoryType D;
  Reg.Set(platform::RootKey::CurrentUser, "Software\\Tc\\Sub", "Ver", "1");
  Reg.Set(platform::RootKey::LocalMachine, "Software\\Tc", "", "default");
  EXPECT_TRUE(EventCheckFires(C, D, "REGISTRY KEY EXISTS", "HKEY_CURRENT_USER\\Software\\Tc\\Sub"));
  EXPECT_TRUE(EventCheckFires(C, D, "REGISTRY KEY EXISTS", "hkcu\\Software\\Tc\\Sub\\"));
  EXPECT_FALSE(EventCheckFires(C, D, "REGISTRY KEY EXISTS", "HKLM\\Software\\Tc\\Sub"));
  EXPECT_TRUE(EventCheckFires(C, D, "REGISTRY KEY EXISTS", "Software\\Tc")); // below HKLM
  EXPECT_TRUE(EventCheckFires(C, D, "REGISTRY VALUE EXISTS", "HKCU\\Software\\Tc\\Sub\\ver"));
  EXPECT_FALSE(EventCheckFires(C, D, "REGISTRY VALUE EXISTS", "HKCU\\Software\\Tc\\Sub\\Other"));
  EXPECT_TRUE(EventCheckFires(C, D, "REGISTRY VALUE EXISTS", "HKLM\\Software\\Tc\\"));
  Fs.AddDir("C:\\WINDOWS\\Fonts");
  Fs.Add("C:\\WINDOWS\\SYSTEM\\tc.dll", {});
  EXPECT_TRUE(EventCheckFires(C, D, "DIRECTORY EXISTS", "<FontDir>"));
  EXPECT_FALSE(EventCheckFires(C, D, "DIRECTORY EXISTS", "<WindowsDir>Nope"));
  EXPECT_TRUE(EventCheckFires(C, D, "FILE EXISTS", "<SystemDir>\\tc.dll"));
  EXPECT_FALSE(EventCheckFires(C, D, "FILE EXISTS", "<SystemDir>\\other.dll"));
  EXPECT_FALSE(EventCheckFires(C, D, "FILE EXISTS", "  "));
  // Through the events, with the action applied as for the other checks.
  package::SetupType T;
  D.Events = {Event("File Exists", "<SystemDir>tc.dll",
                    "Prevent installation of current setup type", "old dll")};
  T.DefaultDirs.push_back(D);
  EXPECT_EQ(EvaluateSetupTypeEvents(C, T), ActionPrevent);
  ASSERT_EQ(Msg.Shown.size(), 1u);
  EXPECT_EQ(Msg.Shown[0].Text, "old dll");
}

TEST(EventAction, Table) {
  fake::Messages Msg;
  uint8_t A = ActionNone;
  ApplyEventAction(Msg, "inform", "hello", A);
  EXPECT_EQ(A, ActionNone);
  ApplyEventAction(Msg, "unknown", "not shown", A);
  EXPECT_EQ(A, ActionNone);
  ApplyEventAction(Msg, "Install Current Setup Type", "", A);
  EXPECT_EQ(A, ActionInstall);
  ApplyEventAction(Msg, "ABORT", "bye", A);
  EXPECT_EQ(A, ActionAbort);
  ASSERT_EQ(Msg.Shown.size(), 2u);
  EXPECT_EQ(Msg.Shown[0].Caption, "Information");
  EXPECT_EQ(Msg.Shown[1].Caption, "Error");
}

} // namespace
