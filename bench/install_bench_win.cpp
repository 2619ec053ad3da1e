// Speed of an installation against a plain copy of the same files, both
// through the real Win32 file functions and measured in one run. The files
// are real ones (programs and texts of the machine the benchmark runs on),
// packed by the authoring tool; the installation is the engine's whole run:
// uninstaller, log, directories, decoding, checksums, dates, registration.
// The calls of the system the installation makes are counted through the
// platform interface and printed per installed file.
//   install_bench.exe [--files N] [--rounds N] [--trace] [--pump-interval MS]
// --trace writes "tcbench: install begin/end" to the debugger output around
// one logged installation, to cut a Wine relay trace (WINEDEBUG=+relay) to it.
#include <windows.h>

#include "PackageBuilder.h"
#include "driver/EngineServices.h"
#include "driver/LauncherPackage.h"
#include "install/InstallationEngine.h"
#include "install/UninstallerSetup.h"
#include "package/SetupScript.h"
#include "platform/win32/Win32File.h"
#include "platform/win32/Win32Ini.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Version.h"
#include "support/InstallTraces.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string Title = "Tc Install Benchmark";
constexpr uint64_t CorpusBudget = 48ull << 20;
constexpr uint64_t LargestFile = 8ull << 20;
constexpr size_t FilesPerDirectory = 40;

struct Options {
  size_t MaxFiles = SIZE_MAX;
  int Rounds = 5;
  bool Trace = false;
  uint32_t PumpIntervalMs = driver::InstallPumpIntervalMs;
};

// Calls of the system made through the platform's files, each weighed by
// the Win32 calls its implementation makes (a date set by name opens,
// stamps and closes the file).
struct CallCount {
  uint64_t Files = 0;   // by name: open, exists, attributes, move, delete...
  uint64_t Handles = 0; // through an open file: read, write, seek, close...
  uint64_t Pumps = 0;   // PeekMessage and Sleep(0)
  uint64_t Total() const { return Files + Handles + Pumps; }
};

class CountingFile : public platform::File {
public:
  CountingFile(std::unique_ptr<platform::File> Inner, CallCount &Count)
      : FInner(std::move(Inner)), FCount(Count) {}
  ~CountingFile() override { ++FCount.Handles; } // CloseHandle
  uint32_t Read(void *Buffer, uint32_t Count) override {
    ++FCount.Handles;
    return Pass(FInner->Read(Buffer, Count));
  }
  uint32_t Write(const void *Buffer, uint32_t Count) override {
    ++FCount.Handles;
    return Pass(FInner->Write(Buffer, Count));
  }
  bool Seek(uint64_t Position) override {
    ++FCount.Handles;
    return Pass(FInner->Seek(Position));
  }
  uint64_t Position() const override { return FInner->Position(); }
  uint64_t Size() override {
    ++FCount.Handles;
    return Pass(FInner->Size());
  }
  bool Truncate() override {
    FCount.Handles += 2;
    return Pass(FInner->Truncate());
  }
  bool SetLastWriteDate(platform::DosDateTime Date) override {
    ++FCount.Handles;
    return Pass(FInner->SetLastWriteDate(Date));
  }

private:
  template <typename T> T Pass(T Result) {
    if (FInner->Error())
      SetError();
    FInner->ClearError();
    return Result;
  }
  std::unique_ptr<platform::File> FInner;
  CallCount &FCount;
};

class CountingFileSystem : public platform::FileSystem {
public:
  explicit CountingFileSystem(platform::FileSystem &Inner) : FInner(Inner) {}
  CallCount Count;

  std::unique_ptr<platform::File> Open(const std::string &Path, platform::OpenMode Mode) override {
    ++Count.Files;
    std::unique_ptr<platform::File> F = FInner.Open(Path, Mode);
    return F ? std::make_unique<CountingFile>(std::move(F), Count) : nullptr;
  }
  bool FileExists(const std::string &P) override { return ++Count.Files, FInner.FileExists(P); }
  bool DirectoryExists(const std::string &P) override {
    return ++Count.Files, FInner.DirectoryExists(P);
  }
  bool MakeDirectory(const std::string &P) override {
    return ++Count.Files, FInner.MakeDirectory(P);
  }
  bool DeleteDirectory(const std::string &P) override {
    return ++Count.Files, FInner.DeleteDirectory(P);
  }
  bool RemoveFile(const std::string &P) override { return ++Count.Files, FInner.RemoveFile(P); }
  bool RenameFile(const std::string &F, const std::string &T) override {
    return ++Count.Files, FInner.RenameFile(F, T);
  }
  bool MoveReplacing(const std::string &F, const std::string &T) override {
    return ++Count.Files, FInner.MoveReplacing(F, T);
  }
  uint32_t GetAttributes(const std::string &P) override {
    return ++Count.Files, FInner.GetAttributes(P);
  }
  bool SetAttributes(const std::string &P, uint32_t A) override {
    return ++Count.Files, FInner.SetAttributes(P, A);
  }
  platform::DosDateTime GetFileDate(const std::string &P) override {
    return Count.Files += 2, FInner.GetFileDate(P);
  }
  bool SetFileDate(const std::string &P, platform::DosDateTime D) override {
    return Count.Files += 3, FInner.SetFileDate(P, D);
  }
  bool ListDirectory(const std::string &P, std::vector<platform::DirEntry> &Out) override {
    return ++Count.Files, FInner.ListDirectory(P, Out);
  }
  std::string WindowsDirectory() override { return ++Count.Files, FInner.WindowsDirectory(); }
  std::string SystemDirectory() override { return ++Count.Files, FInner.SystemDirectory(); }
  std::string TempDirectory() override { return ++Count.Files, FInner.TempDirectory(); }
  bool ExpandEnvironment(const std::string &T, std::string &Out) override {
    return ++Count.Files, FInner.ExpandEnvironment(T, Out);
  }

private:
  platform::FileSystem &FInner;
};

struct SourceFile {
  std::string From; // on the host, through Wine's drive of the root
  std::string Dir, Name;
  uint64_t Size = 0;
};

// Prints and keeps nothing: a benchmark has no user to ask.
class QuietMessages : public platform::Messages {
public:
  std::string Last;
  int ShowMessage(const std::string &Text, const std::string &, uint32_t) override {
    Last = Text;
    return platform::IdAbort;
  }
};

// The status panel's work without a panel: the message pump stays, since the
// launcher pays for it too.
class PumpOnlyStatus : public install::InstallStatus {
public:
  explicit PumpOnlyStatus(CallCount &Count) : FCount(Count) {}
  // When each phase began, the first at [0]: the file phase's share of the
  // run is what the other two leave.
  std::vector<std::chrono::steady_clock::time_point> PhaseStarts;
  void SetPhaseCaption(const std::string &) override {
    PhaseStarts.push_back(std::chrono::steady_clock::now());
  }
  void SetCurrentItem(const std::string &) override {}
  void SetProgressMax(uint32_t) override {}
  void SetProgress(uint32_t) override {}
  void ProcessMessages() override {
    MSG Msg;
    while (++FCount.Pumps, PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&Msg);
    ++FCount.Pumps;
    Sleep(0);
  }
  bool CancelRequested() override { return false; }

private:
  CallCount &FCount;
};

// The corpus package has no program folders; no name is ever chosen.
class NoProgramFolders : public install::ProgramFolderTable {
public:
  int FindProgramFolder(const std::string &) const override { return -1; }
  std::string GetChosenFolder(int) const override { return std::string(); }
};

class InstallDirRow : public driver::DestinationAliasSource {
public:
  std::string Directory;
  size_t AliasCount() const override { return 1; }
  std::string AliasName(size_t) const override { return "%InstallDir%"; }
  std::string AliasDirectory(size_t) const override { return Directory; }
};

double Seconds(std::chrono::steady_clock::time_point Since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Since).count();
}

std::string SafeName(const std::string &Name) {
  std::string Out;
  for (char C : Name)
    Out += (isalnum(uint8_t(C)) || C == '.' || C == '-' || C == '_') ? C : '_';
  return Out;
}

class Bench {
public:
  explicit Bench(const Options &O) : Opt(O) {
    System.Files = &Counted;
    System.Reg = &Reg;
    System.Ini = &Ini;
    System.Version = &Version;
    System.ShellApi = &Shell;
    System.Msg = &Msg;
    Base = Files.TempDirectory() + "tcbench";
    WinDir = Files.WindowsDirectory();
  }

  // False, with the reason printed, when a step fails.
  bool Run() {
    RemoveTree(Base);
    CleanRegistration();
    if (!Files.MakeDirectory(Base))
      return Fail("cannot make " + Base);
    for (const char *Dir : {"Z:\\usr\\bin", "Z:\\usr\\share\\doc"})
      Collect(Dir, CorpusBudget / 2);
    if (Corpus.empty())
      return Fail("no corpus files found below Z:\\usr");
    if (!MakeSource())
      return false;
    auto Built = std::chrono::steady_clock::now();
    if (!BuildSetup())
      return false;
    const double BuildTime = Seconds(Built);

    // Opened through the counter: the reads of the package count too.
    auto Package = Counted.Open(Exe, platform::OpenMode::Read);
    uint64_t FilesPosition = 0;
    package::TOpenFileType Model;
    if (!Package || !OpenAsLauncher(*Package, Model, FilesPosition))
      return Fail("cannot open the built package");

    double Copy = 1e9, Install = 1e9, Unlogged = 1e9;
    CallCount Calls;
    for (int Round = 0; Round < Opt.Rounds; ++Round) {
      double T = 0;
      if (!CopyOnce(T))
        return false;
      Copy = std::min(Copy, T);
      Model.AddUnInstaller = true;
      const CallCount Before = Counted.Count;
      if (Opt.Trace && Round == 0)
        OutputDebugStringA("tcbench: install begin\n");
      if (!InstallOnce(Model, *Package, FilesPosition, T))
        return false;
      if (Opt.Trace && Round == 0)
        OutputDebugStringA("tcbench: install end\n");
      Calls.Files = Counted.Count.Files - Before.Files;
      Calls.Handles = Counted.Count.Handles - Before.Handles;
      Calls.Pumps = Counted.Count.Pumps - Before.Pumps;
      Install = std::min(Install, T);
      Model.AddUnInstaller = false;
      if (!InstallOnce(Model, *Package, FilesPosition, T))
        return false;
      Unlogged = std::min(Unlogged, T);
    }
    const double Mb = double(Total) / (1 << 20);
    std::printf("corpus: %zu files, %.1f MiB; package %.1f MiB (%.1f%%), built in %.2f s\n",
                Corpus.size(), Mb, double(PackageSize) / (1 << 20),
                100.0 * double(PackageSize) / double(Total), BuildTime);
    std::printf("plain copy (CopyFile): %.3f s, %.1f MiB/s (best of %d)\n", Copy, Mb / Copy,
                Opt.Rounds);
    std::printf("installation:          %.3f s, %.1f MiB/s (best of %d)\n", Install, Mb / Install,
                Opt.Rounds);
    std::printf("without uninstaller:   %.3f s, %.1f MiB/s (best of %d)\n", Unlogged, Mb / Unlogged,
                Opt.Rounds);
    const double N = double(Corpus.size());
    std::printf("calls of the system per installed file (with uninstaller): %.1f = %.1f by name "
                "+ %.1f through handles + %.1f message pumping\n",
                double(Calls.Total()) / N, double(Calls.Files) / N, double(Calls.Handles) / N,
                double(Calls.Pumps) / N);
    std::printf("window messages processed at most every %u ms during the extraction\n",
                unsigned(Opt.PumpIntervalMs));
    std::printf("installation / copy time: %.2f\n", Install / Copy);
    std::printf("without uninstaller / copy time: %.2f\n", Unlogged / Copy);
    RemoveTree(Base);
    CleanRegistration();
    return true;
  }

private:
  // Prints why the run cannot go on; false for the caller to return.
  static bool Fail(const std::string &Why) {
    std::fprintf(stderr, "install_bench: %s\n", Why.c_str());
    return false;
  }

  void RemoveTree(const std::string &Dir) { support::RemoveTree(Files, Dir); }
  void CleanRegistration() { support::RemoveUninstallTraces(Files, Reg, Title); }

  // Regular files below Dir in name order until Budget bytes are taken, so
  // the corpus is the same from run to run on one machine.
  void Collect(const std::string &Dir, uint64_t Budget) {
    std::vector<std::string> Pending{Dir};
    uint64_t Taken = 0;
    while (!Pending.empty() && Taken < Budget) {
      const std::string D = Pending.front();
      Pending.erase(Pending.begin());
      std::vector<platform::DirEntry> List;
      if (!Files.ListDirectory(D, List))
        continue;
      std::sort(
          List.begin(), List.end(),
          [](const platform::DirEntry &A, const platform::DirEntry &B) { return A.Name < B.Name; });
      for (const auto &E : List) {
        if (E.Name == "." || E.Name == "..")
          continue;
        const std::string P = D + "\\" + E.Name;
        if (E.IsDirectory) {
          Pending.push_back(P);
          continue;
        }
        auto F = Files.Open(P, platform::OpenMode::Read);
        const uint64_t Size = F ? F->Size() : 0;
        if (Size == 0 || Size > LargestFile || Taken + Size > Budget ||
            Corpus.size() >= Opt.MaxFiles)
          continue;
        const size_t Index = Corpus.size();
        Corpus.push_back({P, "d" + std::to_string(Index / FilesPerDirectory),
                          std::to_string(Index) + "_" + SafeName(E.Name), Size});
        Taken += Size;
        Total += Size;
      }
    }
  }

  bool MakeSource() {
    Source = Base + "\\src";
    Files.MakeDirectory(Source);
    std::string Dir;
    for (const SourceFile &F : Corpus) {
      if (F.Dir != Dir && !Files.MakeDirectory(Source + "\\" + F.Dir))
        return Fail("cannot make " + Source + "\\" + F.Dir);
      Dir = F.Dir;
      if (!CopyFileA(F.From.c_str(), (Source + "\\" + F.Dir + "\\" + F.Name).c_str(), FALSE))
        return Fail("cannot copy " + F.From);
    }
    return true;
  }

  bool BuildSetup() {
    std::string Script = "[VemoInstall_File]\r\n[General]\r\n[Title]\r\nTitle=" + Title +
                         "\r\n[End]\r\n[End]\r\n[UnInstaller]\r\nAddUnInstaller=1\r\n[End]\r\n"
                         "[Groups]\r\n[Group]\r\nName=Program\r\n[Directories]\r\n[Dir]\r\n"
                         "DirName=%InstallDir%\r\n";
    std::string Dir;
    for (const SourceFile &F : Corpus) {
      if (F.Dir != Dir) {
        Script +=
            (Dir.empty() ? "" : "[End]\r\n") + std::string("[Dir]\r\nDirName=") + F.Dir + "\r\n";
        Dir = F.Dir;
      }
      Script += "[Files]\r\nName=" + F.Name + "\r\nSourceFile=" + F.Dir + "\\" + F.Name +
                "\r\nIfExists=0\r\nKeepDate=1\r\n[End]\r\n";
    }
    Script += "[End]\r\n[End]\r\n[End]\r\n[End]\r\n[End]\r\n[Setup Types]\r\n[Setup_Type]\r\n"
              "Name=Full\r\n[Groups]\r\nGroup=Program\r\n[End]\r\n[End]\r\n[End]\r\n[End]\r\n";
    const std::string ScriptPath = Base + "\\setup.txt";
    {
      auto F = Files.Open(ScriptPath, platform::OpenMode::Create);
      if (!F || F->Write(Script.data(), uint32_t(Script.size())) != Script.size())
        return Fail("cannot write " + ScriptPath);
    }
    char Self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, Self, MAX_PATH);
    mksetup::BuildOptions O;
    O.ScriptPath = ScriptPath;
    O.SourceRoot = Source;
    O.StubPath = TC_SETUP_STUB;
    O.UninstallerPath = Self; // any program: it carries no family version
    O.OutputPath = Exe = Base + "\\setup.exe";
    std::string Error;
    if (!mksetup::BuildPackage(Files, O, Error))
      return Fail("mksetup: " + Error);
    auto F = Files.Open(Exe, platform::OpenMode::Read);
    PackageSize = F ? F->Size() : 0;
    return true;
  }

  // What the launcher does with its own file before the wizard starts.
  bool OpenAsLauncher(platform::File &Package, package::TOpenFileType &Model,
                      uint64_t &FilesPosition) {
    const driver::LauncherPackage Loaded = driver::LoadLauncherPackage(
        Package, Model, Msg, [](uint64_t, const package::TEntryHeader &) { return true; });
    FilesPosition = Loaded.FilesPosition;
    return Loaded.Result == package::OpenPackageResult::Ok &&
           Loaded.ScriptResult == package::ScriptOk;
  }

  bool CopyOnce(double &Time) {
    const std::string To = Base + "\\copy";
    RemoveTree(To);
    const auto Start = std::chrono::steady_clock::now();
    if (!Files.MakeDirectory(To))
      return Fail("cannot make " + To);
    std::string Dir;
    for (const SourceFile &F : Corpus) {
      if (F.Dir != Dir && !Files.MakeDirectory(To + "\\" + F.Dir))
        return Fail("cannot make " + To + "\\" + F.Dir);
      Dir = F.Dir;
      const std::string Name = "\\" + F.Dir + "\\" + F.Name;
      if (!CopyFileA((Source + Name).c_str(), (To + Name).c_str(), FALSE))
        return Fail("cannot copy to " + To + Name);
    }
    Time = Seconds(Start);
    return true;
  }

  bool InstallOnce(package::TOpenFileType &Model, platform::File &Package, uint64_t FilesPosition,
                   double &Time) {
    Destinations.Directory = Base + "\\inst";
    RemoveTree(Destinations.Directory);
    CleanRegistration();
    platform::OsVersionInfo Os;
    Version.GetOsVersion(Os);
    install::InstallServices S =
        driver::MakeEngineServices(Counted, Reg, &Destinations, Random, Os);
    S.PumpIntervalMs = Opt.PumpIntervalMs; // as the launcher does
    Status.PhaseStarts.clear();
    const auto Start = std::chrono::steady_clock::now();
    install::InstallationEngine Engine(System, Model, Status, Folders, std::move(S));
    const int Page = Engine.RunInstallation(Package, FilesPosition);
    Time = Seconds(Start);
    if (Status.PhaseStarts.size() >= 2) {
      const double Before = std::chrono::duration<double>(Status.PhaseStarts[0] - Start).count();
      const double Phase =
          std::chrono::duration<double>(Status.PhaseStarts[1] - Status.PhaseStarts[0]).count();
      std::printf("  %s: %.3f s = %.3f before the files + %.3f file phase + %.3f after\n",
                  Model.AddUnInstaller ? "with uninstaller   " : "without uninstaller", Time,
                  Before, Phase, Time - Before - Phase);
    }
    const std::string Count =
        Model.AddUnInstaller ? Ini.ReadString(WinDir + "\\tcUninst1.inf", "Files", "Count", "0")
                             : std::to_string(Corpus.size());
    if (Page != install::FinishPage || Count != std::to_string(Corpus.size()))
      return Fail("the installation did not finish (page " + std::to_string(Page) + ", " + Count +
                  " files logged" + (Msg.Last.empty() ? "" : ", last message: " + Msg.Last) + ")");
    return true;
  }

  Options Opt;
  platform::win32::Win32FileSystem Files;
  CountingFileSystem Counted{Files};
  platform::win32::Win32Ini Ini;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Version Version;
  platform::win32::Win32Shell Shell;
  QuietMessages Msg;
  PumpOnlyStatus Status{Counted.Count};
  NoProgramFolders Folders;
  platform::Platform System;
  InstallDirRow Destinations;
  driver::TempNameRandom Random{1};
  std::string Base, WinDir, Source, Exe;
  std::vector<SourceFile> Corpus;
  uint64_t Total = 0, PackageSize = 0;
};

} // namespace

int main(int argc, char **argv) {
  Options O;
  for (int I = 1; I < argc; ++I) {
    if (!std::strcmp(argv[I], "--files") && I + 1 < argc)
      O.MaxFiles = size_t(std::strtoul(argv[++I], nullptr, 10));
    else if (!std::strcmp(argv[I], "--rounds") && I + 1 < argc)
      O.Rounds = std::max(1, std::atoi(argv[++I]));
    else if (!std::strcmp(argv[I], "--trace"))
      O.Trace = true;
    else if (!std::strcmp(argv[I], "--pump-interval") && I + 1 < argc)
      O.PumpIntervalMs = uint32_t(std::strtoul(argv[++I], nullptr, 10));
    else {
      std::fprintf(stderr, "usage: install_bench [--files N] [--rounds N] [--trace] "
                           "[--pump-interval MS]\n");
      return 2;
    }
  }
  Bench B(O);
  return B.Run() ? 0 : 1;
}
