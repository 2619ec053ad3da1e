// The install package appended to the launcher's executable image: the magic,
// the script, then entries, each a 282-byte header followed by its stored
// data. The readers here are shared by the launcher (pictures at start-up,
// uninstaller and groups during installation) and the authoring tool. They
// only read headers and step between them; what to do with an entry's data
// is the caller's business, handed in as a callback, so this layer does not
// depend on the decoder.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace package {

inline constexpr char PackageMagic[] = "VemoInstall"; // 11 characters, no terminator stored
inline constexpr uint32_t PackageMagicSize = 11;
inline constexpr uint32_t EntryHeaderSize = 282;
inline constexpr uint32_t EntryNameFieldSize = 256; // length byte + 255 characters
inline constexpr uint32_t MaxEntryNameLength = 255;

// Entry type codes.
enum : uint16_t {
  EntryBackground = 1,
  EntryImageFrame = 2,
  EntryPageLogo = 3,
  EntryUninstaller = 10,
  EntryGroup = 20,
  EntryFile = 40,
};

// One entry header. For a group header PackedSize counts the group's file
// entries and UnpackedSize is the offset of the next group header.
struct TEntryHeader {
  uint16_t EntryType = 0;
  uint32_t PackedSize = 0;
  uint32_t UnpackedSize = 0;
  uint32_t Crc = 0;
  uint32_t LinkOffset = 0;
  uint32_t Version = 0;
  int32_t FileDate = 0;
  // Length byte, then the characters; the rest is zero when written by us.
  std::array<uint8_t, EntryNameFieldSize> Name{};

  // The name the length byte gives.
  std::string NameText() const;
  // Sets the name and zeroes the bytes after it; false (name unchanged) when
  // it is longer than 255 characters.
  bool SetName(const std::string &Text);
  bool IsLinked() const { return LinkOffset != 0; }
};

using EntryHeaderBytes = std::array<uint8_t, EntryHeaderSize>;

// Field by field, little-endian.
void EncodeEntryHeader(const TEntryHeader &Header, EntryHeaderBytes &Bytes);
TEntryHeader DecodeEntryHeader(const EntryHeaderBytes &Bytes);

// Reads 282 bytes at the current position; false on a short read or a file
// error (Header then holds what came, the rest zero).
bool ReadEntryHeader(platform::File &F, TEntryHeader &Header);
bool WriteEntryHeader(platform::File &F, const TEntryHeader &Header);

// Where the header after the entry at Position starts: an unlinked entry's
// data follows its header, a linked entry has none.
uint64_t NextEntryPosition(uint64_t Position, const TEntryHeader &Header);

// Follows LinkOffset from the entry at Position to the header that holds the
// data. Links may chain, but only to strictly earlier headers and at most
// MaxLinkHops times; an unlinked entry resolves to itself. False for a link
// to itself or forward, an unreadable target, a target of another kind of
// data (a group header), or a chain that is too long: the entry is damaged.
inline constexpr int MaxLinkHops = 64;
bool ResolveEntryLink(platform::File &F, uint64_t Position, const TEntryHeader &Header,
                      uint64_t &DataPosition, TEntryHeader &DataHeader);

// P, the first byte after the executable image, from the PE headers:
// SizeOfCode + SizeOfInitializedData + SizeOfUninitializedData +
// SizeOfHeaders. 0 without the "MZ" and "PE" signatures or on a read failure.
uint32_t GetPackageStart(platform::File &F);

// The 11 bytes at Position are "VemoInstall", letter case included.
bool CheckPackageMagic(platform::File &F, uint64_t Position);

enum class OpenPackageResult {
  Ok,
  Corrupted,   // "File corrupted!": no magic at the package start
  NothingToDo, // "Nothing to do!": script length 0
};

struct PackageLayout {
  uint32_t Start = 0;           // P
  uint32_t ScriptLength = 0;    // L as stored
  uint64_t EntriesPosition = 0; // P + 15 + L, the first entry header
};

// Finds the package, checks the magic, reads the script length and the
// script. The script is read in pieces of at most 1024 bytes; reads that
// fall short (a file shorter than L) are not errors here, the loader meets
// the end of its text instead. Script grows only by what was really read.
OpenPackageResult OpenPackage(platform::File &F, PackageLayout &Layout, std::string &Script);

// Stops the walk early when it returns false (a cancelled installation).
using EntryAction = std::function<bool(uint64_t HeaderPosition, const TEntryHeader &Header)>;

// The picture walk from Position (the first entry header): calls OnPicture
// for each header of type 1, 2 or 3 and returns the position of the header
// that stopped the walk (FFilesPosition): the uninstaller's header, the first
// group header, or the end of the file. Stops at a header of another type,
// at a header that ends the file, at a read failure, or when OnPicture
// returns false (then the position of the next header is returned).
uint64_t WalkPictures(platform::File &F, uint64_t Position, const EntryAction &OnPicture);

// Reads the header at FilesPosition; when it is the uninstaller and the
// script asks for one, calls OnUninstaller with it. Returns the position at
// which the groups start: after the uninstaller's entry, or FilesPosition.
uint64_t ReadUninstaller(platform::File &F, uint64_t FilesPosition, bool AddUnInstaller,
                         const EntryAction &OnUninstaller);

struct GroupIndexEntry {
  std::string Name; // upper-cased (a..z only)
  uint64_t Position = 0;
};

// Indexes the chain of group headers from Position. Ends quietly at a header
// that is not a group header, at the end of the file, and also when a
// next-group offset does not move forward past the header or points beyond
// the file, so a damaged chain cannot loop.
std::vector<GroupIndexEntry> BuildGroupIndex(platform::File &F, uint64_t Position);

// Position of the first group whose name equals Name without regard to
// letter case; false when none. The whole name is compared, so a name that
// holds "=" is found like any other.
bool FindGroupPosition(const std::vector<GroupIndexEntry> &Index, const std::string &Name,
                       uint64_t &Position);

// A name the authoring tool may give a group: at most 255 characters and no
// "=" (the index of older launchers keys on the text before the first "=",
// so such a name could hide another group there).
bool IsValidGroupName(const std::string &Name);

// The file entries of the group whose header is at GroupPosition: calls
// OnFile for each of the header's PackedSize file entries, stepping by each
// entry's own header whatever OnFile did with the file position. Stops at a
// header that is not a file entry, at a read failure, or when OnFile returns
// false. Returns false when GroupPosition holds no group header.
bool WalkGroupFiles(platform::File &F, uint64_t GroupPosition, const EntryAction &OnFile);

} // namespace package
