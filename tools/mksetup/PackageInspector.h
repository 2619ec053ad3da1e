// `mksetup list`, `test`, `extract` and `script`: reading a built setup
// executable back the way the launcher does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/Package.h"
#include "platform/Platform.h"

namespace mksetup {

struct PackageEntry {
  uint64_t Position = 0;
  package::TEntryHeader Header;
};

struct OpenedPackage {
  std::unique_ptr<platform::File> Source;
  // Source read through a buffer: walking thousands of entries reads a
  // header, seeks and reads data for each, and a system call for each cost
  // more than decoding the small ones. The buffer after the one being
  // decoded is read on a second thread meanwhile.
  std::unique_ptr<platform::File> File;
  package::PackageLayout Layout;
  std::string Script;
  std::vector<PackageEntry> Entries;
};

// Opens the package and reads every header from the first entry to the end
// of the file (a group header has no data; a linked entry none of its own).
// False with a message when the package cannot be found or a header is cut
// short; the headers read so far are kept.
bool OpenPackageFile(platform::FileSystem &Files, const std::string &Path, OpenedPackage &Out,
                     std::string &Error);

// One line per entry, tab-separated: header offset, type, name, stored
// size, decoded size, checksum, link offset, version, file date.
std::string FormatEntryLine(const PackageEntry &E);

// Every check a sound package passes: the script loads without a message,
// the entries come in the launcher's order, the group chain and file counts
// hold, every file entry resolves in its group's tree, and every entry
// decodes with its checksum. Problems go to Problems, one per line.
bool TestPackage(OpenedPackage &Package, std::string &Problems);

enum class TestResult { NotOpened, Unsound, Sound };

// OpenPackageFile and TestPackage in one reading of the file: each entry is
// decoded as the walk through the headers passes it. NotOpened with Error
// where OpenPackageFile fails; else the problems TestPackage finds.
TestResult TestPackageFile(platform::FileSystem &Files, const std::string &Path, OpenedPackage &Out,
                           std::string &Error, std::string &Problems);

// A name taken from a package made safe as one file name component on both
// systems: no separators or characters Windows refuses, no "." or "..", no
// trailing dot or blank, no device name (CON, NUL, COM1... with or without
// an extension).
std::string SafeComponent(const std::string &Name);

// Writes every data entry below Dir: files as <group>/<path>, pictures and
// the uninstaller under "_package". Characters that cannot stand in a file
// name become "_".
bool ExtractPackage(platform::FileSystem &Files, OpenedPackage &Package, const std::string &Dir,
                    std::string &Error);

} // namespace mksetup
