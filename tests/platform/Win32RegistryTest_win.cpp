#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Win32Registry, WritesReadsAndDeletesEachType) {
  win32::Win32Registry reg;
  const std::string path = "Software\\TcTest\\Platform\\Deep";
  reg.DeleteKey(RootKey::CurrentUser, path);
  EXPECT_FALSE(reg.OpenKey(RootKey::CurrentUser, path, false));
  auto k = reg.OpenKey(RootKey::CurrentUser, "\\" + path, true);
  ASSERT_TRUE(k) << "every missing level is created";
  EXPECT_TRUE(k->WriteString("", "default"));
  EXPECT_TRUE(k->WriteString("s", "text"));
  const uint8_t bin[3] = {0, 0xFF, 7};
  EXPECT_TRUE(k->WriteBinary("b", bin, 3));
  EXPECT_TRUE(k->WriteBinary("empty", nullptr, 0));
  EXPECT_TRUE(k->WriteDword("d", 0xDEADBEEF));
  k.reset();

  auto r = reg.OpenKey(RootKey::CurrentUser, path, false);
  ASSERT_TRUE(r);
  std::string s;
  EXPECT_TRUE(r->ReadString("", s));
  EXPECT_EQ(s, "default");
  EXPECT_TRUE(r->ReadString("s", s));
  EXPECT_EQ(s, "text");
  EXPECT_FALSE(r->ReadString("d", s)) << "a double word is not a string";
  std::vector<uint8_t> b;
  EXPECT_TRUE(r->ReadBinary("b", b));
  EXPECT_EQ(b, std::vector<uint8_t>(bin, bin + 3));
  EXPECT_TRUE(r->ReadBinary("empty", b));
  EXPECT_TRUE(b.empty());
  uint32_t d = 0;
  EXPECT_TRUE(r->ReadDword("d", d));
  EXPECT_EQ(d, 0xDEADBEEFu);
  EXPECT_FALSE(r->ValueExists("missing"));
  std::vector<std::string> names;
  EXPECT_TRUE(r->ListValues(names));
  EXPECT_EQ(names.size(), 5u);
  EXPECT_FALSE(r->WriteString("x", "y")) << "a key opened for reading refuses writes";
  r.reset();

  auto w = reg.OpenKey(RootKey::CurrentUser, path, true);
  EXPECT_TRUE(w->DeleteValue("s"));
  EXPECT_FALSE(w->ValueExists("s"));
  w.reset();
  EXPECT_FALSE(reg.DeleteKey(RootKey::CurrentUser, "Software\\TcTest\\Platform"))
      << "a key with sub-keys stays";
  EXPECT_TRUE(reg.DeleteKey(RootKey::CurrentUser, path));
  EXPECT_TRUE(reg.DeleteKey(RootKey::CurrentUser, "Software\\TcTest\\Platform"));
}

TEST(Win32Registry, ReadsExpandStringsOfAFreshPrefix) {
  // "Common Programs" is stored as REG_EXPAND_SZ; string reads must take it.
  win32::Win32Registry reg;
  auto k = reg.OpenKey(RootKey::LocalMachine,
                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       false);
  ASSERT_TRUE(k);
  std::string s;
  ASSERT_TRUE(k->ReadString("Common Programs", s));
  EXPECT_NE(s.find('%'), std::string::npos) << s;
}
