// Program entry of the setup launcher. Finds the package appended to the
// program's own file and loads its script; a bare launcher (no package)
// says "File corrupted!" and ends. The wizard and the installation are
// driven from the main window once it exists.
#include <windows.h>

#include "driver/LauncherPackage.h"
#include "package/SetupScript.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Messages.h"

namespace {

constexpr char ErrorCaption[] = "Error";

int Run() {
  platform::win32::Win32FileSystem fs;
  platform::win32::Win32Messages msg;
  char self[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::unique_ptr<platform::File> file;
  if (n > 0 && n < MAX_PATH)
    file = fs.Open(self, platform::OpenMode::Read);

  package::TOpenFileType model;
  driver::LauncherPackage loaded;
  if (file)
    loaded = driver::LoadLauncherPackage(
        *file, model, msg, [](uint64_t, const package::TEntryHeader &) { return true; });
  int rc = 1;
  if (loaded.Result == package::OpenPackageResult::Corrupted)
    msg.ShowMessage("File corrupted!", ErrorCaption, platform::MbOk | platform::MbIconError);
  else if (loaded.Result == package::OpenPackageResult::NothingToDo)
    msg.ShowMessage("Nothing to do!", ErrorCaption, platform::MbOk | platform::MbIconError);
  else
    rc = loaded.ScriptResult == package::ScriptOk ? 0 : 1;
  package::FreeSetupModel(model);
  return rc;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::RestrictDllSearch();
  return Run();
}
