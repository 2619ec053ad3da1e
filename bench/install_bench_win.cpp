// Speed of an installation against a plain copy of the same files, both
// through the real Win32 file functions and measured in one run. The files
// are real ones (programs and texts of the machine the benchmark runs on),
// packed by the authoring tool; the installation is the engine's whole run:
// uninstaller, log, directories, decoding, checksums, dates, registration.
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
#include <string>
#include <vector>

namespace {

const std::string Title = "Tc Install Benchmark";
constexpr uint64_t CorpusBudget = 48ull << 20;
constexpr uint64_t LargestFile = 8ull << 20;
constexpr size_t FilesPerDirectory = 40;
constexpr int Rounds = 5;

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
  void SetPhaseCaption(const std::string &) override {}
  void SetCurrentItem(const std::string &) override {}
  void SetProgressMax(uint32_t) override {}
  void SetProgress(uint32_t) override {}
  void ProcessMessages() override {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&Msg);
    Sleep(0);
  }
  bool CancelRequested() override { return false; }
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
  Bench() {
    System.Files = &Files;
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

    auto Package = Files.Open(Exe, platform::OpenMode::Read);
    uint64_t FilesPosition = 0;
    package::TOpenFileType Model;
    if (!Package || !OpenAsLauncher(*Package, Model, FilesPosition))
      return Fail("cannot open the built package");

    double Copy = 1e9, Install = 1e9, Unlogged = 1e9;
    for (int Round = 0; Round < Rounds; ++Round) {
      double T = 0;
      if (!CopyOnce(T))
        return false;
      Copy = std::min(Copy, T);
      Model.AddUnInstaller = true;
      if (!InstallOnce(Model, *Package, FilesPosition, T))
        return false;
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
                Rounds);
    std::printf("installation:          %.3f s, %.1f MiB/s (best of %d)\n", Install, Mb / Install,
                Rounds);
    std::printf("without uninstaller:   %.3f s, %.1f MiB/s (best of %d)\n", Unlogged, Mb / Unlogged,
                Rounds);
    std::printf("installation / copy time: %.2f\n", Install / Copy);
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
        if (Size == 0 || Size > LargestFile || Taken + Size > Budget)
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
    install::InstallServices S = driver::MakeEngineServices(Files, Reg, &Destinations, Random, Os);
    const auto Start = std::chrono::steady_clock::now();
    install::InstallationEngine Engine(System, Model, Status, Folders, std::move(S));
    const int Page = Engine.RunInstallation(Package, FilesPosition);
    Time = Seconds(Start);
    const std::string Count =
        Model.AddUnInstaller ? Ini.ReadString(WinDir + "\\tcUninst1.inf", "Files", "Count", "0")
                             : std::to_string(Corpus.size());
    if (Page != install::FinishPage || Count != std::to_string(Corpus.size()))
      return Fail("the installation did not finish (page " + std::to_string(Page) + ", " + Count +
                  " files logged" + (Msg.Last.empty() ? "" : ", last message: " + Msg.Last) + ")");
    return true;
  }

  platform::win32::Win32FileSystem Files;
  platform::win32::Win32Ini Ini;
  platform::win32::Win32Registry Reg;
  platform::win32::Win32Version Version;
  platform::win32::Win32Shell Shell;
  QuietMessages Msg;
  PumpOnlyStatus Status;
  NoProgramFolders Folders;
  platform::Platform System;
  InstallDirRow Destinations;
  driver::TempNameRandom Random{1};
  std::string Base, WinDir, Source, Exe;
  std::vector<SourceFile> Corpus;
  uint64_t Total = 0, PackageSize = 0;
};

} // namespace

int main() {
  Bench B;
  return B.Run() ? 0 : 1;
}
