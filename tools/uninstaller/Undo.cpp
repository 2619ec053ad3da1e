#include "Undo.h"

#include "install/ReplacedFiles.h"

namespace uninst {
namespace {

using platform::RootKey;

bool SameText(const std::string &A, const std::string &B) {
  if (A.size() != B.size())
    return false;
  for (size_t I = 0; I < A.size(); ++I) {
    char X = A[I], Y = B[I];
    if (X >= 'a' && X <= 'z')
      X = char(X - 32);
    if (Y >= 'a' && Y <= 'z')
      Y = char(Y - 32);
    if (X != Y)
      return false;
  }
  return true;
}

const char *RootName(RootKey Root) {
  switch (Root) {
  case RootKey::ClassesRoot:
    return "HKEY_CLASSES_ROOT";
  case RootKey::CurrentUser:
    return "HKEY_CURRENT_USER";
  case RootKey::LocalMachine:
    return "HKEY_LOCAL_MACHINE";
  case RootKey::Users:
    return "HKEY_USERS";
  case RootKey::CurrentConfig:
    return "HKEY_CURRENT_CONFIG";
  case RootKey::DynData:
    return "HKEY_DYN_DATA";
  default:
    return "HKEY_PERFORMANCE_DATA";
  }
}

class Runner {
public:
  Runner(platform::FileSystem &F, platform::Registry &R, const UndoOptions &O, UndoReport &Rep)
      : Files(F), Reg(R), Options(O), Report(Rep) {}

  void RemoveFile(const std::string &Path) {
    if (Files.DirectoryExists(Path))
      return; // a directory took the file's place: not what was recorded
    if (!Files.FileExists(Path))
      return RecoverLeftovers(Path); // already gone: nothing else to undo
    if (!Options.SelfPath.empty() && SameText(Path, Options.SelfPath)) {
      if (Options.ScheduleRemoval && Options.ScheduleRemoval(Path))
        Report.Scheduled.push_back(Path);
      else
        Report.NotRemoved.push_back(Path);
      return;
    }
    uint32_t A = Files.GetAttributes(Path);
    bool Cleared = false;
    if (A != platform::AttrInvalid && (A & platform::AttrReadOnly))
      Cleared = Files.SetAttributes(Path, A & ~uint32_t(platform::AttrReadOnly));
    if (Files.RemoveFile(Path)) {
      ++Report.Removed;
      return RecoverLeftovers(Path);
    }
    if (Cleared)
      Files.SetAttributes(Path, A); // leave it as it was
    Report.NotRemoved.push_back(Path);
  }

  // True when the directory is gone (or was never there).
  bool RemoveDirectory(const std::string &Path) {
    if (!Files.DirectoryExists(Path))
      return true;
    std::vector<platform::DirEntry> Entries;
    bool Listed = Files.ListDirectory(Path, Entries);
    if (Listed && !Entries.empty()) {
      Report.NotEmpty.push_back(Path);
      return false;
    }
    uint32_t A = Files.GetAttributes(Path);
    if (A != platform::AttrInvalid && (A & platform::AttrReadOnly))
      Files.SetAttributes(Path, A & ~uint32_t(platform::AttrReadOnly));
    if (Files.DeleteDirectory(Path)) {
      ++Report.Removed;
      return true;
    }
    Entries.clear();
    if (Files.ListDirectory(Path, Entries) && !Entries.empty())
      Report.NotEmpty.push_back(Path);
    else
      Report.NotRemoved.push_back(Path);
    return false;
  }

  void DeleteValue(const RegistryRecord &V) {
    auto Key = Reg.OpenKey(V.Root, V.KeyPath, false);
    if (!Key || !Key->ValueExists(V.ValueName))
      return; // already gone
    Key.reset();
    // The key exists, so opening it for writing creates nothing.
    auto Writable = Reg.OpenKey(V.Root, V.KeyPath, true);
    if (!Writable || !Writable->DeleteValue(V.ValueName)) {
      Report.NotRemoved.push_back(DescribeValue(V));
      return;
    }
    Writable.reset();
    ++Report.Removed;
    PruneEmptyKeys(V.Root, V.KeyPath);
  }

  void RemoveRegistration(const std::string &Title) {
    std::string Path = RegistrationKey(Title);
    auto Key = Reg.OpenKey(RootKey::LocalMachine, Path, false);
    if (!Key)
      return;
    std::string Name;
    // Only the registration of this title: a key whose name matches but
    // that shows another program is not ours.
    if (!Key->ReadString("DisplayName", Name) || !SameText(Name, Title))
      return;
    Key.reset();
    if (Reg.DeleteKey(RootKey::LocalMachine, Path))
      ++Report.Removed;
    else
      Report.NotRemoved.push_back(std::string("HKEY_LOCAL_MACHINE\\") + Path);
  }

  void RemoveLog(const std::string &Path) {
    if (!Files.FileExists(Path))
      return;
    uint32_t A = Files.GetAttributes(Path);
    if (A != platform::AttrInvalid && (A & platform::AttrReadOnly))
      Files.SetAttributes(Path, A & ~uint32_t(platform::AttrReadOnly));
    if (Files.RemoveFile(Path))
      ++Report.Removed;
    else
      Report.NotRemoved.push_back(Path);
  }

private:
  // An installation cut short by a crash may have left its new copy of the
  // file beside it, and the user's earlier file kept aside: the first goes,
  // the second is put back where the user had it.
  void RecoverLeftovers(const std::string &Path) {
    const install::Leftovers L = install::RecoverLeftovers(Files, Path);
    Report.Removed += int(L.Removed);
    if (L.Restored)
      Report.Restored.push_back(Path);
  }

  // Deletes the key when it has no values and no sub-keys, then its parents
  // likewise; top-level keys (SOFTWARE, a class name...) always stay.
  void PruneEmptyKeys(RootKey Root, std::string Path) {
    while (Path.find('\\') != std::string::npos) {
      auto Key = Reg.OpenKey(Root, Path, false);
      if (!Key)
        return;
      std::vector<std::string> Values, SubKeys;
      if (!Key->ListValues(Values) || !Key->ListSubKeys(SubKeys) || !Values.empty() ||
          !SubKeys.empty())
        return;
      Key.reset();
      if (!Reg.DeleteKey(Root, Path))
        return;
      Path.erase(Path.rfind('\\'));
    }
  }

  platform::FileSystem &Files;
  platform::Registry &Reg;
  const UndoOptions &Options;
  UndoReport &Report;
};

} // namespace

std::string DescribeValue(const RegistryRecord &V) {
  return std::string(RootName(V.Root)) + "\\" + V.KeyPath + "\\" +
         (V.ValueName.empty() ? "(Default)" : V.ValueName);
}

UndoReport RunUndo(const UndoPlan &Plan, platform::FileSystem &Files, platform::Registry &Reg,
                   const UndoOptions &Options) {
  UndoReport Report;
  Runner R(Files, Reg, Options, Report);
  for (size_t I = 0; I < Plan.Steps.size(); ++I) {
    const UndoStep &S = Plan.Steps[I];
    if (Options.Progress)
      Options.Progress(I, Plan.Steps.size(),
                       S.Kind == StepKind::DeleteValue ? DescribeValue(S.Value) : S.Path);
    switch (S.Kind) {
    case StepKind::RemoveLink:
    case StepKind::RemoveFile:
      R.RemoveFile(S.Path);
      break;
    case StepKind::DeleteValue:
      R.DeleteValue(S.Value);
      break;
    case StepKind::RemoveFolder:
    case StepKind::RemoveDirectory:
      R.RemoveDirectory(S.Path);
      break;
    case StepKind::RemoveRegistration:
    case StepKind::RemoveLog:
      // With anything left behind the user can run the uninstallation again
      // once the files are no longer in use; that needs both.
      if (!Report.NotRemoved.empty()) {
        Report.KeptForRetry = true;
        break;
      }
      if (S.Kind == StepKind::RemoveRegistration)
        R.RemoveRegistration(S.Title);
      else
        R.RemoveLog(S.Path);
      break;
    }
  }
  // The log may lie in a directory the installation created; with the log
  // gone that directory may now be empty.
  if (!Report.KeptForRetry && !Report.NotEmpty.empty()) {
    std::vector<std::string> Again;
    Again.swap(Report.NotEmpty);
    for (const std::string &P : Again)
      R.RemoveDirectory(P);
  }
  if (Options.Progress)
    Options.Progress(Plan.Steps.size(), Plan.Steps.size(), std::string());
  return Report;
}

} // namespace uninst
