// Loading the setup script into the setup model.
#pragma once

#include <functional>
#include <string>

#include "controls/Bitmap.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

namespace package {

// Load errors, as the loader keeps them.
enum : int {
  ScriptOk = 0,
  ScriptNotASetupFile = 2, // "File is not a VemoInstall file!"
  ScriptTruncated = 3,     // "File is truncated!"
};

inline constexpr char MsgNotASetupFile[] = "File is not a VemoInstall file!";
inline constexpr char MsgTruncated[] = "File is truncated!";

// Loads a picture file from disk for the authoring side's preview; the
// launcher passes none and takes its pictures from the package.
using PictureFileLoader = std::function<bool(const std::string &Path, controls::Bitmap &Out)>;

// Nested [Dir], [Key] and [Grp] blocks deeper than this make the script
// damaged ("File is not a VemoInstall file!"), so a hostile script can
// neither exhaust the stack nor be read into a wrong tree.
inline constexpr int MaxScriptNesting = 100;

// Fills Model from the script in Stream (read from its start). Errors are
// shown through Msg as error boxes and leave the model at its defaults
// (page texts already read excepted); the error code is returned.
int LoadSetupScript(TOpenFileType &Model, platform::File &Stream, platform::Messages &Msg,
                    const PictureFileLoader &LoadPicture = {});

} // namespace package
