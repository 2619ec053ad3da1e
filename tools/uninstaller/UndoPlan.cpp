#include "UndoPlan.h"

namespace uninst {
namespace {

std::string StripSlashes(std::string P) {
  while (!P.empty() && P.back() == '\\')
    P.pop_back();
  return P;
}

void AddPaths(UndoPlan &Plan, const std::vector<std::string> &Records, StepKind Kind,
              bool Directory) {
  for (size_t I = Records.size(); I-- > 0;) {
    const std::string &R = Records[I];
    if (!IsSafeAbsolutePath(R, Directory)) {
      Plan.Ignored.push_back(R);
      continue;
    }
    std::string P = StripSlashes(R);
    // A drive or share root is never ours to remove.
    size_t Levels = 0;
    for (char C : P)
      Levels += C == '\\';
    bool Root = (P.size() == 2 && P[1] == ':') || (P[0] == '\\' && Levels < 4);
    if (Root) {
      Plan.Ignored.push_back(R);
      continue;
    }
    Plan.Steps.push_back({Kind, P, {}, {}});
  }
}

} // namespace

bool IsSafeAbsolutePath(const std::string &Path, bool TrailingSlash) {
  if (Path.size() < 3)
    return false;
  size_t Start;
  char D = Path[0];
  if (((D >= 'A' && D <= 'Z') || (D >= 'a' && D <= 'z')) && Path[1] == ':' && Path[2] == '\\')
    Start = 3;
  else if (Path[0] == '\\' && Path[1] == '\\' && Path[2] != '\\')
    Start = 2;
  else
    return false;
  if (!TrailingSlash && Path.back() == '\\')
    return false;
  for (char C : Path)
    if (static_cast<unsigned char>(C) < 32 || C == '*' || C == '?' || C == '"' || C == '<' ||
        C == '>' || C == '|' || C == '/')
      return false;
  if (Path.find(':', 2) != std::string::npos)
    return false; // alternate data streams and drive letters mid-path
  if (Path.find("\\\\", Start) != std::string::npos)
    return false; // an empty level
  // Every level must be a real name: "..", "." or blanks and dots alone
  // would reach outside what the record names.
  for (size_t I = Start; I < Path.size();) {
    size_t E = Path.find('\\', I);
    if (E == std::string::npos)
      E = Path.size();
    std::string Level = Path.substr(I, E - I);
    if (Level.empty() || Level.find_first_not_of(". ") == std::string::npos)
      return false;
    I = E + 1;
  }
  return true;
}

std::string RegistrationKey(const std::string &Title) {
  return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + Title;
}

bool IsSafeTitle(const std::string &Title) {
  if (Title.empty() || Title.find('\\') != std::string::npos)
    return false;
  for (char C : Title)
    if (static_cast<unsigned char>(C) < 32)
      return false;
  return true;
}

UndoPlan BuildUndoPlan(const UninstallLog &Log, const std::string &Title,
                       const std::string &LogPath) {
  UndoPlan Plan;
  AddPaths(Plan, Log.ProgramLinks, StepKind::RemoveLink, false);
  AddPaths(Plan, Log.Files, StepKind::RemoveFile, false);
  for (size_t I = Log.RegistryValues.size(); I-- > 0;) {
    RegistryRecord R;
    if (SplitRegistryRecord(Log.RegistryValues[I], R))
      Plan.Steps.push_back({StepKind::DeleteValue, {}, R, {}});
    else
      Plan.Ignored.push_back(Log.RegistryValues[I]);
  }
  AddPaths(Plan, Log.ProgramGroups, StepKind::RemoveFolder, true);
  AddPaths(Plan, Log.Directories, StepKind::RemoveDirectory, true);
  if (IsSafeTitle(Title))
    Plan.Steps.push_back({StepKind::RemoveRegistration, {}, {}, Title});
  Plan.Steps.push_back({StepKind::RemoveLog, LogPath, {}, {}});
  return Plan;
}

} // namespace uninst
