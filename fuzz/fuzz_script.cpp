// The setup script loader over arbitrary text, then the look-ups the
// installer makes on what it loaded, and a reset.
#include "package/ScriptCodecs.h"
#include "package/SetupScript.h"
#include "platform/MemoryFile.h"

namespace {
class QuietMessages : public platform::Messages {
public:
  int ShowMessage(const std::string &, const std::string &, uint32_t) override { return 1; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  package::TOpenFileType Model;
  package::InitSetupModel(Model);
  QuietMessages Msg;
  // Loaded as the launcher loads it, from a stream that lends its memory
  // (lines scanned in stretches), and byte by byte: the two must agree.
  platform::LendingMemoryFile F(std::vector<uint8_t>(Data, Data + Size));
  int E = package::LoadSetupScript(Model, F, Msg);
  if (E != package::ScriptOk && !Model.Groups.Empty())
    __builtin_trap(); // a failed load leaves the defaults
  {
    package::TOpenFileType Bytes;
    package::InitSetupModel(Bytes);
    platform::MemoryFile B(std::vector<uint8_t>(Data, Data + Size));
    if (package::LoadSetupScript(Bytes, B, Msg) != E || Bytes.Title != Model.Title ||
        Bytes.Groups.Count() != Model.Groups.Count() ||
        Bytes.SetupTypes.Count() != Model.SetupTypes.Count() || Bytes.RootDir != Model.RootDir)
      __builtin_trap();
    package::FreeSetupModel(Bytes);
  }
  for (package::GroupType &G : Model.Groups) {
    // Every file the model holds is found by the path the package gives it.
    if (const package::DirType *D = G.RootDir.SubDirs.First())
      for (const package::FileType &File : D->Files)
        if (!D->Name.empty() && D->Name.find('\\') == std::string::npos &&
            File.Name.find('\\') == std::string::npos &&
            !package::FindGroupFile(G, "\\" + D->Name + "\\" + File.Name))
          __builtin_trap();
    package::FindGroup(Model.Groups, G.Name);
  }
  for (package::SetupType &T : Model.SetupTypes)
    for (package::DefaultDirectoryType &D : T.DefaultDirs)
      for (const std::string &Ev : D.Events)
        package::GetFieldText(Ev, 4);
  package::ResetSetupModel(Model);
  package::FreeSetupModel(Model);
  return 0;
}
