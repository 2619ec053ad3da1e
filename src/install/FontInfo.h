// TrueType font names and font registration: the display name under which
// an installed font is entered in the registry's font list, and the version
// text that stands in for a version resource.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace install {

enum FontNameMode : int {
  FontDisplayName = 1, // full name, else family + " " + subfamily
  FontVersionText = 2, // the version record without a leading "Version"
};

// Reads the "name" table of an sfnt file. False (not found) for a file that
// is no font, has no usable name records, or whose tables or strings lie
// outside the file.
bool ReadFontName(platform::File &Font, int Mode, std::string &Text);
bool ReadFontName(platform::FileSystem &Files, const std::string &FileName, int Mode,
                  std::string &Text);

// The trimmed display name; false (and empty) when there is none.
bool GetFontName(platform::FileSystem &Files, const std::string &FileName, std::string &FontName);

// The font list key under HKEY_LOCAL_MACHINE for an OS platform identifier.
std::string FontListKey(uint32_t PlatformId);

// How long one window may take to answer the font-change broadcast.
constexpr uint32_t FontChangeTimeoutMs = 2000;

// Adds the font to the window system, tells every top-level window and
// enters FontName → file name (no directory) in the font list. Errors are
// swallowed; nothing happens for an empty name or a missing file.
void RegisterFont(const platform::Platform &System, const std::string &FileName,
                  const std::string &FontName, const platform::OsVersionInfo &VersionInfo);

} // namespace install
