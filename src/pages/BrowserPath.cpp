#include "pages/BrowserPath.h"

#include "package/ScriptCodecs.h"

namespace pages {

std::vector<std::string> PathSteps(const std::string &Path) {
  std::vector<std::string> Steps;
  size_t From = 0;
  while (From < Path.size()) {
    size_t Slash = Path.find('\\', From);
    size_t End = Slash == std::string::npos ? Path.size() : Slash + 1;
    Steps.push_back(Path.substr(0, End));
    From = End;
  }
  return Steps;
}

std::string DeepestExistingStep(platform::FileSystem &Files, const std::string &Path) {
  std::string Deepest;
  for (const std::string &Step : PathSteps(Path))
    if (Files.DirectoryExists(Step))
      Deepest = Step;
  return Deepest;
}

std::string NormaliseTypedPath(const std::string &Typed, const std::string &DriveBoxText) {
  std::string Drive = package::TrimText(DriveBoxText).substr(0, 2);
  std::string Path = Typed;
  if (Path.size() < 2 || Path[1] != ':')
    Path = Drive + "\\" + Path;
  if (Path.size() < 3 || Path[2] != '\\') {
    size_t At = Path.size() < 2 ? Path.size() : 2;
    Path = Path.substr(0, At) + '\\' + Path.substr(At);
  }
  std::string Out;
  Out.reserve(Path.size());
  for (char C : Path)
    if (C != '\\' || Out.empty() || Out.back() != '\\')
      Out += C;
  return Out;
}

std::string BrowserResult(platform::FileSystem &Files, const std::string &Typed,
                          const std::string &DriveBoxText) {
  if (Files.DirectoryExists(Typed))
    return Typed;
  return NormaliseTypedPath(Typed, DriveBoxText);
}

std::string DriveOfPath(const std::string &Path) {
  if (Path.size() < 2 || Path[1] != ':')
    return std::string();
  char Letter = Path[0];
  if (Letter >= 'A' && Letter <= 'Z')
    Letter = char(Letter + 32);
  if (Letter < 'a' || Letter > 'z')
    return std::string();
  return std::string(1, Letter) + ":";
}

} // namespace pages
