// The uninstaller against the real Win32 file system, registry and INI
// functions: an installation is laid out in a temporary directory, recorded
// in a log, and undone.
#include "Uninstaller.h"

#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Ini.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace uninst;
using platform::RootKey;

namespace {

const char *Title = "TcUninstTest Demo";
const char *ValueKey = "Software\\TcTest\\Uninst\\Demo";

bool Exists(const std::string &P) {
  return GetFileAttributesA(P.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::string &P) {
  HANDLE H = CreateFileA(P.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << P;
  DWORD N = 0;
  WriteFile(H, "x", 1, &N, nullptr);
  CloseHandle(H);
}

struct Win32Uninstall : ::testing::Test {
  platform::win32::Win32FileSystem Fs;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Ini Ini;
  platform::win32::Win32Messages Msg;
  platform::Platform P;
  std::string Root, Log;
  int Counts[5] = {};

  void SetUp() override {
    P.Files = &Fs;
    P.Reg = &Reg;
    P.Ini = &Ini;
    P.Msg = &Msg;
    char Tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, Tmp);
    Root = std::string(Tmp) + "tcuninst" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(Root.c_str(), nullptr));
    Log = Root + "\\tcUninst1.inf";
    Record("Main", "Title", Title);
  }
  void TearDown() override {
    // Whatever a failing test left behind.
    for (const char *Sub : {"\\App\\Sub\\b.dll", "\\App\\Sub\\user.txt", "\\App\\a.exe",
                            "\\App\\busy.exe", "\\Menu\\Demo\\Demo.lnk", "\\tcUninst1.inf"}) {
      SetFileAttributesA((Root + Sub).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((Root + Sub).c_str());
    }
    for (const char *Sub : {"\\App\\Sub", "\\App", "\\Menu\\Demo", "\\Menu", ""})
      RemoveDirectoryA((Root + Sub).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TcTest\\Uninst\\Demo\\Options");
    RegDeleteKeyA(HKEY_CURRENT_USER, ValueKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TcTest\\Uninst");
    Reg.DeleteKey(RootKey::LocalMachine, RegistrationKey(Title));
  }
  void Record(const char *Section, const char *Key, const std::string &Value) {
    ASSERT_TRUE(Ini.WriteString(Log, Section, Key, Value));
  }
  void Add(const char *Section, int Index, const std::string &Value) {
    Counts[Index]++;
    Record(Section, std::to_string(Counts[Index]).c_str(), Value);
    Record(Section, "Count", std::to_string(Counts[Index]));
  }
  void Directory(const std::string &Sub) {
    ASSERT_TRUE(CreateDirectoryA((Root + Sub).c_str(), nullptr));
    Add("Directories", 0, Root + Sub + "\\");
  }
  void File(const std::string &Sub) {
    MakeFile(Root + Sub);
    Add("Files", 1, Root + Sub);
  }
  void Value(const std::string &Key, const std::string &Name) {
    auto K = Reg.OpenKey(RootKey::CurrentUser, Key, true);
    ASSERT_TRUE(K);
    ASSERT_TRUE(K->WriteString(Name, "data"));
    Add("RegistryValues", 2, "\\HKEY_CURRENT_USER\\" + Key + "\\" + Name);
  }
  void Register() {
    auto K = Reg.OpenKey(RootKey::LocalMachine, RegistrationKey(Title), true);
    ASSERT_TRUE(K);
    K->WriteString("DisplayName", Title);
    K->WriteString("UninstallString", "u.exe \"" + Log + "\" \"" + Title + "\"");
  }
  int Run() {
    UndoOptions O;
    return RunUninstaller(
        ParseCommandLine("C:\\WINDOWS\\tcUninst1.exe \"" + Log + "\" \"" + Title + "\" /quiet"), P,
        O);
  }
  void Install() {
    Directory("\\App");
    Directory("\\App\\Sub");
    File("\\App\\a.exe");
    File("\\App\\Sub\\b.dll");
    SetFileAttributesA((Root + "\\App\\Sub\\b.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateDirectoryA((Root + "\\Menu").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Root + "\\Menu\\Demo").c_str(), nullptr));
    Add("ProgramGroups", 4, Root + "\\Menu\\Demo\\");
    MakeFile(Root + "\\Menu\\Demo\\Demo.lnk");
    Add("ProgramLinks", 3, Root + "\\Menu\\Demo\\Demo.lnk");
    Value(ValueKey, "Path");
    Value(std::string(ValueKey) + "\\Options", "");
    Register();
  }
};

} // namespace

TEST_F(Win32Uninstall, EverythingRecordedIsGone) {
  Install();
  EXPECT_EQ(Run(), 0);
  for (const char *Sub : {"\\App\\Sub\\b.dll", "\\App\\a.exe", "\\App\\Sub", "\\App",
                          "\\Menu\\Demo\\Demo.lnk", "\\Menu\\Demo", "\\tcUninst1.inf"})
    EXPECT_FALSE(Exists(Root + Sub)) << Sub;
  EXPECT_TRUE(Exists(Root + "\\Menu")) << "not recorded";
  HKEY K;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TcTest", 0, KEY_READ, &K), ERROR_SUCCESS)
      << "emptied keys are removed up to the top level";
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &K), ERROR_SUCCESS);
  RegCloseKey(K);
  EXPECT_FALSE(Reg.OpenKey(RootKey::LocalMachine, RegistrationKey(Title), false));
}

TEST_F(Win32Uninstall, UnrecordedFilesAndLockedFilesStay) {
  Install();
  MakeFile(Root + "\\App\\Sub\\user.txt");
  File("\\App\\busy.exe");
  HANDLE Busy = CreateFileA((Root + "\\App\\busy.exe").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Busy, INVALID_HANDLE_VALUE);
  int Left = Run();
  CloseHandle(Busy);
  EXPECT_EQ(Left, 3) << "busy.exe, Sub (holds user.txt) and App";
  EXPECT_TRUE(Exists(Root + "\\App\\Sub\\user.txt"));
  EXPECT_TRUE(Exists(Root + "\\App\\busy.exe"));
  EXPECT_FALSE(Exists(Root + "\\App\\a.exe"));
  EXPECT_FALSE(Exists(Root + "\\App\\Sub\\b.dll"));
  EXPECT_TRUE(Exists(Log)) << "kept for a second run";
  EXPECT_TRUE(Reg.OpenKey(RootKey::LocalMachine, RegistrationKey(Title), false));

  // With the file closed a second run finishes the job, but the user's
  // file and the directories holding it stay.
  EXPECT_EQ(Run(), 2);
  EXPECT_FALSE(Exists(Root + "\\App\\busy.exe"));
  EXPECT_TRUE(Exists(Root + "\\App\\Sub\\user.txt"));
  EXPECT_FALSE(Exists(Log));
}
