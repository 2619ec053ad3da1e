#include "install/FontInfo.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using install::FontDisplayName;
using install::FontVersionText;

std::vector<uint8_t> ReadBytes(const std::string &Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {});
}

// Builds sfnt files byte by byte, for the cases no font tool writes.
struct NameRecord {
  uint16_t Platform, Encoding, Language, NameId;
  std::string Text;
  // Overrides of the stored length and offset, to point outside the file.
  int32_t Length = -1, Offset = -1;
};

void Put16(std::vector<uint8_t> &B, uint32_t V) {
  B.push_back(uint8_t(V >> 8));
  B.push_back(uint8_t(V));
}
void Put32(std::vector<uint8_t> &B, uint32_t V) {
  Put16(B, V >> 16);
  Put16(B, V & 0xFFFF);
}

std::vector<uint8_t> NameTable(const std::vector<NameRecord> &Records) {
  std::vector<uint8_t> T, Storage;
  Put16(T, 0);
  Put16(T, uint32_t(Records.size()));
  Put16(T, uint32_t(6 + 12 * Records.size()));
  for (const NameRecord &R : Records) {
    Put16(T, R.Platform);
    Put16(T, R.Encoding);
    Put16(T, R.Language);
    Put16(T, R.NameId);
    Put16(T, R.Length >= 0 ? uint32_t(R.Length) : uint32_t(R.Text.size()));
    Put16(T, R.Offset >= 0 ? uint32_t(R.Offset) : uint32_t(Storage.size()));
    Storage.insert(Storage.end(), R.Text.begin(), R.Text.end());
  }
  T.insert(T.end(), Storage.begin(), Storage.end());
  return T;
}

// An sfnt with a "head" placeholder and a "name" table; TableCount and
// NameOffset override the directory.
std::vector<uint8_t> Sfnt(const std::vector<uint8_t> &Name, int TableCount = -1,
                          int64_t NameOffset = -1) {
  std::vector<uint8_t> B;
  Put32(B, 0x00010000);
  Put16(B, TableCount >= 0 ? uint32_t(TableCount) : 2);
  Put16(B, 32);
  Put16(B, 1);
  Put16(B, 0);
  uint32_t HeadAt = 12 + 2 * 16, NameAt = HeadAt + 4;
  B.insert(B.end(), {'h', 'e', 'a', 'd'});
  Put32(B, 0);
  Put32(B, HeadAt);
  Put32(B, 4);
  B.insert(B.end(), {'n', 'a', 'm', 'e'});
  Put32(B, 0);
  Put32(B, NameOffset >= 0 ? uint32_t(NameOffset) : NameAt);
  Put32(B, uint32_t(Name.size()));
  Put32(B, 0xDEADBEEF); // the head placeholder
  B.insert(B.end(), Name.begin(), Name.end());
  return B;
}

std::string Utf16Be(const std::u16string &S) {
  std::string Out;
  for (char16_t C : S) {
    Out.push_back(char(C >> 8));
    Out.push_back(char(C & 0xFF));
  }
  return Out;
}

bool Read(const std::vector<uint8_t> &Bytes, int Mode, std::string &Text) {
  platform::MemoryFile F(Bytes);
  return install::ReadFontName(F, Mode, Text);
}

TEST(FontName, FilesWrittenByFontToolsMatchFontToolsReading) {
  // expected.txt holds what fontTools reads in each file, by the same rules.
  std::ifstream In(std::string(TC_TEST_DATA) + "/fonts/expected.txt");
  ASSERT_TRUE(In.good());
  std::string Line;
  int Checked = 0;
  while (std::getline(In, Line)) {
    if (Line.empty() || Line[0] == '#')
      continue;
    std::istringstream Fields(Line);
    std::string File, Display, Version;
    std::getline(Fields, File, '\t');
    std::getline(Fields, Display, '\t');
    std::getline(Fields, Version, '\t');
    std::string Path = File[0] == '/' ? File : std::string(TC_TEST_DATA) + "/fonts/" + File;
    std::vector<uint8_t> Bytes = ReadBytes(Path);
    if (Bytes.empty() && File[0] == '/')
      continue; // a system font this machine lacks
    ASSERT_FALSE(Bytes.empty()) << Path;
    std::string Text;
    EXPECT_EQ(Read(Bytes, FontDisplayName, Text), Display != "-") << File;
    if (Display != "-") {
      EXPECT_EQ("=" + Text, Display) << File;
    }
    EXPECT_EQ(Read(Bytes, FontVersionText, Text), Version != "-") << File;
    if (Version != "-") {
      EXPECT_EQ("=" + Text, Version) << File;
    }
    ++Checked;
  }
  EXPECT_GE(Checked, 6);
}

TEST(FontName, NameRules) {
  std::string Text;
  // The first non-empty full name wins; family and subfamily are the fallback.
  EXPECT_TRUE(Read(Sfnt(NameTable({{1, 0, 0, 4, " \t"},
                                   {1, 0, 0, 1, "Fam"},
                                   {1, 0, 0, 4, "  Second Full \r\n"},
                                   {1, 0, 0, 4, "Third"}})),
                   FontDisplayName, Text));
  EXPECT_EQ(Text, "Second Full");
  EXPECT_TRUE(
      Read(Sfnt(NameTable({{1, 0, 0, 2, " Bold "}, {1, 0, 0, 1, "Fam"}})), FontDisplayName, Text));
  EXPECT_EQ(Text, "Fam Bold");
  // Family with an empty full name: the font still has a name.
  EXPECT_TRUE(
      Read(Sfnt(NameTable({{1, 0, 0, 1, "Fam"}, {1, 0, 0, 4, ""}})), FontDisplayName, Text));
  EXPECT_EQ(Text, "Fam");
  // Only an empty full name: found, but GetFontName refuses it.
  std::vector<uint8_t> EmptyFull = Sfnt(NameTable({{1, 0, 0, 4, "   "}}));
  EXPECT_TRUE(Read(EmptyFull, FontDisplayName, Text));
  EXPECT_EQ(Text, "");
  fake::Files Fs;
  Fs.Add("C:\\F\\empty.ttf", EmptyFull);
  std::string Name = "junk";
  EXPECT_FALSE(install::GetFontName(Fs, "C:\\F\\empty.ttf", Name));
  EXPECT_EQ(Name, "");
  // Windows names are UTF-16: narrowed, not taken byte by byte.
  EXPECT_TRUE(
      Read(Sfnt(NameTable({{3, 1, 0x409, 4, Utf16Be(u"Wide \u00e9")}})), FontDisplayName, Text));
  EXPECT_EQ(Text, "Wide \xe9");
  // A name that loses characters gives way to a later complete one.
  EXPECT_TRUE(Read(
      Sfnt(NameTable({{3, 1, 0x404, 4, Utf16Be(u"\u4e2d")}, {3, 1, 0x409, 4, Utf16Be(u"Latin")}})),
      FontDisplayName, Text));
  EXPECT_EQ(Text, "Latin");
  EXPECT_TRUE(Read(Sfnt(NameTable({{3, 1, 0x404, 4, Utf16Be(u"\u4e2d")}})), FontDisplayName, Text));
  EXPECT_EQ(Text, "?");
}

TEST(FontName, VersionMode) {
  std::string Text;
  EXPECT_TRUE(Read(Sfnt(NameTable({{1, 0, 0, 5, "vErSiOn  2.15 "}})), FontVersionText, Text));
  EXPECT_EQ(Text, "2.15");
  EXPECT_TRUE(Read(Sfnt(NameTable({{1, 0, 0, 5, " Release 3"}})), FontVersionText, Text));
  EXPECT_EQ(Text, "Release 3");
  EXPECT_TRUE(Read(Sfnt(NameTable({{1, 0, 0, 5, "Versio"}})), FontVersionText, Text));
  EXPECT_EQ(Text, "Versio");
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "Full"}})), FontVersionText, Text));
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 5, "1.0"}})), FontDisplayName, Text));
}

TEST(FontName, BadFilesGiveNoName) {
  std::vector<uint8_t> Good = Sfnt(NameTable({{1, 0, 0, 4, "Good"}}));
  std::string Text;
  ASSERT_TRUE(Read(Good, FontDisplayName, Text));
  // Table counts of 0 and of 100 or more.
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), 0), FontDisplayName, Text));
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), 120), FontDisplayName, Text));
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), 100), FontDisplayName, Text));
  // A count of 99 whose records run past the end: the name table was read
  // before the directory ran out, so the name stands.
  EXPECT_TRUE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), 99), FontDisplayName, Text));
  // The name table outside the file, or at its very end.
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), -1, 0xFFFFFFF0), FontDisplayName, Text));
  EXPECT_FALSE(
      Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}}), -1, int64_t(Good.size())), FontDisplayName, Text));
  // A string outside the file spoils the table, even one the mode does not need.
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X", 4, 0xFFF0}})), FontDisplayName, Text));
  EXPECT_FALSE(Read(Sfnt(NameTable({{1, 0, 0, 4, "X"}, {1, 0, 0, 6, "PS", 0xFFFF, 0}})),
                    FontDisplayName, Text));
  // More records announced than the file holds.
  std::vector<uint8_t> Many = Good;
  Many[48 + 2] = 0x7F; // the record count of the name table (at 48)
  EXPECT_FALSE(Read(Many, FontDisplayName, Text));
  // Truncation at every length never finds a name it should not, never crashes.
  for (size_t N = 0; N < Good.size(); ++N) {
    std::vector<uint8_t> Cut(Good.begin(), Good.begin() + N);
    EXPECT_FALSE(Read(Cut, FontDisplayName, Text)) << N;
  }
  // Not a font at all.
  EXPECT_FALSE(Read(std::vector<uint8_t>(64, 'M'), FontDisplayName, Text));
  fake::Files Fs;
  EXPECT_FALSE(install::ReadFontName(Fs, "C:\\missing.ttf", FontDisplayName, Text));
}

TEST(FontName, RegisterFontWritesTheFontListOfThePlatform) {
  fake::Files Fs;
  fake::Registry Reg;
  fake::Shell Sh;
  platform::Platform System;
  System.Files = &Fs;
  System.Reg = &Reg;
  System.ShellApi = &Sh;
  Fs.Add("C:\\WINDOWS\\Fonts\\tcsans.ttf", {1});
  platform::OsVersionInfo Nt;
  Nt.PlatformId = 2;
  install::RegisterFont(System, "C:\\WINDOWS\\Fonts\\tcsans.ttf", "Tc Sans Bold", Nt);
  std::string Data;
  EXPECT_TRUE(Reg.Has(platform::RootKey::LocalMachine,
                      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Tc Sans Bold",
                      &Data));
  EXPECT_EQ(Data, "tcsans.ttf");
  ASSERT_EQ(Sh.Calls.size(), 2u);
  EXPECT_EQ(Sh.Calls[0], "add C:\\WINDOWS\\Fonts\\tcsans.ttf");
  EXPECT_EQ(Sh.Calls[1], "broadcast " + std::to_string(install::FontChangeTimeoutMs));

  platform::OsVersionInfo Win98;
  Win98.PlatformId = 1;
  install::RegisterFont(System, "C:\\WINDOWS\\Fonts\\tcsans.ttf", "Tc Sans 98", Win98);
  EXPECT_TRUE(Reg.Has(platform::RootKey::LocalMachine,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", "Tc Sans 98"));
  EXPECT_FALSE(Reg.Has(platform::RootKey::LocalMachine,
                       "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Tc Sans 98"));

  // Nothing at all for an empty name or a missing file.
  Sh.Calls.clear();
  size_t Keys = Reg.Keys.size();
  install::RegisterFont(System, "C:\\WINDOWS\\Fonts\\tcsans.ttf", "", Nt);
  install::RegisterFont(System, "C:\\WINDOWS\\Fonts\\gone.ttf", "Gone", Nt);
  install::RegisterFont(System, "", "Gone", Nt);
  EXPECT_TRUE(Sh.Calls.empty());
  EXPECT_EQ(Reg.Keys.size(), Keys);
  EXPECT_FALSE(Reg.Has(platform::RootKey::LocalMachine,
                       "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone"));
}

} // namespace
