// Corruption sweep: a small package made by the authoring tool, damaged in
// every way one byte can damage it (each byte set to its complement, to 0
// and to 0xFF) and cut at every length. Each variant goes through
// `mksetup test` and through the launcher's start-up and the installation
// engine on the in-memory machine. Checked for every variant: the tool
// answers and refuses a damaged package, the engine ends on a page, writes
// nothing outside the destinations, and when it aborts puts the machine
// back as it was. Prints the counts of each outcome.
//   corruption_sweep [WORK_DIR]
#include "../tests/install/EngineDouble.h"

#include "PackageBuilder.h"
#include "PackageInspector.h"
#include "driver/LauncherPackage.h"
#include "package/SetupScript.h"
#include "platform/posix/PosixFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

using namespace engine_double;

namespace {

const char Script[] = "[VemoInstall_File]\r\n"
                      "   [General]\r\n"
                      "      [Title]\r\n"
                      "         Title=Sweep Product\r\n"
                      "      [End]\r\n"
                      "   [End]\r\n"
                      "   [UnInstaller]\r\n"
                      "      AddUnInstaller=1\r\n"
                      "   [End]\r\n"
                      "   [Groups]\r\n"
                      "      [Group]\r\n"
                      "         Name=Main\r\n"
                      "         [Directories]\r\n"
                      "            [Dir]\r\n"
                      "               DirName=%InstallDir%\r\n"
                      "               [Files]\r\n"
                      "                  Name=readme.txt\r\n"
                      "                  SourceFile=readme.txt\r\n"
                      "                  IfExists=0\r\n"
                      "               [End]\r\n"
                      "               [Files]\r\n"
                      "                  Name=app.ini\r\n"
                      "                  SourceFile=app.ini\r\n"
                      "                  IfExists=5\r\n"
                      "               [End]\r\n"
                      "               [Files]\r\n"
                      "                  Name=data.bin\r\n"
                      "                  SourceFile=data.bin\r\n"
                      "                  IfExists=0\r\n"
                      "               [End]\r\n"
                      "               [Files]\r\n"
                      "                  Name=copy.txt\r\n"
                      "                  SourceFile=readme.txt\r\n"
                      "                  IfExists=0\r\n"
                      "               [End]\r\n"
                      "            [End]\r\n"
                      "         [End]\r\n"
                      "      [End]\r\n"
                      "   [End]\r\n"
                      "   [Setup Types]\r\n"
                      "      [Setup_Type]\r\n"
                      "         Name=Typical\r\n"
                      "         [Groups]\r\n"
                      "            Group=Main\r\n"
                      "         [End]\r\n"
                      "      [End]\r\n"
                      "   [End]\r\n"
                      "[End]\r\n";

void WriteHost(const std::string &Path, const std::string &Data) {
  std::ofstream(Path, std::ios::binary).write(Data.data(), std::streamsize(Data.size()));
}

std::string ReadHost(const std::string &Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

// A PE image whose package start (the header sum) is its size.
std::string Stub() {
  std::string B(1024, '\0');
  auto Put32 = [&](size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I)
      B[At + I] = char(V >> (8 * I));
  };
  B[0] = 'M', B[1] = 'Z';
  Put32(60, 64);
  B[64] = 'P', B[65] = 'E';
  const size_t Opt = 64 + 24;
  Put32(Opt + 4, 512), Put32(Opt + 8, 256), Put32(Opt + 12, 0), Put32(Opt + 60, 1024 - 768);
  return B;
}

struct Totals {
  uint64_t Variants = 0, ToolRefused = 0, ToolAccepted = 0, NotStarted = 0, Finished = 0,
           Aborted = 0;
  std::map<std::string, uint64_t> Boxes; // first box of an engine run
  uint64_t Broken = 0;                   // broken promises; must stay 0
};

void Fail(Totals &T, const std::string &Why, size_t At) {
  ++T.Broken;
  if (T.Broken <= 10)
    std::fprintf(stderr, "variant at %zu: %s\n", At, Why.c_str());
}

const std::string App = "C:\\Program Files\\App";

// The installed files of the last run, for the check of the intact package.
std::string LastReadme, LastCopy;
size_t LastData = 0;

void RunEngine(const std::string &Bytes, Totals &T, size_t At) {
  platform::MemoryFile File(std::vector<uint8_t>(Bytes.begin(), Bytes.end()));
  package::TOpenFileType Model;
  ScriptedMessages LoadMsg;
  const driver::LauncherPackage Loaded = driver::LoadLauncherPackage(
      File, Model, LoadMsg, [](uint64_t, const package::TEntryHeader &) { return true; });
  if (Loaded.Result != package::OpenPackageResult::Ok || Loaded.ScriptResult != package::ScriptOk ||
      !LoadMsg.Shown.empty()) {
    ++T.NotStarted; // start-up says so and ends
    package::FreeSetupModel(Model);
    return;
  }
  Machine M;
  M.Fs.Dirs.insert("C:\\PROGRAM FILES");
  M.Fs.Dirs.insert(Key(App));
  M.Fs.Put(App + "\\readme.txt", "the user's earlier readme");
  M.Fs.Put(App + "\\app.ini", "[Main]\r\nUser=1\r\n");
  const auto Before = M.Fs.Nodes;
  const auto DirsBefore = M.Fs.Dirs;
  // Damaged input asks: Ignore as long as it asks, so every entry is tried.
  M.Msg.Default = platform::IdIgnore;
  const int Page = M.Run(
      Model,
      BuiltPackage{std::vector<uint8_t>(Bytes.begin(), Bytes.end()), Loaded.FilesPosition, {}});
  package::FreeSetupModel(Model);
  LastReadme = M.Fs.Text(App + "\\readme.txt");
  LastCopy = M.Fs.Text(App + "\\copy.txt");
  LastData = M.Fs.Has(App + "\\data.bin") ? M.Fs.Nodes.at(Key(App + "\\data.bin")).Data->size() : 0;
  if (!M.Msg.Shown.empty()) {
    // The box's first sentence names the failure.
    const std::string &Text = M.Msg.Shown[0].Text;
    const size_t Bang = Text.find('!');
    ++T.Boxes[Text.substr(0, Bang == std::string::npos ? Text.find('\r') : Bang + 1)];
  }
  if (Page != install::FinishPage && Page != install::AbortedPage)
    return Fail(T, "no page", At);
  ++(Page == install::FinishPage ? T.Finished : T.Aborted);
  for (auto &[K, N] : M.Fs.Nodes) {
    const bool Inside = K.compare(0, Key(App).size() + 1, Key(App) + "\\") == 0 ||
                        K.compare(0, 19, "C:\\WINDOWS\\TCUNINST") == 0;
    if (!Inside)
      Fail(T, "a file outside the destinations: " + K, At);
    if (K.find(".TCNEW") != std::string::npos || K.find(".TCOLD") != std::string::npos)
      Fail(T, "a file left beside a destination: " + K, At);
  }
  if (Page == install::AbortedPage && !M.Fs.Has("C:\\WINDOWS\\tcUninst1.inf")) {
    for (auto &[K, N] : Before)
      if (!M.Fs.Nodes.count(K) || *M.Fs.Nodes.at(K).Data != *N.Data)
        Fail(T, "an earlier file not put back: " + K, At);
    for (auto &[K, N] : M.Fs.Nodes)
      if (!Before.count(K) && K.compare(0, 19, "C:\\WINDOWS\\TCUNINST") != 0)
        Fail(T, "an installed file left after the rollback: " + K, At);
    if (M.Fs.Dirs != DirsBefore)
      Fail(T, "a created directory left after the rollback", At);
  }
}

void RunTool(const std::string &Work, const std::string &Bytes, bool Intact, Totals &T, size_t At) {
  const std::string Path = Work + "/variant.exe";
  WriteHost(Path, Bytes);
  platform::posix::PosixFileSystem Fs;
  mksetup::OpenedPackage P;
  std::string Error, Problems;
  const bool Opened = mksetup::OpenPackageFile(Fs, Path, P, Error);
  const bool Sound = Opened && mksetup::TestPackage(P, Problems);
  ++(Sound ? T.ToolAccepted : T.ToolRefused);
  if (Intact && !Sound)
    Fail(T, "the intact package refused: " + Error + Problems, At);
  // `mksetup test` reads the file once, decoding entries as it walks them:
  // it must say what opening first and testing after says, word for word.
  mksetup::OpenedPackage Q;
  std::string QError, QProblems;
  const mksetup::TestResult R = mksetup::TestPackageFile(Fs, Path, Q, QError, QProblems);
  if (R != (!Opened ? mksetup::TestResult::NotOpened
            : Sound ? mksetup::TestResult::Sound
                    : mksetup::TestResult::Unsound) ||
      QError != Error || QProblems != Problems || Q.Entries.size() != P.Entries.size())
    Fail(T, "the test in one reading differs: " + QError + QProblems + " / " + Error + Problems,
         At);
}

} // namespace

int main(int Argc, char **Argv) {
  std::string Work = Argc > 1 ? Argv[1] : "/tmp/tc-sweep";
  std::system(("mkdir -p '" + Work + "/src'").c_str());
  WriteHost(Work + "/setup.exe", Stub());
  WriteHost(Work + "/uninst.exe", "MZ stand-in uninstaller " + std::string(200, 'u'));
  WriteHost(Work + "/setup.vis", Script);
  std::string Readme, Data;
  for (int I = 0; I < 40; ++I)
    Readme += "Line " + std::to_string(I) + " of the readme, much like the others.\r\n";
  uint32_t Seed = 7;
  for (int I = 0; I < 6000; ++I) {
    Seed = Seed * 1103515245u + 12345u;
    Data += char(I % 7 == 0 ? Seed >> 16 : 'a' + I % 13);
  }
  WriteHost(Work + "/src/readme.txt", Readme);
  WriteHost(Work + "/src/app.ini", "[Main]\r\nKey=packaged\r\nOther=2\r\n");
  WriteHost(Work + "/src/data.bin", Data);

  platform::posix::PosixFileSystem Fs;
  mksetup::BuildOptions Options;
  Options.ScriptPath = Work + "/setup.vis";
  Options.SourceRoot = Work + "/src";
  Options.StubPath = Work + "/setup.exe";
  Options.UninstallerPath = Work + "/uninst.exe";
  Options.OutputPath = Work + "/out.exe";
  std::string Error;
  if (!mksetup::BuildPackage(Fs, Options, Error)) {
    std::fprintf(stderr, "build: %s\n", Error.c_str());
    return 2;
  }
  const std::string Package = ReadHost(Options.OutputPath);
  const size_t Start = 1024;

  Totals T;
  const auto Began = std::chrono::steady_clock::now();
  RunTool(Work, Package, true, T, 0);
  RunEngine(Package, T, 0);
  if (T.Finished != 1 || LastReadme != Readme || LastCopy != Readme || LastData != Data.size()) {
    std::fprintf(stderr, "the intact package does not install\n");
    return 2;
  }
  T = Totals();
  // Every byte of the package (the stub before it is not read).
  for (size_t At = Start; At < Package.size(); ++At) {
    const uint8_t Old = uint8_t(Package[At]);
    for (uint8_t New : {uint8_t(~Old), uint8_t(0), uint8_t(0xFF)}) {
      if (New == Old)
        continue;
      std::string V = Package;
      V[At] = char(New);
      ++T.Variants;
      RunTool(Work, V, false, T, At);
      RunEngine(V, T, At);
    }
  }
  const uint64_t ByteVariants = T.Variants;
  for (size_t Length = Start; Length < Package.size(); ++Length) {
    const std::string V = Package.substr(0, Length);
    ++T.Variants;
    const uint64_t Accepted = T.ToolAccepted;
    RunTool(Work, V, false, T, Length);
    if (T.ToolAccepted != Accepted)
      Fail(T, "a cut package accepted", Length);
    RunEngine(V, T, Length);
  }
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
  std::printf("package: %zu bytes (%zu of them the package after the stub)\n", Package.size(),
              Package.size() - Start);
  std::printf("variants: %llu (%llu one-byte changes, %llu cuts) in %.1f s\n",
              (unsigned long long)T.Variants, (unsigned long long)ByteVariants,
              (unsigned long long)(T.Variants - ByteVariants), Seconds);
  std::printf("mksetup test: %llu refused, %llu accepted\n", (unsigned long long)T.ToolRefused,
              (unsigned long long)T.ToolAccepted);
  std::printf("launcher start-up refused: %llu; installations finished: %llu, aborted: %llu\n",
              (unsigned long long)T.NotStarted, (unsigned long long)T.Finished,
              (unsigned long long)T.Aborted);
  for (auto &[Text, N] : T.Boxes)
    std::printf("  first box \"%s\": %llu\n", Text.c_str(), (unsigned long long)N);
  std::printf("broken promises: %llu\n", (unsigned long long)T.Broken);
  return T.Broken == 0 ? 0 : 1;
}
