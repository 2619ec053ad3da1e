#include "install/FileVersion.h"

#include "install/FontInfo.h"
#include "install/PeVersionReader.h"
#include "package/ScriptCodecs.h"
#include "platform/MemoryFile.h"

#include <cstdio>
#include <cstring>

namespace install {

namespace {

int32_t IntOrZero(const std::string &S) {
  return package::ParseInt(S, 0);
}

} // namespace

bool ReadTranslation(platform::VersionInfo &Version, const std::vector<uint8_t> &Block,
                     VersionTranslation &Translation) {
  const uint8_t *Data = nullptr;
  uint32_t Length = 0;
  if (!Version.QueryValue(Block, "\\VarFileInfo\\Translation", Data, Length) || !Data || Length < 4)
    return false;
  Translation.Language = uint16_t(Data[0] | (Data[1] << 8));
  Translation.CodePage = uint16_t(Data[2] | (Data[3] << 8));
  return true;
}

bool LoadVersionBlock(platform::VersionInfo &Version, const std::string &FileName,
                      std::vector<uint8_t> &Block, VersionTranslation &Translation) {
  Block.clear();
  if (!Version.LoadFileVersionBlock(FileName, Block))
    return false;
  return ReadTranslation(Version, Block, Translation);
}

std::string VersionStringPath(const VersionTranslation &Translation, const std::string &Name) {
  char Hex[9];
  std::snprintf(Hex, sizeof Hex, "%04X%04X", Translation.Language, Translation.CodePage);
  return std::string("\\StringFileInfo\\") + Hex + "\\" + Name;
}

std::string ReadVersionString(platform::VersionInfo &Version, const std::vector<uint8_t> &Block,
                              const VersionTranslation &Translation, const std::string &Name) {
  const uint8_t *Data = nullptr;
  uint32_t Length = 0;
  if (!Version.QueryValue(Block, VersionStringPath(Translation, Name), Data, Length) || !Data)
    return "0";
  // The reported length counts the terminating zero; the text ends at the
  // first zero in any case.
  const void *Zero = std::memchr(Data, 0, Length);
  size_t N = Zero ? static_cast<const uint8_t *>(Zero) - Data : Length;
  return std::string(reinterpret_cast<const char *>(Data), N);
}

void ReadVersionStrings(platform::VersionInfo &Version, const std::string &FileName,
                        const std::vector<std::string> &Names, std::vector<std::string> &Results) {
  std::vector<uint8_t> Block;
  VersionTranslation Translation;
  if (!LoadVersionBlock(Version, FileName, Block, Translation))
    return;
  if (Results.size() < Names.size())
    Results.resize(Names.size());
  for (size_t i = 0; i < Names.size(); ++i)
    Results[i] = ReadVersionString(Version, Block, Translation, Names[i]);
}

std::string GetFileDescription(platform::VersionInfo &Version, const std::string &FileName) {
  std::vector<uint8_t> Block;
  VersionTranslation Translation;
  if (!LoadVersionBlock(Version, FileName, Block, Translation))
    return std::string();
  return package::TrimText(ReadVersionString(Version, Block, Translation, "FileDescription"));
}

uint32_t PackVersionText(const std::string &Text) {
  uint32_t Packed = 0;
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t Dot = Text.find('.', Pos);
    if (Dot == std::string::npos)
      Dot = Text.size();
    Packed = Packed * 256u + uint32_t(IntOrZero(Text.substr(Pos, Dot - Pos)));
    Pos = Dot + 1;
  }
  return Packed;
}

uint32_t PackFontVersionText(const std::string &Text) {
  // Packed versions are stored in packages and compared with those of
  // installed fonts, so the rule is kept as it is, odd as it looks: a text
  // without a point counts as tenths only ("2" packs as 20, not 2 * 256).
  uint32_t Packed = 0;
  std::string Rest = Text;
  if (size_t Dot = Text.find('.'); Dot != std::string::npos) {
    Packed = uint32_t(IntOrZero(Text.substr(0, Dot))) * 256u;
    Rest = Text.substr(Dot + 1);
  }
  std::string Tenths = Rest.substr(0, 1);
  while (Tenths.size() < 2)
    Tenths += '0';
  return Packed + uint32_t(IntOrZero(Tenths));
}

uint32_t GetPackedFileVersion(platform::FileSystem &Files, platform::VersionInfo &Version,
                              const std::string &FileName) {
  std::vector<uint8_t> Block;
  VersionTranslation Translation;
  if (LoadVersionBlock(Version, FileName, Block, Translation))
    return PackVersionText(ReadVersionString(Version, Block, Translation, "FileVersion"));
  std::string FontVersion;
  if (ReadFontName(Files, FileName, FontVersionText, FontVersion))
    return PackFontVersionText(FontVersion);
  return 0;
}

void GetFileVersionNumber(platform::FileSystem &Files, platform::VersionInfo &Version,
                          const std::string &FileName, uint32_t &Packed, int32_t &Date) {
  Date = Files.GetFileDate(FileName);
  Packed = GetPackedFileVersion(Files, Version, FileName);
}

uint32_t GetPackedImageVersion(const std::vector<uint8_t> &Image) {
  uint32_t Packed = 0;
  if (ReadPackedVersionFromPe(Image, Packed))
    return Packed;
  platform::MemoryFile Font(Image);
  std::string FontVersion;
  if (ReadFontName(Font, FontVersionText, FontVersion))
    return PackFontVersionText(FontVersion);
  return 0;
}

} // namespace install
