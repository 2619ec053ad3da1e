// Where the pictures of the package go: the background, the frames of an
// image group (by the entry's name), the logo of a page (by name).
#pragma once

#include "controls/Bitmap.h"
#include "package/SetupModel.h"

#include <string>

namespace driver {

// The entry name of an image-group frame as a group key: cut at the first
// character of code 1, upper-cased (a..z only).
std::string ImageGroupKey(const std::string &EntryName);

// Appends Frame to the first image group whose upper-cased name equals the
// entry's key; false (the frame is not kept) when none does.
bool AddImageGroupFrame(package::TOpenFileType &Model, const controls::Bitmap &Frame,
                        const std::string &EntryName);

// The pages a logo entry can name.
enum class LogoPage { None, Welcome, Destination, ProgramFolder, SelectComponents, ReadyToInstall };

// The page of a logo entry, by its upper-cased name.
LogoPage LogoPageOf(const std::string &EntryName);

} // namespace driver
