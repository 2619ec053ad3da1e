// mksetup: the authoring tool. Writes a starting setup script for a folder,
// builds a setup executable from the launcher stub, a setup script and the
// files it names, and inspects built ones.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PackageBuilder.h"
#include "PackageInspector.h"
#include "ProgressLine.h"
#include "ScriptInit.h"
#include "SourcePaths.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/Win32File.h"
using NativeFileSystem = platform::win32::Win32FileSystem;
#else
#include "platform/posix/PosixFile.h"
using NativeFileSystem = platform::posix::PosixFileSystem;
#endif

#ifndef MKSETUP_VERSION
#define MKSETUP_VERSION "0.0.0"
#endif

namespace {

// Exit codes, as the help states them.
enum : int {
  ExitOk = 0,
  ExitFailed = 1,  // the work could not be done
  ExitUsage = 2,   // the command line is wrong
  ExitUnsound = 3, // `test` found the package damaged
};

const char kHelp[] =
    "usage: mksetup COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  init --source DIR --title TITLE -o SCRIPT [--force]\n"
    "      Write a complete, commented setup script that installs every file below\n"
    "      DIR, ready for `build`. SCRIPT is not overwritten unless --force is given.\n"
    "  build --script SCRIPT --source-root DIR -o SETUP.EXE [--stub STUB.EXE]\n"
    "        [--uninstaller UNINSTALLER.EXE] [--depth N|max] [--threads N] [--quiet]\n"
    "      Pack the script and the files it names (found below DIR) onto the\n"
    "      launcher STUB.EXE (default: setup.exe beside mksetup). The uninstaller\n"
    "      defaults to uninstaller.exe beside mksetup when that file exists.\n"
    "      --depth N (1-4096, default 32) trades build time for smaller packages;\n"
    "      --depth max (the same as 4096) searches every match: the smallest\n"
    "      packages, slowly. --threads N (1-64) codes on N threads, by default one\n"
    "      per processor; the package is the same whatever the number.\n"
    "      On a terminal a progress line shows files, megabytes and speed;\n"
    "      --quiet hides it.\n"
    "  list SETUP.EXE       One line per package entry, tab-separated: offset, type,\n"
    "                       name, stored size, size, checksum, link, version, date.\n"
    "  test SETUP.EXE       Decode every entry and check the script and checksums.\n"
    "  extract SETUP.EXE -d DIR\n"
    "                       Write every file, picture and the uninstaller below DIR.\n"
    "  script SETUP.EXE     Print the setup script stored in the package.\n"
    "\n"
    "Options:\n"
    "  -h, --help           Show this help and exit.\n"
    "  --version            Show the version and exit.\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  the command failed (unreadable script or file, bad script, no package,\n"
    "     cannot write); the message says why\n"
    "  2  wrong command line (unknown command or option, missing value)\n"
    "  3  `test` found the package damaged; the problems are listed\n";

int Fail(const std::string &Text) {
  std::fprintf(stderr, "mksetup: %s\n", Text.c_str());
  return ExitFailed;
}

int Usage(const std::string &Text) {
  std::fprintf(stderr, "mksetup: %s\nTry 'mksetup --help'.\n", Text.c_str());
  return ExitUsage;
}

// A file beside the tool.
std::string Beside(const char *Argv0, const std::string &Name) {
  std::string Self = Argv0;
  const size_t Cut = Self.find_last_of("/\\");
  return Cut == std::string::npos ? Name : Self.substr(0, Cut + 1) + Name;
}

// Options of one command: each name is a flag or takes one value. Returns
// false (with a usage message printed) on an unknown option, a missing
// value or a stray argument.
struct Parsed {
  std::vector<std::pair<std::string, std::string>> Values;
  std::vector<std::string> Positional;
  bool Has(const std::string &Name) const {
    for (const auto &V : Values)
      if (V.first == Name)
        return true;
    return false;
  }
  std::string Get(const std::string &Name) const {
    std::string Out;
    for (const auto &V : Values)
      if (V.first == Name)
        Out = V.second;
    return Out;
  }
};

bool ParseArgs(const std::vector<std::string> &Args, const std::vector<std::string> &WithValue,
               const std::vector<std::string> &Flags, size_t MaxPositional, Parsed &Out) {
  auto In = [](const std::vector<std::string> &L, const std::string &S) {
    for (const auto &X : L)
      if (X == S)
        return true;
    return false;
  };
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string &A = Args[i];
    if (In(WithValue, A)) {
      if (i + 1 >= Args.size()) {
        Usage("option " + A + " needs a value");
        return false;
      }
      Out.Values.push_back({A, Args[++i]});
    } else if (In(Flags, A)) {
      Out.Values.push_back({A, ""});
    } else if (!A.empty() && A[0] == '-' && A != "-") {
      Usage("unknown option " + A);
      return false;
    } else if (Out.Positional.size() < MaxPositional) {
      Out.Positional.push_back(A);
    } else {
      Usage("unexpected argument " + A);
      return false;
    }
  }
  return true;
}

bool WriteWholeFile(platform::FileSystem &Files, const std::string &Path, const std::string &Text) {
  const std::string Temp = Path + ".tmp";
  auto F = Files.Open(Temp, platform::OpenMode::Create);
  if (!F)
    return false;
  const bool Ok = F->Write(Text.data(), uint32_t(Text.size())) == Text.size() && !F->Error();
  F.reset();
  // An earlier script is replaced, never deleted before the new one is in.
  if (Ok && Files.MoveReplacing(Temp, Path))
    return true;
  Files.RemoveFile(Temp);
  return false;
}

int Init(platform::FileSystem &Files, const std::vector<std::string> &Args) {
  Parsed P;
  if (!ParseArgs(Args, {"--source", "--title", "-o"}, {"--force"}, 0, P))
    return ExitUsage;
  mksetup::InitOptions O;
  O.SourceDir = P.Get("--source");
  O.Title = P.Get("--title");
  const std::string Out = P.Get("-o");
  if (O.SourceDir.empty() || !P.Has("--title") || Out.empty())
    return Usage("init needs --source, --title and -o");
  if (Files.FileExists(Out) && !P.Has("--force"))
    return Fail(Out + " exists; give --force to replace it");
  std::string Script, Error;
  if (!mksetup::MakeStarterScript(Files, O, Script, Error))
    return Fail(Error);
  if (!WriteWholeFile(Files, Out, Script))
    return Fail("cannot write " + Out);
  return ExitOk;
}

int Build(platform::FileSystem &Files, const std::vector<std::string> &Args, const char *Argv0) {
  Parsed P;
  if (!ParseArgs(
          Args,
          {"--script", "--source-root", "--stub", "--uninstaller", "-o", "--depth", "--threads"},
          {"--quiet"}, 0, P))
    return ExitUsage;
  mksetup::BuildOptions O;
  O.ScriptPath = P.Get("--script");
  O.SourceRoot = P.Get("--source-root");
  O.StubPath = P.Get("--stub");
  O.UninstallerPath = P.Get("--uninstaller");
  O.OutputPath = P.Get("-o");
  auto Number = [](const std::string &Text, unsigned long Max, unsigned long &N) {
    char *End = nullptr;
    N = std::strtoul(Text.c_str(), &End, 10);
    return !Text.empty() && Text[0] != '-' && !*End && N >= 1 && N <= Max;
  };
  unsigned long N = 0;
  if (P.Has("--depth")) {
    const std::string D = P.Get("--depth");
    if (D == "max")
      N = 4096;
    else if (!Number(D, 4096, N))
      return Usage("--depth takes a number from 1 to 4096, or max");
    O.ChainDepth = uint32_t(N);
  }
  if (P.Has("--threads")) {
    if (!Number(P.Get("--threads"), 64, N))
      return Usage("--threads takes a number from 1 to 64");
    O.Threads = unsigned(N);
  }
  if (O.ScriptPath.empty() || O.SourceRoot.empty() || O.OutputPath.empty())
    return Usage("build needs --script, --source-root and -o");
  if (O.StubPath.empty())
    O.StubPath = Beside(Argv0, "setup.exe");
  if (!P.Has("--uninstaller")) {
    const std::string U = Beside(Argv0, "uninstaller.exe");
    if (Files.FileExists(U))
      O.UninstallerPath = U;
  }
  mksetup::ProgressLine Line(stderr, !P.Has("--quiet") && mksetup::IsTerminal(stderr));
  mksetup::BuildProgress Last;
  O.Progress = [&](const mksetup::BuildProgress &Now) {
    Last = Now;
    Line.Update(Now);
  };
  std::string Error;
  const bool Ok = mksetup::BuildPackage(Files, O, Error);
  Line.Finish(Last);
  return Ok ? ExitOk : Fail(Error);
}

} // namespace

int main(int argc, char **argv) {
#ifdef _WIN32
  // `script` prints the stored bytes as they are, CR LF included.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> All(argv + 1, argv + argc);
  for (const auto &A : All) {
    if (A == "-h" || A == "--help") {
      std::fputs(kHelp, stdout);
      return ExitOk;
    }
    if (A == "--version") {
      std::printf("mksetup %s\n", MKSETUP_VERSION);
      return ExitOk;
    }
  }
  if (All.empty())
    return Usage("no command given");
  const std::string Command = All[0];
  std::vector<std::string> Args(All.begin() + 1, All.end());
  NativeFileSystem Files;
  if (Command == "init")
    return Init(Files, Args);
  if (Command == "build")
    return Build(Files, Args, argv[0]);
  if (Command != "list" && Command != "test" && Command != "extract" && Command != "script")
    return Usage("unknown command " + Command);

  Parsed P;
  if (!ParseArgs(Args,
                 Command == "extract" ? std::vector<std::string>{"-d"} : std::vector<std::string>{},
                 {}, 1, P))
    return ExitUsage;
  if (P.Positional.empty())
    return Usage(Command + " needs the setup program to read");
  if (Command == "extract" && P.Get("-d").empty())
    return Usage("extract needs -d DIR");
  const std::string &Path = P.Positional[0];

  mksetup::OpenedPackage Package;
  std::string Error;
  if (Command == "test") {
    std::string Problems;
    switch (mksetup::TestPackageFile(Files, Path, Package, Error, Problems)) {
    case mksetup::TestResult::NotOpened:
      return Fail(Error);
    case mksetup::TestResult::Unsound:
      std::fprintf(stderr, "%s", Problems.c_str());
      return ExitUnsound;
    case mksetup::TestResult::Sound:
      break;
    }
    std::printf("%s: %zu entries, all sound\n", Path.c_str(), Package.Entries.size());
    return ExitOk;
  }
  const bool Opened = mksetup::OpenPackageFile(Files, Path, Package, Error);
  if (Command == "list") {
    for (const auto &E : Package.Entries)
      std::printf("%s\n", mksetup::FormatEntryLine(E).c_str());
    return Opened ? ExitOk : Fail(Error);
  }
  if (!Opened)
    return Fail(Error);
  if (Command == "script") {
    std::fwrite(Package.Script.data(), 1, Package.Script.size(), stdout);
    return ExitOk;
  }
  if (!mksetup::ExtractPackage(Files, Package, P.Get("-d"), Error))
    return Fail(Error);
  return ExitOk;
}
