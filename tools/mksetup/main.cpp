// mksetup: the authoring tool. Builds a setup executable from the launcher
// stub, a setup script and the files it names, and inspects built ones.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PackageBuilder.h"
#include "PackageInspector.h"
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

namespace {

const char kUsage[] =
    "usage:\n"
    "  mksetup build --script S --source-root DIR [--stub setup.exe] [--uninstaller U.exe]\n"
    "                [--depth N] -o OUT.exe\n"
    "  mksetup list OUT.exe\n"
    "  mksetup test OUT.exe\n"
    "  mksetup extract OUT.exe -d DIR\n"
    "  mksetup script OUT.exe\n";

int Fail(const std::string &Text) {
  std::fprintf(stderr, "mksetup: %s\n", Text.c_str());
  return 1;
}

// The stub beside the tool when none is named.
std::string DefaultStub(const char *Argv0) {
  std::string Self = Argv0;
  const size_t Cut = Self.find_last_of("/\\");
  return Cut == std::string::npos ? "setup.exe" : Self.substr(0, Cut + 1) + "setup.exe";
}

int Build(platform::FileSystem &Files, const std::vector<std::string> &Args, const char *Argv0) {
  mksetup::BuildOptions O;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string &A = Args[i];
    auto Value = [&](std::string &To) {
      if (i + 1 >= Args.size())
        return false;
      To = Args[++i];
      return true;
    };
    std::string Depth;
    bool Ok = true;
    if (A == "--script")
      Ok = Value(O.ScriptPath);
    else if (A == "--source-root")
      Ok = Value(O.SourceRoot);
    else if (A == "--stub")
      Ok = Value(O.StubPath);
    else if (A == "--uninstaller")
      Ok = Value(O.UninstallerPath);
    else if (A == "-o")
      Ok = Value(O.OutputPath);
    else if (A == "--depth") {
      Ok = Value(Depth);
      O.ChainDepth = uint32_t(std::strtoul(Depth.c_str(), nullptr, 10));
      Ok = Ok && O.ChainDepth >= 1 && O.ChainDepth <= 4096;
    } else
      return Fail("unknown option " + A + "\n" + kUsage);
    if (!Ok)
      return Fail("option " + A + " needs a value\n" + kUsage);
  }
  if (O.ScriptPath.empty() || O.SourceRoot.empty() || O.OutputPath.empty())
    return Fail(std::string("build needs --script, --source-root and -o\n") + kUsage);
  if (O.StubPath.empty())
    O.StubPath = DefaultStub(Argv0);
  std::string Error;
  if (!mksetup::BuildPackage(Files, O, Error))
    return Fail(Error);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
#ifdef _WIN32
  // `script` prints the stored bytes as they are, CR LF included.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc < 2)
    return Fail(kUsage);
  const std::string Command = argv[1];
  std::vector<std::string> Args(argv + 2, argv + argc);
  NativeFileSystem Files;
  if (Command == "build")
    return Build(Files, Args, argv[0]);
  if (Args.empty())
    return Fail(kUsage);

  mksetup::OpenedPackage P;
  std::string Error;
  const bool Opened = mksetup::OpenPackageFile(Files, Args[0], P, Error);
  if (Command == "list") {
    for (const auto &E : P.Entries)
      std::printf("%s\n", mksetup::FormatEntryLine(E).c_str());
    return Opened ? 0 : Fail(Error);
  }
  if (!Opened)
    return Fail(Error);
  if (Command == "script") {
    std::fwrite(P.Script.data(), 1, P.Script.size(), stdout);
    return 0;
  }
  if (Command == "test") {
    std::string Problems;
    if (!mksetup::TestPackage(P, Problems)) {
      std::fprintf(stderr, "%s", Problems.c_str());
      return 1;
    }
    std::printf("%s: %zu entries, all sound\n", Args[0].c_str(), P.Entries.size());
    return 0;
  }
  if (Command == "extract") {
    if (Args.size() != 3 || Args[1] != "-d")
      return Fail(kUsage);
    if (!mksetup::ExtractPackage(Files, P, Args[2], Error))
      return Fail(Error);
    return 0;
  }
  return Fail("unknown command " + Command + "\n" + kUsage);
}
