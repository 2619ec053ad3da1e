// A portable reader of the version resource of a PE executable (EXE, DLL),
// for machines without the Windows version functions: the authoring tool
// packs each file's version with it on Linux, and the tests cross-check the
// Windows functions against it. No Windows header is used.
//
// The block it gives has the layout of the platform's own version blocks as
// far as the readers above care: the raw VS_VERSIONINFO tree, followed by a
// narrow copy of every 16-bit unit, so that string values can be handed out
// as 8-bit text pointing into the block.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace install {

// The bytes of the image's RT_VERSION resource (name 1 preferred, language
// neutral preferred). False when the image is no PE file, has no version
// resource or any offset points outside the image.
bool FindPeVersionResource(const uint8_t *Image, size_t Size, std::vector<uint8_t> &Resource);

// Turns a raw version resource into a queryable block; false when it does
// not even hold a root node.
bool MakeVersionBlock(const std::vector<uint8_t> &Resource, std::vector<uint8_t> &Block);

// VerQueryValue on a block from MakeVersionBlock: "\\" gives the fixed
// information, "\\VarFileInfo\\Translation" the translation array and
// "\\StringFileInfo\\040904E4\\FileVersion" a string value as 8-bit text whose
// length counts the terminating zero. Keys compare ignoring letter case.
bool QueryVersionBlock(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                       const uint8_t *&Data, uint32_t &Length);

// The packed version number of a PE image, as the launcher computes it from
// the file's "FileVersion" text. False when the image has no readable
// version block (or no translation); Packed is then 0.
bool ReadPackedVersionFromPe(const std::vector<uint8_t> &Image, uint32_t &Packed);

// The version services implemented over the PE reader and a file system.
// There is no operating system to ask, so GetOsVersion fails.
class PeVersionInfo : public platform::VersionInfo {
public:
  explicit PeVersionInfo(platform::FileSystem &Files) : FFiles(Files) {}
  bool GetOsVersion(platform::OsVersionInfo &Out) override;
  bool LoadFileVersionBlock(const std::string &Path, std::vector<uint8_t> &Block) override;
  bool QueryValue(const std::vector<uint8_t> &Block, const std::string &SubBlock,
                  const uint8_t *&Data, uint32_t &Length) override;

private:
  platform::FileSystem &FFiles;
};

// Reads a whole file through the platform layer; false when it cannot be
// opened or read completely. Files above MaxSize are refused.
bool ReadWholeFile(platform::FileSystem &Files, const std::string &Path, std::vector<uint8_t> &Data,
                   uint64_t MaxSize = 1ull << 31);

} // namespace install
