#include <gtest/gtest.h>

#include "TestDoubles.h"
#include "package/ScriptCodecs.h"

using namespace package;
using platform::RootKey;

TEST(TextRules, TrimAndUpperCase) {
  EXPECT_EQ("a b", TrimText("\t\x01 a b \r\n\x1F"));
  EXPECT_EQ("", TrimText(" \t "));
  EXPECT_EQ("\xE9", TrimText("\xE9 ")); // bytes above 127 are characters
  EXPECT_EQ("ABC-\xE4Z", UpperCaseText("aBc-\xE4z"));
  EXPECT_TRUE(SameText("Program Files", "PROGRAM files"));
  // Only a to z change case: neighbours of the range and bytes above 127 do not.
  EXPECT_TRUE(SameText("az-\xE4", "AZ-\xE4"));
  for (const auto &[A, B] : {std::pair<const char *, const char *>{"\xE4", "\xC4"},
                             {"`", "@"}, {"{", "["}, {"ab", "abc"}, {"", "a"}})
    EXPECT_FALSE(SameText(A, B)) << A << " " << B;
  EXPECT_TRUE(SameText("", ""));
}

TEST(ValueCodecs, BoolAndInt) {
  EXPECT_TRUE(ParseBool("1"));
  for (const char *False : {" 1", "01", "true", "", "2", "1 "})
    EXPECT_FALSE(ParseBool(False)) << False;

  EXPECT_EQ(42, ParseInt("42", 7));
  EXPECT_EQ(42, ParseInt("   42", 7));
  EXPECT_EQ(-42, ParseInt("-42", 7));
  EXPECT_EQ(42, ParseInt("+42", 7));
  EXPECT_EQ(32, ParseInt("$20", 7));
  EXPECT_EQ(255, ParseInt("xFF", 7));
  EXPECT_EQ(255, ParseInt("Xff", 7));
  EXPECT_EQ(26, ParseInt("0x1A", 7));
  EXPECT_EQ(26, ParseInt("0X1a", 7));
  EXPECT_EQ(-16, ParseInt("-$10", 7));
  EXPECT_EQ(2147483647, ParseInt("2147483647", 7));
  EXPECT_EQ(INT32_MIN, ParseInt("-2147483648", 7));
  for (const char *Bad : {"", " ", "2147483648", "-2147483649", "$100000000", "12a", "42 ", "$",
                          "0x", "-", "1.5", "$G", "99999999999999999999999"})
    EXPECT_EQ(7, ParseInt(Bad, 7)) << Bad;
}

TEST(ValueCodecs, Colors) {
  EXPECT_EQ(MakeColor(0x12, 0x34, 0x56), ParseColor("#123456"));
  EXPECT_EQ(MakeColor(0x12, 0x34, 0x56), ParseColor("123456"));
  EXPECT_EQ(MakeColor(255, 15, 0), ParseColor("#FFF"));
  EXPECT_EQ(MakeColor(0xAB, 0, 0xCD), ParseColor("#abZZcd"));
  EXPECT_EQ(0u, ParseColor(""));
  EXPECT_EQ(0u, ParseColor("#"));
  EXPECT_EQ(MakeColor(0, 0x12, 0x34), ParseColor(" 11234")); // not trimmed: " 1" is bad
  EXPECT_EQ(MakeColor(1, 2, 3), ParseColor("#010203FFFF"));  // the rest is ignored
}

TEST(ValueCodecs, StylesAlignmentsDisplayAndTargetOs) {
  EXPECT_EQ(FontBold, ParseFontStyle("[Bold]"));
  EXPECT_EQ(FontBold | FontItalic | FontUnderline | FontStrikeOut,
            ParseFontStyle("[fsBold,fsItalic,fsUnderline,fsStrikeOut]"));
  EXPECT_EQ(0, ParseFontStyle("[]"));

  EXPECT_EQ(0, ParseAlignment("Left"));
  EXPECT_EQ(0, ParseAlignment("top"));
  EXPECT_EQ(1, ParseAlignment("  center "));
  EXPECT_EQ(2, ParseAlignment("Right"));
  EXPECT_EQ(2, ParseAlignment("BOTTOM"));
  EXPECT_EQ(0, ParseAlignment("middle"));

  EXPECT_EQ(0, ParseBGAlignment("Top Left"));
  EXPECT_EQ(4, ParseBGAlignment("center"));
  EXPECT_EQ(5, ParseBGAlignment("Middle Right"));
  EXPECT_EQ(8, ParseBGAlignment("BOTTOM RIGHT"));
  EXPECT_EQ(0, ParseBGAlignment("Bottom Right ")); // not trimmed
  EXPECT_EQ(1, ParseBGDisplay("Tile"));
  EXPECT_EQ(2, ParseBGDisplay("stretch"));
  EXPECT_EQ(0, ParseBGDisplay("zoom"));

  EXPECT_EQ(OsAll, ParseTargetOS("Windows 95,Windows 98,Windows NT 4.0 Workstation,"
                                 "Windows NT 4.0 Server,Windows 2000,"));
  EXPECT_EQ(OsWindows98 | OsWindowsNT40Server, ParseTargetOS("windows nt 4.0 server,WINDOWS 98"));
  EXPECT_EQ(0, ParseTargetOS(""));
  EXPECT_EQ(0, ParseTargetOS("Windows XP"));
}

TEST(ValueCodecs, HexText) {
  EXPECT_EQ("HKEY_LOCAL_MACHINE", DecodeHexText("484B45595F4C4F43414C5F4D414348494E45"));
  EXPECT_EQ("", DecodeHexText(""));
  EXPECT_EQ("AB", DecodeHexText(" 41 4 2 "));
  // Lower-case letters are no digits: only the first digit counts.
  EXPECT_EQ(std::string(1, '\x04'), DecodeHexText("4a"));
  EXPECT_EQ(std::string(1, '\x0A'), DecodeHexText("zA"));
  EXPECT_EQ("", DecodeHexText("zz"));
  EXPECT_EQ(std::string("A\x07", 2), DecodeHexText("417")); // an odd last digit
  std::string All;
  for (int C = 0; C < 256; ++C)
    All += static_cast<char>(C);
  EXPECT_EQ(All, DecodeHexText(EncodeHexText(All)));
}

TEST(ValueCodecs, FieldRecords) {
  std::string R;
  SetFieldText(R, 3, "c");
  EXPECT_EQ("\x01\x01"
            "c\x01",
            R);
  SetFieldText(R, 1, "a");
  EXPECT_EQ("a\x01\x01"
            "c\x01",
            R);
  EXPECT_EQ("a", GetFieldText(R, 1));
  EXPECT_EQ("", GetFieldText(R, 2));
  EXPECT_EQ("c", GetFieldText(R, 3));
  EXPECT_EQ("", GetFieldText(R, 4));
  EXPECT_EQ("", GetFieldText(R, 0));
  SetFieldText(R, 2, "b");
  EXPECT_EQ("a\x01"
            "b\x01"
            "c\x01",
            R);
  // A last field without its separator reads to the end.
  EXPECT_EQ("tail", GetFieldText("x\x01tail", 2));
  std::string Open = "x\x01tail";
  SetFieldText(Open, 1, "y");
  EXPECT_EQ("y\x01tail\x01", Open);
}

TEST(RegistryPath, RootsKeysAndValueNames) {
  package_test::MemoryRegistry Reg;
  Reg.Set(RootKey::LocalMachine, "Software\\Maker\\Product", "Path", "C:\\Product");
  Reg.Set(RootKey::LocalMachine, "Software\\Maker\\Product", "", "default value");
  Reg.Set(RootKey::CurrentUser, "Software\\Maker", "Data", "D:\\Data");
  Reg.Set(RootKey::LocalMachine, "Maker\\Product", "Path", "under HKLM");
  Reg.Set(RootKey::ClassesRoot, ".txt", "", "txtfile");
  Reg.Set(RootKey::Users, ".DEFAULT\\X", "V", "users");
  Reg.Set(RootKey::CurrentConfig, "System", "V", "config");
  Reg.Set(RootKey::LocalMachine, "Software", "Bin", "xx", false);

  EXPECT_EQ("C:\\Product", ReadRegistryPath(Reg, "HKLM\\Software\\Maker\\Product\\Path"));
  EXPECT_EQ("C:\\Product",
            ReadRegistryPath(Reg, "hkey_local_machine\\Software\\Maker\\Product\\Path"));
  EXPECT_EQ("default value", ReadRegistryPath(Reg, "HKLM\\Software\\Maker\\Product\\"));
  EXPECT_EQ("D:\\Data", ReadRegistryPath(Reg, "HKCU\\Software\\Maker\\Data"));
  EXPECT_EQ("D:\\Data", ReadRegistryPath(Reg, "HKEY_CURRENT_USER\\Software\\Maker\\Data"));
  EXPECT_EQ("txtfile", ReadRegistryPath(Reg, "HKCR\\.txt\\"));
  EXPECT_EQ("users", ReadRegistryPath(Reg, "HKUS\\.DEFAULT\\X\\V"));
  EXPECT_EQ("config", ReadRegistryPath(Reg, "HKCC\\System\\V"));
  // An unknown first component is a key below HKEY_LOCAL_MACHINE.
  EXPECT_EQ("under HKLM", ReadRegistryPath(Reg, "Maker\\Product\\Path"));
  // Missing key, missing value, not a string, names keep their case.
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKLM\\Software\\Nobody\\Path"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKLM\\Software\\Maker\\Product\\Nothing"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKLM\\Software\\Bin"));
  EXPECT_EQ("", ReadRegistryPath(Reg, "HKLM\\Software\\Maker\\Product\\path"));
  EXPECT_EQ("", ReadRegistryPath(Reg, ""));
  ReadRegistryPath(Reg, "HKLM\\software\\maker\\product\\path");
  EXPECT_EQ((std::pair<RootKey, std::string>{RootKey::LocalMachine, "software\\maker\\product"}),
            Reg.Opened.back());
}
