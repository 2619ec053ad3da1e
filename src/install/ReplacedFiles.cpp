#include "install/ReplacedFiles.h"

namespace install {

namespace {

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 'a' + 'A');
  return S;
}

// A name beside Path that nothing has now.
std::string FreeName(platform::FileSystem &Files, const std::string &Path, const std::string &Tag,
                     int &N) {
  for (; N < 10000; ++N) {
    const std::string Name = Path + "." + Tag + std::to_string(N);
    if (!Files.FileExists(Name) && !Files.DirectoryExists(Name))
      return Name;
  }
  return {};
}

// The names in use of Path + "." + Tag + a number, in rising order. Numbers
// are taken from 1 upwards, the lowest free first, so the search ends four
// numbers after the last one found (a gap is a name freed since).
std::vector<std::string> TaggedNames(platform::FileSystem &Files, const std::string &Path,
                                     const std::string &Tag) {
  std::vector<std::string> Found;
  for (int N = 1, Last = 0; N <= Last + 4 && N < 10000; ++N) {
    const std::string Name = Path + "." + Tag + std::to_string(N);
    if (Files.FileExists(Name)) {
      Found.push_back(Name);
      Last = N;
    }
  }
  return Found;
}

} // namespace

Leftovers RecoverLeftovers(platform::FileSystem &Files, const std::string &Destination) {
  Leftovers Result;
  for (const std::string &Name : TaggedNames(Files, Destination, "tcnew")) {
    Files.SetAttributes(Name, platform::AttrNormal);
    if (Files.RemoveFile(Name))
      ++Result.Removed;
  }
  std::vector<std::string> Kept = TaggedNames(Files, Destination, "tcold");
  // A rename never replaces a file, so a destination that appears in the
  // meantime is left as it is.
  if (!Kept.empty() && !Files.FileExists(Destination) && !Files.DirectoryExists(Destination) &&
      Files.RenameFile(Kept.front(), Destination)) {
    Result.Restored = true;
    Kept.erase(Kept.begin());
  }
  Result.Kept = Kept.size();
  return Result;
}

Leftovers ReplacedFiles::Recover(const std::string &Destination) {
  if (FWritten.count(Upper(Destination)))
    return {};
  return RecoverLeftovers(FFiles, Destination);
}

std::unique_ptr<platform::File> CreateBeside(platform::FileSystem &Files, const std::string &Path,
                                             const std::string &Tag, std::string &Name) {
  int N = 1;
  for (int Attempt = 0; Attempt < 100; ++Attempt, ++N) {
    const std::string Candidate = FreeName(Files, Path, Tag, N);
    if (Candidate.empty())
      return nullptr;
    if (std::unique_ptr<platform::File> F = Files.Open(Candidate, platform::OpenMode::CreateNew)) {
      Name = Candidate;
      return F;
    }
    // Made by someone else since the test: choose again. Any other failure
    // (no directory, no access) will not go away.
    if (!Files.FileExists(Candidate) && !Files.DirectoryExists(Candidate))
      return nullptr;
  }
  return nullptr;
}

bool ReplacedFiles::Replace(const std::string &NewFile, const std::string &Destination,
                            bool KeepAttributes) {
  const std::string Key = Upper(Destination);
  if (!FFiles.FileExists(Destination)) {
    if (!FFiles.RenameFile(NewFile, Destination))
      return false;
    FWritten.insert(Key);
    return true;
  }
  const uint32_t Attributes = FFiles.GetAttributes(Destination);
  const bool Keep = KeepAttributes && Attributes != platform::AttrInvalid;
  if (FWritten.count(Key)) {
    // This run's own earlier copy: the user's file, if any, is kept already.
    FFiles.SetAttributes(Destination, platform::AttrNormal);
    if (!FFiles.MoveReplacing(NewFile, Destination)) {
      if (Attributes != platform::AttrInvalid)
        FFiles.SetAttributes(Destination, Attributes);
      return false;
    }
  } else {
    int N = 1;
    const std::string Aside = FreeName(FFiles, Destination, "tcold", N);
    // A rename keeps the file whole and its attributes with it.
    if (Aside.empty() || !FFiles.RenameFile(Destination, Aside))
      return false;
    if (!FFiles.RenameFile(NewFile, Destination)) {
      FFiles.RenameFile(Aside, Destination);
      return false;
    }
    FKept.push_back({Destination, Aside});
    FWritten.insert(Key);
  }
  FFiles.SetAttributes(Destination, Keep ? Attributes : platform::AttrNormal);
  return true;
}

size_t ReplacedFiles::Restore() {
  size_t Failed = 0;
  for (auto It = FKept.rbegin(); It != FKept.rend(); ++It) {
    FFiles.SetAttributes(It->Destination, platform::AttrNormal);
    if (!FFiles.MoveReplacing(It->Aside, It->Destination))
      ++Failed;
  }
  FKept.clear();
  FWritten.clear();
  return Failed;
}

void ReplacedFiles::Discard() {
  for (const Kept &K : FKept) {
    FFiles.SetAttributes(K.Aside, platform::AttrNormal);
    FFiles.RemoveFile(K.Aside);
  }
  FKept.clear();
  FWritten.clear();
}

} // namespace install
