#include "install/FileVersion.h"
#include "install/PeVersionReader.h"

#include "FakePlatform.h"
#include "VersionExpect.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> ReadBytes(const std::string &Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {});
}

TEST(VersionPacking, DottedTexts) {
  using install::PackVersionText;
  EXPECT_EQ(PackVersionText("1.0.0.242"), 0x010000F2u);
  EXPECT_EQ(PackVersionText("2.0.0.103"), 0x02000067u);
  EXPECT_EQ(PackVersionText("1.2.3.4"), 0x01020304u);
  EXPECT_EQ(PackVersionText("1.2.3.4.5"), 0x02030405u); // the first part is pushed out
  EXPECT_EQ(PackVersionText("1.256"), 512u);            // 256 spills into the part before
  EXPECT_EQ(PackVersionText("1.x.3"), 65539u);          // a bad part counts 0
  EXPECT_EQ(PackVersionText("0"), 0u);
  EXPECT_EQ(PackVersionText(""), 0u);
  EXPECT_EQ(PackVersionText("7"), 7u);
  EXPECT_EQ(PackVersionText("1..2"), 0x010002u);
  EXPECT_EQ(PackVersionText("1.2."), 0x0102u); // a trailing dot adds no part
  EXPECT_EQ(PackVersionText(" 3.$10"), 0x0310u);
  EXPECT_EQ(PackVersionText("1, 2, 3, 4"), 0u); // not dotted: one bad part
  // Newer versions compare greater as unsigned numbers.
  EXPECT_LT(PackVersionText("1.9.9.9"), PackVersionText("2.0.0.0"));
  EXPECT_LT(PackVersionText("2.0.0.103"), PackVersionText("2.0.1.0"));
}

TEST(VersionPacking, FontVersionTexts) {
  using install::PackFontVersionText;
  EXPECT_EQ(PackFontVersionText("2.15"), 2u * 256 + 10);
  EXPECT_EQ(PackFontVersionText("1.5"), 1u * 256 + 50);
  EXPECT_EQ(PackFontVersionText("2.37"), 2u * 256 + 30);
  EXPECT_EQ(PackFontVersionText("1.5 ; build 7"), 1u * 256 + 50);
  EXPECT_EQ(PackFontVersionText("3."), 3u * 256);
  // Without a point only the first character counts, as tenths: packages
  // store these numbers, so the launcher and the authoring tool keep it.
  EXPECT_EQ(PackFontVersionText("2"), 20u);
  EXPECT_EQ(PackFontVersionText("12"), 10u);
  EXPECT_EQ(PackFontVersionText("x"), 0u);
  EXPECT_EQ(PackFontVersionText(""), 0u);
}

// A version service that serves prepared blocks, for the rules above the
// platform's functions.
class BlockVersion : public platform::VersionInfo {
public:
  std::map<std::string, std::vector<uint8_t>> Resources;
  bool GetOsVersion(platform::OsVersionInfo &) override { return false; }
  bool LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) override {
    auto It = Resources.find(Path);
    return It != Resources.end() && install::MakeVersionBlock(It->second, Block);
  }
  bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                  const uint8_t *&Data, uint32_t &Length) override {
    return install::QueryVersionBlock(Block, SubBlock, Data, Length);
  }
};

TEST(FileVersion, FontFallbackAndDate) {
  // A font without a version resource: its name table's version counts.
  std::vector<uint8_t> Font = ReadBytes(std::string(TC_TEST_DATA) + "/fonts/full.ttf");
  ASSERT_FALSE(Font.empty());
  fake::Files Fs;
  Fs.Add("C:\\F\\full.ttf", Font);
  Fs.Dates["C:\\F\\FULL.TTF"] = 0x2A5C6000;
  Fs.Add("C:\\F\\plain.bin", std::vector<uint8_t>(100, 7));
  BlockVersion None;
  uint32_t Packed = 1;
  int32_t Date = 0;
  install::GetFileVersionNumber(Fs, None, "C:\\F\\full.ttf", Packed, Date);
  EXPECT_EQ(Packed, 2u * 256 + 10); // "Version 2.15"
  EXPECT_EQ(Date, 0x2A5C6000);
  EXPECT_EQ(install::GetPackedImageVersion(Font), 2u * 256 + 10);
  // "Version 7" has no point: 70, read by the launcher and by the authoring
  // tool's portable version reader alike.
  std::vector<uint8_t> Seven = ReadBytes(std::string(TC_TEST_DATA) + "/fonts/lossy.ttf");
  Fs.Add("C:\\F\\seven.ttf", Seven);
  EXPECT_EQ(install::GetPackedImageVersion(Seven), 70u);
  install::PeVersionInfo Portable(Fs);
  EXPECT_EQ(install::GetPackedFileVersion(Fs, Portable, "C:\\F\\seven.ttf"), 70u);
  install::GetFileVersionNumber(Fs, None, "C:\\F\\seven.ttf", Packed, Date);
  EXPECT_EQ(Packed, 70u);
  // Neither a version block nor a font: 0; a missing file has no date.
  install::GetFileVersionNumber(Fs, None, "C:\\F\\plain.bin", Packed, Date);
  EXPECT_EQ(Packed, 0u);
  EXPECT_EQ(Date, -1);
  install::GetFileVersionNumber(Fs, None, "C:\\F\\missing.exe", Packed, Date);
  EXPECT_EQ(Packed, 0u);
  EXPECT_EQ(Date, -1);
  EXPECT_EQ(install::GetFileDescription(None, "C:\\F\\plain.bin"), "");
  std::vector<std::string> Results = {"keep1", "keep2"};
  install::ReadVersionStrings(None, "C:\\F\\plain.bin", {"ProductName", "WebSite"}, Results);
  EXPECT_EQ(Results, (std::vector<std::string>{"keep1", "keep2"}));
}

TEST(FileVersion, StringPath) {
  install::VersionTranslation T;
  T.Language = 0x409;
  T.CodePage = 0x4e4;
  EXPECT_EQ(install::VersionStringPath(T, "FileVersion"),
            "\\StringFileInfo\\040904E4\\FileVersion");
}

// The portable reader against pefile, on the executables windres made.
class PeVersionFiles : public ::testing::Test {
protected:
  void SetUp() override {
    if (!versionexpect::Load(Expected))
      GTEST_SKIP() << "no version test files (MinGW windres or pefile missing)";
  }
  versionexpect::Table Expected;
};

TEST_F(PeVersionFiles, PortableReaderAgreesWithPefile) {
  ASSERT_GE(Expected.size(), 6u);
  for (auto &[Exe, Fields] : Expected) {
    SCOPED_TRACE(Exe);
    std::vector<uint8_t> Image = ReadBytes(versionexpect::Directory() + "/" + Exe);
    ASSERT_FALSE(Image.empty());
    uint32_t Packed = 99;
    bool Readable = install::ReadPackedVersionFromPe(Image, Packed);
    EXPECT_EQ(Readable, Fields["translation"] != "none");
    EXPECT_EQ(Packed, std::stoul(Fields["packed"], nullptr, 16));
    EXPECT_EQ(install::GetPackedImageVersion(Image), Packed);

    BlockVersion Version;
    std::vector<uint8_t> Resource;
    if (install::FindPeVersionResource(Image.data(), Image.size(), Resource))
      Version.Resources[Exe] = Resource;
    std::vector<std::string> Names = {"FileVersion", "FileDescription", "ProductName",
                                      "CompanyName", "WebSite"};
    std::vector<std::string> Results(Names.size(), "unset");
    install::ReadVersionStrings(Version, Exe, Names, Results);
    std::string Description = install::GetFileDescription(Version, Exe);
    if (!Readable) {
      EXPECT_EQ(Results, std::vector<std::string>(Names.size(), "unset"));
      EXPECT_EQ(Description, "");
      continue;
    }
    for (size_t i = 0; i < Names.size(); ++i)
      EXPECT_EQ(Results[i], Fields[Names[i]]) << Names[i];
    std::string Want = Fields["FileDescription"];
    Want.erase(0, Want.find_first_not_of(' '));
    Want.erase(Want.find_last_not_of(' ') + 1);
    EXPECT_EQ(Description, Want);
  }
  // The cases the files were made for.
  EXPECT_EQ(Expected["full.exe"]["packed"], "01020304");
  EXPECT_EQ(Expected["fiveparts.exe"]["packed"], "02030405");
  EXPECT_EQ(Expected["spill.exe"]["packed"], "00000200");
  EXPECT_EQ(Expected["badpart.exe"]["packed"], "00010003");
  EXPECT_EQ(Expected["otherlang.exe"]["FileVersion"], "0");
  EXPECT_EQ(Expected["full.exe"]["WebSite"], "0");
}

TEST_F(PeVersionFiles, FixedInfoAndTranslationQueries) {
  std::vector<uint8_t> Image = ReadBytes(versionexpect::Directory() + "/full.exe");
  std::vector<uint8_t> Resource, Block;
  ASSERT_TRUE(install::FindPeVersionResource(Image.data(), Image.size(), Resource));
  ASSERT_TRUE(install::MakeVersionBlock(Resource, Block));
  const uint8_t *Data = nullptr;
  uint32_t Length = 0;
  ASSERT_TRUE(install::QueryVersionBlock(Block, "\\", Data, Length));
  ASSERT_EQ(Length, 52u); // VS_FIXEDFILEINFO
  auto U32 = [&](int At) {
    return uint32_t(Data[At]) | Data[At + 1] << 8 | Data[At + 2] << 16 |
           uint32_t(Data[At + 3]) << 24;
  };
  EXPECT_EQ(U32(0), 0xFEEF04BDu);
  EXPECT_EQ(U32(8), 0x00010002u); // FILEVERSION 1,2,3,4
  EXPECT_EQ(U32(12), 0x00030004u);
  ASSERT_TRUE(install::QueryVersionBlock(Block, "\\varfileinfo\\TRANSLATION", Data, Length));
  EXPECT_EQ(Length, 4u);
  ASSERT_TRUE(
      install::QueryVersionBlock(Block, "\\StringFileInfo\\040904e4\\CompanyName", Data, Length));
  EXPECT_EQ(Length, 11u); // counts the terminating zero, as Windows does
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(Data)), "Tc Test Co");
  EXPECT_FALSE(install::QueryVersionBlock(Block, "\\StringFileInfo\\040904E4\\Nope", Data, Length));
  EXPECT_FALSE(install::QueryVersionBlock(Block, "\\Nope", Data, Length));
}

TEST_F(PeVersionFiles, DamagedImagesNeverReadOutside) {
  std::vector<uint8_t> Image = ReadBytes(versionexpect::Directory() + "/fiveparts.exe");
  std::vector<uint8_t> Resource;
  ASSERT_TRUE(install::FindPeVersionResource(Image.data(), Image.size(), Resource));
  // Every truncation and every single-byte change: no crash, and whatever is
  // found lies inside the image (the sanitizer build checks the reads).
  uint32_t Packed;
  for (size_t N = 0; N < Image.size(); N += 7) {
    std::vector<uint8_t> Cut(Image.begin(), Image.begin() + N);
    install::ReadPackedVersionFromPe(Cut, Packed);
  }
  int Found = 0;
  for (size_t At = 0; At < Image.size(); ++At) {
    std::vector<uint8_t> Bad = Image;
    Bad[At] ^= 0xFF;
    std::vector<uint8_t> R;
    if (install::FindPeVersionResource(Bad.data(), Bad.size(), R)) {
      EXPECT_LE(R.size(), Bad.size());
      ++Found;
    }
    install::ReadPackedVersionFromPe(Bad, Packed);
  }
  EXPECT_GT(Found, 0);
  // A truncated version tree itself.
  std::vector<uint8_t> Block;
  for (size_t N = 0; N < Resource.size(); ++N) {
    std::vector<uint8_t> R(Resource.begin(), Resource.begin() + N);
    EXPECT_FALSE(install::MakeVersionBlock(R, Block)) << N; // the root says more
  }
}

TEST_F(PeVersionFiles, PeVersionInfoReadsFilesThroughThePlatform) {
  fake::Files Fs;
  Fs.Add("C:\\A\\full.exe", ReadBytes(versionexpect::Directory() + "/full.exe"));
  install::PeVersionInfo Version(Fs);
  EXPECT_EQ(install::GetFileDescription(Version, "C:\\A\\full.exe"), "Padded Description");
  uint32_t Packed;
  int32_t Date;
  install::GetFileVersionNumber(Fs, Version, "C:\\A\\full.exe", Packed, Date);
  EXPECT_EQ(Packed, 0x01020304u);
  EXPECT_EQ(install::GetFileDescription(Version, "C:\\A\\missing.exe"), "");
}

} // namespace
