// The whole installation over arbitrary package bytes, on the in-memory
// machine of the engine's tests: a fixed script with two setup types, files
// under every kind of policy, some of them already on the machine, message
// boxes answered Abort or Ignore and a Cancel at a point the input picks.
// Whatever the package holds, the run ends on the finish or the aborted
// page; an aborted run leaves nothing it made behind (no file, directory,
// log or temporary file) and every earlier file as it was, and a finished
// one leaves every file it recorded.
#include "../tests/install/EngineDouble.h"

#include "install/IfExistsPolicy.h"

#include <cstdio>
#include <cstdlib>
#include <map>

using namespace engine_double;

namespace {

const char App[] = "C:\\Program Files\\App";
const char LogFile[] = "C:\\WINDOWS\\tcUninst1.inf";

// Names the broken promise before stopping, so an artifact explains itself.
void Check(bool Ok, const char *What) {
  if (Ok)
    return;
  std::fprintf(stderr, "fuzz_install: %s\n", What);
  std::abort();
}

void MakeModel(package::TOpenFileType &Model) {
  Model.Title = "Fuzz";
  package::GroupType *Main = Model.Groups.AppendNew();
  Main->Name = "Main";
  package::GroupType *Extra = Model.Groups.AppendNew();
  Extra->Name = "Extra";
  AddFileRecord(*Main, "\\%InstallDir%\\a.txt", install::ieOverwrite);
  AddFileRecord(*Main, "\\%InstallDir%\\sub\\b.ini", install::ieMergeIniNew);
  AddFileRecord(*Main, "\\%InstallDir%\\sub\\c.cfg", install::ieMergeBlocks, true, "ID");
  AddFileRecord(*Main, "\\%InstallDir%\\sub\\k.ini", install::ieMergeIniKeep);
  AddFileRecord(*Main, "\\<SystemDir>\\d.dll", install::ieNewerVersion);
  AddFileRecord(*Main, "\\<FontDir>\\f.ttf", install::ieOverwrite);
  AddFileRecord(*Extra, "\\%InstallDir%\\e\\deep\\e.txt", install::ieNewerDate, false);
  AddFileRecord(*Extra, "\\%InstallDir%\\k.txt", install::ieKeep);
  AddFileRecord(*Extra, "\\%InstallDir%\\q.txt", install::ieAsk);
  package::SetupType *One = Model.SetupTypes.AppendNew();
  One->Groups = {"Main"};
  One->Selected = true;
  package::SetupType *Two = Model.SetupTypes.AppendNew();
  Two->Groups = {"Main", "Extra"};
  Two->Selected = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  if (Size < 2)
    return 0;
  const uint8_t Flags = Data[0];
  const int CancelAt = Data[1]; // 0: never
  Data += 2;
  Size -= 2;

  Machine M;
  package::TOpenFileType Model;
  MakeModel(Model);
  M.Msg.Default = (Flags & 1) ? platform::IdIgnore : platform::IdAbort;
  if (Flags & 2) {
    M.Fs.Dirs.insert("C:\\PROGRAM FILES");
    M.Fs.Dirs.insert("C:\\PROGRAM FILES\\APP");
    M.Fs.Dirs.insert("C:\\PROGRAM FILES\\APP\\SUB");
    M.Fs.Put(std::string(App) + "\\a.txt", "earlier");
    M.Fs.Put(std::string(App) + "\\sub\\b.ini", "[Main]\r\nKey=user\r\n");
    M.Fs.Put(std::string(App) + "\\sub\\c.cfg", "[Item]\r\n   ID=a\r\n[End]\r\n");
    M.Fs.Put(std::string(App) + "\\q.txt", "earlier");
  }
  if (Flags & 4)
    M.Fs.DiskLeft = uint64_t(Flags >> 3) << 12;
  int Pumps = 0;
  M.Status.OnPump = [&](RecordingStatus &St) {
    if (CancelAt && ++Pumps == CancelAt)
      St.Cancel = true;
  };
  const std::set<std::string> Dirs = M.Fs.Dirs;
  std::set<std::string> Files;
  std::map<std::string, Bytes> Before;
  for (auto &[K, N] : M.Fs.Nodes) {
    Files.insert(K);
    Before[K] = *N.Data;
  }

  std::vector<uint8_t> Bytes(16, 'M'); // the launcher's image
  Bytes.insert(Bytes.end(), Data, Data + Size);
  platform::MemoryFile Package(std::move(Bytes));
  install::InstallationEngine Engine(M.System, Model, M.Status, M.Folders, M.Services());
  const int Page = Engine.RunInstallation(Package, 16);

  Check(Page == install::FinishPage || Page == install::AbortedPage, "a page code");
  Check(M.Fs.Below("C:\\TEMP").empty(), "temporary files removed");
  // New copies and kept earlier files beside the destinations are gone.
  for (auto &[K, N] : M.Fs.Nodes)
    Check(K.find(".TCNEW") == std::string::npos && K.find(".TCOLD") == std::string::npos,
          "nothing left beside a destination");
  // Without a usable log nothing is recorded, so a rollback has nothing to
  // undo and what was installed stays.
  bool Logged = M.Fs.Has("C:\\WINDOWS\\tcUninst1.exe");
  for (const auto &Box : M.Msg.Shown)
    if (Box.Text.rfind("The installation program failed to create", 0) == 0)
      Logged = false;
  if (Page == install::AbortedPage) {
    Check(!M.Fs.Has(LogFile), "the log deleted");
    // Only the uninstaller program stays in the Windows directory.
    for (auto &[K, N] : M.Fs.Nodes)
      if (Logged)
        Check(Files.count(K) || K.compare(0, 19, "C:\\WINDOWS\\TCUNINST") == 0,
              "no installed file left");
    for (const std::string &D : M.Fs.Dirs)
      Check(!Logged || Dirs.count(D) != 0, "no created directory left");
    // What was there before is back as it was, merged files included.
    for (auto &[K, Data] : Before)
      Check(!Logged || (M.Fs.Nodes.count(K) && *M.Fs.Nodes[K].Data == Data),
            "every earlier file back as it was");
    Check(!M.Reg.Has(platform::RootKey::LocalMachine,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Fuzz",
                     "UninstallString"),
          "no registration");
  } else if (M.Fs.Has(LogFile)) {
    const uint32_t Count = uint32_t(
        std::strtoul(M.Ini.ReadString(LogFile, "Files", "Count", "0").c_str(), nullptr, 10));
    for (uint32_t N = 1; N <= Count; ++N)
      Check(M.Fs.Has(M.Ini.ReadString(LogFile, "Files", std::to_string(N), "")),
            "every recorded file there");
  }
  return 0;
}
