#include "UndoPlan.h"

#include <gtest/gtest.h>

using namespace uninst;

namespace {

std::vector<std::string> Describe(const UndoPlan &P) {
  std::vector<std::string> Out;
  for (const UndoStep &S : P.Steps) {
    switch (S.Kind) {
    case StepKind::RemoveLink:
      Out.push_back("link " + S.Path);
      break;
    case StepKind::RemoveFile:
      Out.push_back("file " + S.Path);
      break;
    case StepKind::DeleteValue:
      Out.push_back("value " + S.Value.KeyPath + "|" + S.Value.ValueName);
      break;
    case StepKind::RemoveFolder:
      Out.push_back("folder " + S.Path);
      break;
    case StepKind::RemoveDirectory:
      Out.push_back("dir " + S.Path);
      break;
    case StepKind::RemoveRegistration:
      Out.push_back("registration " + S.Title);
      break;
    case StepKind::RemoveLog:
      Out.push_back("log " + S.Path);
      break;
    }
  }
  return Out;
}

} // namespace

TEST(UndoPlan, KindsInOrderLastRecordFirst) {
  UninstallLog L;
  L.Directories = {"C:\\App\\", "C:\\App\\Sub"};
  L.Files = {"C:\\App\\a.exe", "C:\\App\\Sub\\b.dll"};
  L.RegistryValues = {"\\HKLM\\SOFTWARE\\Demo\\A", "\\HKLM\\SOFTWARE\\Demo\\B"};
  L.ProgramLinks = {"C:\\Menu\\Demo\\a.lnk", "C:\\Menu\\Demo\\Sub\\b.lnk"};
  L.ProgramGroups = {"C:\\Menu\\Demo\\", "C:\\Menu\\Demo\\Sub\\"};
  UndoPlan P = BuildUndoPlan(L, "Demo", "C:\\WINDOWS\\tcUninst1.inf");
  EXPECT_TRUE(P.Ignored.empty());
  EXPECT_EQ(Describe(P), (std::vector<std::string>{
                             "link C:\\Menu\\Demo\\Sub\\b.lnk",
                             "link C:\\Menu\\Demo\\a.lnk",
                             "file C:\\App\\Sub\\b.dll",
                             "file C:\\App\\a.exe",
                             "value SOFTWARE\\Demo|B",
                             "value SOFTWARE\\Demo|A",
                             "folder C:\\Menu\\Demo\\Sub",
                             "folder C:\\Menu\\Demo",
                             "dir C:\\App\\Sub",
                             "dir C:\\App",
                             "registration Demo",
                             "log C:\\WINDOWS\\tcUninst1.inf",
                         }));
}

TEST(UndoPlan, UnsafeRecordsAreSetAside) {
  UninstallLog L;
  L.Files = {"relative\\file.txt", "C:\\App\\..\\WINDOWS\\win.ini", "C:\\App\\*.*",
             "C:\\App\\dir\\",     "\\\\server\\share\\f.txt",      "C:\\App\\.",
             "C:/App/x",           "C:\\App\\f.txt:stream",         "C:\\App\\\\x",
             "C:\\App\\... \\x"};
  L.Directories = {"C:\\", "D:", "\\\\server\\share\\", "C:\\App\\"};
  UndoPlan P = BuildUndoPlan(L, "", "C:\\l.inf");
  EXPECT_EQ(Describe(P), (std::vector<std::string>{"file \\\\server\\share\\f.txt", "dir C:\\App",
                                                   "log C:\\l.inf"}))
      << "no registration step without a title";
  EXPECT_EQ(P.Ignored.size(), 12u);
}

TEST(UndoPlan, SafePathsAndTitles) {
  EXPECT_TRUE(IsSafeAbsolutePath("c:\\Program Files\\App 2.0\\read.me", false));
  EXPECT_TRUE(IsSafeAbsolutePath("C:\\App\\", true));
  EXPECT_FALSE(IsSafeAbsolutePath("C:\\App\\", false));
  EXPECT_FALSE(IsSafeAbsolutePath("C:", true));
  EXPECT_FALSE(IsSafeAbsolutePath("C:\\a\tb", false));
  EXPECT_FALSE(IsSafeAbsolutePath("\\\\\\x", false));
  EXPECT_TRUE(IsSafeTitle("Demo 1.0 (Deluxe)"));
  EXPECT_FALSE(IsSafeTitle(""));
  EXPECT_FALSE(IsSafeTitle("..\\..\\Run"));
  EXPECT_EQ(RegistrationKey("Demo"),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo");
}
