// Program entry of the setup launcher. Finds the package appended to the
// program's own file and loads its script; a bare launcher (no package)
// says "File corrupted!" and ends. The wizard and the installation are
// driven from the main window once it exists.
#include <windows.h>

#include "package/Package.h"
#include "package/SetupModel.h"
#include "package/SetupScript.h"
#include "platform/MemoryFile.h"
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

  package::PackageLayout layout;
  std::string script;
  package::OpenPackageResult r =
      file ? package::OpenPackage(*file, layout, script) : package::OpenPackageResult::Corrupted;
  if (r == package::OpenPackageResult::Corrupted) {
    msg.ShowMessage("File corrupted!", ErrorCaption, platform::MbOk | platform::MbIconError);
    return 1;
  }
  if (r == package::OpenPackageResult::NothingToDo) {
    msg.ShowMessage("Nothing to do!", ErrorCaption, platform::MbOk | platform::MbIconError);
    return 1;
  }
  package::TOpenFileType model;
  package::InitSetupModel(model);
  platform::MemoryFile stream(std::vector<uint8_t>(script.begin(), script.end()));
  int rc = package::LoadSetupScript(model, stream, msg);
  package::FreeSetupModel(model);
  return rc == package::ScriptOk ? 0 : 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Run(); }
