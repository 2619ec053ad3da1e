// Resource limits: how time and memory grow with the size of what a package
// holds. Each scenario runs in a child process of its own, so that its peak
// resident set (getrusage of the child) is its own; the figures are printed
// per size with the time and the peak memory per item, so that growth
// faster than the input shows at a glance.
//   resource_limits [MAX_ENTRIES [SCENARIO]]   (default 1000000, all)
// Scenarios:
//   script   the setup script loader over a script of N file records
//   groups   the loader and the installation over N groups of 2 files each,
//            all named by one setup type
//   walk     the launcher's start-up (package, script, pictures) and the
//            package walk the installation makes over N tiny entries
//   install  the installation engine on the in-memory machine, N tiny files
//            in one directory
//   folders  the program folder page's table and the look-ups of the
//            installation over N groups with one program folder each
//   summary  the ready page's summary lists over N program folders and N
//            directories, each beside the others and one inside each
//   nesting  directories nested N deep (the loader refuses deeper than it
//            allows, without recursing further)
#include "../tests/install/EngineDouble.h"

#include "driver/LauncherPackage.h"
#include "package/Package.h"
#include "package/SetupScript.h"
#include "pages/ProgramFolderList.h"
#include "pages/ReadySummary.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace engine_double;

namespace {

struct Figures {
  bool Ok = false;
  double Seconds = 0;
  long PeakKb = 0;
  long InputKb = 0; // resident when the measured work began
  std::string Note;
};

// The work measured starts when its inputs are made: Start() notes the time
// and what is resident then.
struct Timer {
  std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();
  long ResidentKb = 0;
  void Start() {
    long Pages = 0, Resident = 0;
    if (FILE *F = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(F, "%ld %ld", &Pages, &Resident) != 2)
        Resident = 0;
      std::fclose(F);
    }
    ResidentKb = Resident * (sysconf(_SC_PAGESIZE) / 1024);
    Began = std::chrono::steady_clock::now();
  }
};

// Runs Body in a child process; Body returns a short note (its result).
Figures Measure(const std::function<std::string(Timer &)> &Body) {
  int Pipe[2];
  if (pipe(Pipe) != 0)
    return {};
  const pid_t Child = fork();
  if (Child == 0) {
    close(Pipe[0]);
    Timer T;
    const std::string Note = Body(T);
    const double S =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - T.Began).count();
    const std::string Out = std::to_string(S) + " " + std::to_string(T.ResidentKb) + " " + Note;
    if (write(Pipe[1], Out.data(), Out.size()) < 0)
      _exit(3);
    _exit(0);
  }
  close(Pipe[1]);
  std::string Text;
  char Buffer[256];
  for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
    Text.append(Buffer, size_t(N));
  close(Pipe[0]);
  int Status = 0;
  struct rusage Usage {};
  wait4(Child, &Status, 0, &Usage);
  Figures F;
  F.Ok = WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
  F.PeakKb = Usage.ru_maxrss;
  if (F.Ok) {
    const size_t Blank = Text.find(' '), Second = Text.find(' ', Blank + 1);
    F.Seconds = std::atof(Text.substr(0, Blank).c_str());
    F.InputKb = std::atol(Text.substr(Blank + 1, Second - Blank - 1).c_str());
    F.Note = Second == std::string::npos ? "" : Text.substr(Second + 1);
  } else {
    F.Note = WIFSIGNALED(Status) ? "killed by signal " + std::to_string(WTERMSIG(Status))
                                 : "exit " + std::to_string(WEXITSTATUS(Status));
  }
  return F;
}

// The work's own memory: the peak less what its inputs held when it began.
void Print(const char *Scenario, size_t N, const Figures &F) {
  const double OwnKb = double(std::max(0L, F.PeakKb - F.InputKb));
  std::printf("%-8s %8zu %8.2f s %7.2f us/item  peak %7.1f MB, inputs %7.1f MB, own %6.0f "
              "bytes/item  %s\n",
              Scenario, N, F.Seconds, N ? F.Seconds * 1e6 / double(N) : 0.0,
              double(F.PeakKb) / 1024.0, double(F.InputKb) / 1024.0,
              N ? OwnKb * 1024.0 / double(N) : 0.0, F.Note.c_str());
  std::fflush(stdout);
}

// ------------------------------------------------------------ scripts

std::string Head() {
  return "[VemoInstall_File]\r\n   [General]\r\n      [Title]\r\n         TITLE=Limits\r\n"
         "      [End]\r\n   [End]\r\n   [UnInstaller]\r\n      ADDUNINSTALLER=1\r\n   [End]\r\n"
         "   [Groups]\r\n";
}

std::string FileRecord(size_t I) {
  return "               [Files]\r\n                  NAME=f" + std::to_string(I) +
         ".txt\r\n                  SOURCEFILE=tiny.txt\r\n                  IFEXISTS=0\r\n"
         "               [End]\r\n";
}

// Groups G0..G(Groups-1), each with Files files in "%InstallDir%\g<i>" (or
// in "%InstallDir%" itself when there is one group), all in one setup type.
std::string Script(size_t Groups, size_t Files) {
  std::string S = Head();
  size_t FileNo = 0;
  for (size_t G = 0; G < Groups; ++G) {
    S += "      [Group]\r\n         NAME=G" + std::to_string(G) +
         "\r\n         [Directories]\r\n            [Dir]\r\n               "
         "DIRNAME=%InstallDir%\r\n";
    if (Groups > 1)
      S += "            [Dir]\r\n               DIRNAME=g" + std::to_string(G) + "\r\n";
    for (size_t F = 0; F < Files; ++F)
      S += FileRecord(FileNo++);
    if (Groups > 1)
      S += "            [End]\r\n";
    S += "            [End]\r\n         [End]\r\n      [End]\r\n";
  }
  S += "   [End]\r\n   [Setup Types]\r\n      [Setup_Type]\r\n         NAME=Typical\r\n"
       "         [Groups]\r\n";
  for (size_t G = 0; G < Groups; ++G)
    S += "            GROUP=G" + std::to_string(G) + "\r\n";
  S += "         [End]\r\n      [End]\r\n   [End]\r\n[End]\r\n";
  return S;
}

std::string NestedScript(size_t Depth) {
  std::string S = Head() + "      [Group]\r\n         NAME=G0\r\n         [Directories]\r\n";
  for (size_t I = 0; I < Depth; ++I)
    S += "[Dir]\r\nDIRNAME=d\r\n";
  S += FileRecord(0);
  for (size_t I = 0; I < Depth; ++I)
    S += "[End]\r\n";
  S += "         [End]\r\n      [End]\r\n   [End]\r\n[End]\r\n";
  return S;
}

bool Load(const std::string &Text, package::TOpenFileType &Model) {
  platform::LendingMemoryFile F(Bytes(Text.begin(), Text.end()));
  ScriptedMessages Msg;
  return package::LoadSetupScript(Model, F, Msg) == package::ScriptOk;
}

// ------------------------------------------------------------ packages

// A PE image whose package start (the header sum) is its size.
Bytes Stub() {
  Bytes B(1024, 0);
  auto Put32 = [&](size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I)
      B[At + I] = uint8_t(V >> (8 * I));
  };
  B[0] = 'M', B[1] = 'Z';
  Put32(60, 64);
  B[64] = 'P', B[65] = 'E';
  const size_t Opt = 64 + 24;
  Put32(Opt + 4, 512), Put32(Opt + 8, 256), Put32(Opt + 12, 0), Put32(Opt + 60, 1024 - 768);
  return B;
}

// The launcher file: stub, magic, script, the uninstaller, then the groups
// with their files. Each group's first file holds the data ("tiny"), the
// others share it through links, as mksetup writes files of one source.
BuiltPackage LauncherFile(const std::string &ScriptText, size_t Groups, size_t Files) {
  platform::MemoryFile Out;
  const Bytes S = Stub();
  Out.Write(S.data(), uint32_t(S.size()));
  Out.Write(package::PackageMagic, package::PackageMagicSize);
  const uint32_t L = uint32_t(ScriptText.size());
  uint8_t Len[4] = {uint8_t(L), uint8_t(L >> 8), uint8_t(L >> 16), uint8_t(L >> 24)};
  Out.Write(Len, 4);
  Out.Write(ScriptText.data(), L);
  BuiltPackage B;
  B.FilesPosition = Out.Position();
  WriteDataEntry(Out, package::EntryUninstaller, "tcUninst.exe", ToBytes("MZ uninstaller"), 0, 0);
  size_t FileNo = 0;
  for (size_t G = 0; G < Groups; ++G) {
    const uint64_t GroupAt = Out.Position();
    package::TEntryHeader GH;
    GH.EntryType = package::EntryGroup;
    GH.SetName("G" + std::to_string(G));
    package::WriteEntryHeader(Out, GH);
    uint64_t First = 0;
    package::TEntryHeader Data;
    for (size_t F = 0; F < Files; ++F) {
      const std::string Name = "\\%InstallDir%" +
                               (Groups > 1 ? "\\g" + std::to_string(G) : std::string()) + "\\f" +
                               std::to_string(FileNo++) + ".txt";
      if (F == 0) {
        First = Out.Position();
        WriteDataEntry(Out, package::EntryFile, Name, ToBytes("tiny"), 0, 0x34210000);
        const uint64_t End = Out.Position();
        Out.Seek(First);
        package::ReadEntryHeader(Out, Data);
        Out.Seek(End);
        continue;
      }
      package::TEntryHeader Link = Data;
      Link.LinkOffset = uint32_t(First);
      Link.PackedSize = Link.UnpackedSize = Link.Crc = 0;
      Link.SetName(Name);
      package::WriteEntryHeader(Out, Link);
    }
    const uint64_t End = Out.Position();
    GH.PackedSize = uint32_t(Files);
    GH.UnpackedSize = uint32_t(End);
    Out.Seek(GroupAt);
    package::WriteEntryHeader(Out, GH);
    Out.Seek(End);
  }
  B.Data = std::move(Out.Data());
  return B;
}

std::string Walk(BuiltPackage P, Timer &T) {
  platform::MemoryFile File(std::move(P.Data));
  T.Start();
  package::TOpenFileType Model;
  ScriptedMessages Msg;
  const driver::LauncherPackage Loaded = driver::LoadLauncherPackage(
      File, Model, Msg, [](uint64_t, const package::TEntryHeader &) { return true; });
  if (Loaded.Result != package::OpenPackageResult::Ok || Loaded.ScriptResult != package::ScriptOk)
    return "start-up failed";
  const uint64_t Groups =
      package::ReadUninstaller(File, Loaded.FilesPosition, true,
                               [](uint64_t, const package::TEntryHeader &) { return true; });
  const std::vector<package::GroupIndexEntry> Index = package::BuildGroupIndex(File, Groups);
  uint64_t Entries = 0;
  for (const package::GroupIndexEntry &G : Index)
    package::WalkGroupFiles(File, G.Position, [&](uint64_t, const package::TEntryHeader &) {
      ++Entries;
      return true;
    });
  return std::to_string(Index.size()) + " groups, " + std::to_string(Entries) + " entries walked";
}

// The model is loaded first: the launcher has it before the installation.
std::string Install(const std::string &ScriptText, const BuiltPackage &P, size_t Expected,
                    Timer &T) {
  package::TOpenFileType Model;
  if (!Load(ScriptText, Model))
    return "script refused";
  Machine M;
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  platform::MemoryFile File(P.Data);
  T.Start();
  install::InstallationEngine Engine(M.System, Model, M.Status, M.Folders, M.Services());
  const int Page = Engine.RunInstallation(File, P.FilesPosition);
  const std::string Dir = Key("C:\\Program Files\\App") + "\\";
  size_t Installed = 0;
  for (auto &[K, N] : M.Fs.Nodes)
    Installed += K.compare(0, Dir.size(), Dir) == 0;
  if (Page != install::FinishPage || Installed != Expected)
    return "page " + std::to_string(Page) + ", " + std::to_string(Installed) + " files" +
           (M.Msg.Shown.empty() ? std::string() : ", box \"" + M.Msg.Shown[0].Text + "\"");
  return std::to_string(Installed) + " files installed, log " +
         std::to_string(M.Fs.Nodes.at(Key("C:\\WINDOWS\\tcUninst1.inf")).Data->size() >> 10) +
         " KB";
}

std::vector<size_t> Sizes(size_t Max, size_t From) {
  std::vector<size_t> Out;
  for (size_t N = From; N <= Max; N *= 10)
    Out.push_back(N);
  return Out;
}

} // namespace

int main(int Argc, char **Argv) {
  const size_t Max = Argc > 1 ? size_t(std::atoll(Argv[1])) : 1000000;
  const std::string Only = Argc > 2 ? Argv[2] : "";
  bool Failed = false;
  auto Series = [&](const char *Name, size_t From,
                    const std::function<std::string(size_t, Timer &)> &Run) {
    if (!Only.empty() && Only != Name)
      return;
    for (size_t N : Sizes(Max, From)) {
      const Figures F = Measure([&](Timer &T) { return Run(N, T); });
      Print(Name, N, F);
      Failed = Failed || !F.Ok;
    }
  };
  Series("script", 1000, [](size_t N, Timer &T) {
    const std::string Text = Script(1, N);
    package::TOpenFileType Model;
    T.Start();
    const bool Ok = Load(Text, Model);
    return std::to_string(Text.size() >> 20) + " MB of script, " +
           (Ok ? std::to_string(Model.Groups.First()->RootDir.SubDirs.First()->Files.Count()) +
                     " file records"
               : std::string("refused"));
  });
  // The record of each entry, found as the engine did before it made an
  // index per group, and as it does now.
  Series("lookup", 1000, [](size_t N, Timer &T) {
    if (N > 10000)
      return std::string("skipped (the walk through the records takes minutes to hours)");
    package::TOpenFileType Model;
    Load(Script(1, N), Model);
    const package::GroupType &G = *Model.Groups.First();
    T.Start();
    using Clock = std::chrono::steady_clock;
    auto T0 = Clock::now();
    size_t Found = 0;
    for (size_t I = 0; I < N; ++I)
      Found +=
          package::FindGroupFile(G, "\\%InstallDir%\\f" + std::to_string(I) + ".txt") != nullptr;
    auto T1 = Clock::now();
    const package::GroupFileIndex Index(G);
    for (size_t I = 0; I < N; ++I)
      Found += Index.Find("\\%InstallDir%\\f" + std::to_string(I) + ".txt") != nullptr;
    auto T2 = Clock::now();
    char Text[160];
    std::snprintf(Text, sizeof Text, "%zu found; walk %.3f s, index %.3f s, ratio %.0f", Found,
                  std::chrono::duration<double>(T1 - T0).count(),
                  std::chrono::duration<double>(T2 - T1).count(),
                  std::chrono::duration<double>(T1 - T0).count() /
                      std::max(1e-9, std::chrono::duration<double>(T2 - T1).count()));
    return std::string(Text);
  });
  Series("groups", 100, [](size_t N, Timer &T) {
    if (N > 100000)
      return std::string("skipped");
    const std::string Text = Script(N, 2);
    return Install(Text, LauncherFile(Text, N, 2), 2 * N, T);
  });
  Series("walk", 1000, [](size_t N, Timer &T) {
    const std::string Text = Script(1, N);
    return Walk(LauncherFile(Text, 1, N), T);
  });
  Series("install", 1000, [](size_t N, Timer &T) {
    const std::string Text = Script(1, N);
    return Install(Text, LauncherFile(Text, 1, N), N, T);
  });
  Series("folders", 1000, [](size_t N, Timer &T) {
    if (N > 100000)
      return std::string("skipped");
    package::TOpenFileType Model;
    package::SetupType &Type = *Model.SetupTypes.AppendNew();
    for (size_t I = 0; I < N; ++I) {
      package::GroupType &G = *Model.Groups.AppendNew();
      G.Name = "G" + std::to_string(I);
      package::ProgramGroupType &Top = *G.RootProgramGroup.SubGroups.AppendNew();
      Top.Name = "Vendor";
      Top.SubGroups.AppendNew()->Name = "Folder " + std::to_string(I);
      Type.Groups.push_back(G.Name);
    }
    T.Start();
    pages::ProgramFolderList List;
    const int Named = List.CollectProgramFolders(Model);
    size_t Found = 0;
    for (size_t I = 0; I < N; ++I)
      Found += List.FindProgramFolder("VENDOR\\folder " + std::to_string(I)) >= 0;
    return std::to_string(Named) + " folders, " + std::to_string(Found) + " found";
  });
  Series("summary", 1000, [](size_t N, Timer &T) {
    if (N > 100000)
      return std::string("skipped");
    T.Start();
    pages::ReadySummary Summary;
    for (size_t I = 0; I < N; ++I) {
      Summary.AddSummaryFolder("Vendor\\Folder " + std::to_string(I));
      Summary.AddSummaryDirectory("C:\\Apps\\Product " + std::to_string(I) + "\\Data");
      Summary.AddSummaryDirectory("C:\\Apps\\Product " + std::to_string(I));
    }
    return std::to_string(Summary.SummaryLines().size()) + " summary lines";
  });
  Series("nesting", 10, [](size_t N, Timer &T) {
    package::TOpenFileType Model;
    const std::string Text = NestedScript(N);
    T.Start();
    return std::string(Load(Text, Model) ? "loaded" : "refused");
  });
  return Failed ? 1 : 0;
}
