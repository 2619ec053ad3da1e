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
  // Each name is tried at once: the making fails where anything has the
  // name, so the usual case costs one call, and a name taken (a new copy an
  // earlier run left, or one someone made since) is seen after the failure.
  for (int N = 1; N < 10000; ++N) {
    const std::string Candidate = Path + "." + Tag + std::to_string(N);
    if (std::unique_ptr<platform::File> F = Files.Open(Candidate, platform::OpenMode::CreateNew)) {
      Name = Candidate;
      return F;
    }
    // Any other failure (no directory, no access, a full directory) will
    // not go away with another name.
    if (Files.GetAttributes(Candidate) == platform::AttrInvalid)
      return nullptr;
  }
  return nullptr;
}

bool ReplacedFiles::Replace(const std::string &NewFile, const std::string &Destination,
                            bool KeepAttributes) {
  const std::string Key = Upper(Destination);
  const bool Ours = FWritten.count(Key) != 0;
  // Where nothing stands the new file takes the name and keeps the
  // attributes it was made with. A rename never replaces, so a file that
  // is there shows as its failure.
  if (!Ours && FFiles.RenameFile(NewFile, Destination)) {
    FWritten.insert(Key);
    return true;
  }
  const uint32_t Attributes = FFiles.GetAttributes(Destination);
  if (Attributes == platform::AttrInvalid)
    return Ours && FFiles.RenameFile(NewFile, Destination);
  if (Attributes & platform::AttrDirectory)
    return false;
  if (Ours) {
    // This run's own earlier copy: the user's file, if any, is kept already.
    FFiles.SetAttributes(Destination, platform::AttrNormal);
    if (!FFiles.MoveReplacing(NewFile, Destination)) {
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
  FFiles.SetAttributes(Destination, KeepAttributes ? Attributes : platform::AttrNormal);
  return true;
}

void ReplacedFiles::NoteWritten(const std::string &Destination) {
  FWritten.insert(Upper(Destination));
}

bool ReplacedFiles::Wrote(const std::string &Destination) const {
  return FWritten.count(Upper(Destination)) != 0;
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
