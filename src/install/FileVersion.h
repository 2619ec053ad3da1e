// File version information: the strings of a file's version resource and the
// packed 32-bit version number that the installer compares with the usual
// unsigned comparison (1.0.0.242 packs into the bytes 1, 0, 0, 242).
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace install {

// The first entry of "\VarFileInfo\Translation".
struct VersionTranslation {
  uint16_t Language = 0;
  uint16_t CodePage = 0;
};

// Loads FileName's version block and its first translation. True only when
// the load and the translation query both succeed.
bool LoadVersionBlock(platform::VersionInfo &Version, const std::string &FileName,
                      std::vector<uint8_t> &Block, VersionTranslation &Translation);

// The first translation of a loaded block; false when the block has none.
bool ReadTranslation(platform::VersionInfo &Version, const std::vector<uint8_t> &Block,
                     VersionTranslation &Translation);

// "\StringFileInfo\040904E4\Name": language and code page as capital hex.
std::string VersionStringPath(const VersionTranslation &Translation, const std::string &Name);

// The text of a string value of a loaded block; "0" when the block lacks it.
std::string ReadVersionString(platform::VersionInfo &Version, const std::vector<uint8_t> &Block,
                              const VersionTranslation &Translation, const std::string &Name);

// Reads Names from FileName's block into Results (same positions). When the
// block is not readable the results keep what the caller put there.
void ReadVersionStrings(platform::VersionInfo &Version, const std::string &FileName,
                        const std::vector<std::string> &Names, std::vector<std::string> &Results);

// The trimmed "FileDescription"; empty without a readable block, "0" when
// the block lacks the value.
std::string GetFileDescription(platform::VersionInfo &Version, const std::string &FileName);

// Folds a dotted version text from the left, 8 bits per part, wrapping in
// 32 bits: more than four parts push the first ones out, a part above 255
// spills into the one before.
uint32_t PackVersionText(const std::string &Text);

// A font's version text (the leading word "Version" already removed):
// major × 256 plus the first digit after the point in tenths, so 2.15 gives
// 2 × 256 + 10 and 1.5 gives 1 × 256 + 50.
uint32_t PackFontVersionText(const std::string &Text);

// The packed version of a file: from its version block's "FileVersion", or,
// for a TrueType font without one, from the font's version text; else 0.
uint32_t GetPackedFileVersion(platform::FileSystem &Files, platform::VersionInfo &Version,
                              const std::string &FileName);

// The packed version and the local DOS date of the file's last write (-1
// when the date cannot be had).
void GetFileVersionNumber(platform::FileSystem &Files, platform::VersionInfo &Version,
                          const std::string &FileName, uint32_t &Packed, int32_t &Date);

// The same version rule on a file held in memory (the authoring tool packs
// every file this way): a PE image's version resource, else a font's version.
uint32_t GetPackedImageVersion(const std::vector<uint8_t> &Image);

} // namespace install
