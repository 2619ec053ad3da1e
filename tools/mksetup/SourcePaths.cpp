#include "SourcePaths.h"

#include <vector>

namespace mksetup {
namespace {

std::string Slashes(std::string Text) {
  for (char &C : Text)
    if (C == '/')
      C = '\\';
  return Text;
}

bool IsAbsolute(const std::string &P) {
  const bool Drive = P.size() >= 2 && P[1] == ':' &&
                     ((P[0] >= 'A' && P[0] <= 'Z') || (P[0] >= 'a' && P[0] <= 'z'));
  return Drive || (!P.empty() && P[0] == '\\');
}

std::vector<std::string> Components(const std::string &P) {
  std::vector<std::string> Out;
  size_t Start = 0;
  while (Start <= P.size()) {
    size_t End = P.find('\\', Start);
    if (End == std::string::npos)
      End = P.size();
    std::string Part = P.substr(Start, End - Start);
    if (!Part.empty() && Part != ".")
      Out.push_back(Part);
    Start = End + 1;
  }
  return Out;
}

} // namespace

std::string JoinPath(const std::string &Dir, const std::string &Name) {
  if (Dir.empty())
    return Name;
  if (Dir.back() == PathSeparator || Dir.back() == '/')
    return Dir + Name;
  return Dir + PathSeparator + Name;
}

std::string UpperAscii(std::string Text) {
  for (char &C : Text)
    if (C >= 'a' && C <= 'z')
      C = char(C - 'a' + 'A');
  return Text;
}

bool ResolveSourcePath(platform::FileSystem &Files, const std::string &SourceRoot,
                       const std::string &RootDir, const std::string &AuthorPath,
                       std::string &Resolved, std::string &Error) {
  std::string P = Slashes(AuthorPath);
  if (P.empty()) {
    Error = "empty source file name";
    return false;
  }
  if (IsAbsolute(P)) {
    std::string Root = Slashes(RootDir);
    while (!Root.empty() && Root.back() == '\\')
      Root.pop_back();
    const bool Below = !Root.empty() && P.size() > Root.size() &&
                       UpperAscii(P.substr(0, Root.size())) == UpperAscii(Root) &&
                       P[Root.size()] == '\\';
    if (!Below) {
      Error = "\"" + AuthorPath + "\" is absolute but not below ROOT_DIR \"" + RootDir + "\"";
      return false;
    }
    P = P.substr(Root.size());
  }
  std::string Path = SourceRoot;
  const auto Parts = Components(P);
  if (Parts.empty()) {
    Error = "\"" + AuthorPath + "\" names no file";
    return false;
  }
  for (size_t i = 0; i < Parts.size(); ++i) {
    const std::string &Part = Parts[i];
    if (Part == "..") {
      Error = "\"" + AuthorPath + "\" leaves the source folder";
      return false;
    }
    const bool Last = i + 1 == Parts.size();
    std::string Next = JoinPath(Path, Part);
    if (Last ? Files.FileExists(Next) : Files.DirectoryExists(Next)) {
      Path = Next;
      continue;
    }
    // Windows names ignore letter case; find the one spelling there is.
    std::vector<platform::DirEntry> List;
    std::string Found;
    int Matches = 0;
    if (Files.ListDirectory(Path, List)) {
      for (const auto &E : List)
        if (E.IsDirectory != Last && UpperAscii(E.Name) == UpperAscii(Part)) {
          Found = E.Name;
          ++Matches;
        }
    }
    if (Matches != 1) {
      Error = Matches > 1
                  ? "\"" + AuthorPath + "\" matches several files differing in case"
                  : "source file \"" + AuthorPath + "\" not found (looked for " + Next + ")";
      return false;
    }
    Path = JoinPath(Path, Found);
  }
  Resolved = Path;
  return true;
}

} // namespace mksetup
