#include "driver/LauncherPackage.h"

#include "package/SetupScript.h"
#include "platform/MemoryFile.h"

#include <string>
#include <vector>

namespace driver {

LauncherPackage LoadLauncherPackage(platform::File &File, package::TOpenFileType &Model,
                                    platform::Messages &Msg,
                                    const package::EntryAction &OnPicture) {
  LauncherPackage Out;
  package::PackageLayout Layout;
  std::string Script;
  Out.Result = package::OpenPackage(File, Layout, Script);
  if (Out.Result != package::OpenPackageResult::Ok)
    return Out;
  package::InitSetupModel(Model);
  platform::LendingMemoryFile Stream(std::vector<uint8_t>(Script.begin(), Script.end()));
  Out.ScriptResult = package::LoadSetupScript(Model, Stream, Msg);
  Out.FilesPosition = package::WalkPictures(File, Layout.EntriesPosition, OnPicture);
  return Out;
}

} // namespace driver
