// Speed of the block decoder, the checksum and the block coder, measured in
// one run against memcpy and zlib over a corpus of real files (programs from
// /usr/bin and texts from /usr/share/doc), and printed as ratios.
#include "codec/CRC32.h"
#include "codec/LZR.h"
#include "codec/LZREncoder.h"
#include "codec/Workers.h"

#include "PackageBuilder.h"
#include "PackageInspector.h"
#include "ScriptInit.h"
#include "platform/posix/PosixFile.h"

#include <benchmark/benchmark.h>
#include <lzma.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <ctime>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Regular files below Dir in name order until Budget bytes are taken, so the
// corpus is the same from run to run on one machine.
void AddFiles(const fs::path &Dir, size_t Budget, std::vector<uint8_t> &Out,
              std::vector<size_t> &Sizes) {
  std::vector<fs::path> Paths;
  std::error_code Ec;
  for (auto It =
           fs::recursive_directory_iterator(Dir, fs::directory_options::skip_permission_denied, Ec);
       It != fs::recursive_directory_iterator(); It.increment(Ec)) {
    if (Ec)
      break;
    if (It->is_regular_file(Ec) && !It->is_symlink(Ec))
      Paths.push_back(It->path());
  }
  std::sort(Paths.begin(), Paths.end());
  const size_t Start = Out.size();
  for (const auto &P : Paths) {
    if (Out.size() - Start >= Budget)
      break;
    std::ifstream In(P, std::ios::binary);
    std::vector<uint8_t> Data((std::istreambuf_iterator<char>(In)), {});
    if (Data.empty() || P.extension() == ".gz") // already compressed texts say little
      continue;
    Data.resize(std::min(Data.size(), Budget - (Out.size() - Start)));
    Out.insert(Out.end(), Data.begin(), Data.end());
    Sizes.push_back(Data.size());
  }
}

struct Corpus {
  std::vector<uint8_t> Plain;
  std::vector<size_t> FileSizes;            // the files, one after another in Plain
  std::vector<std::vector<uint8_t>> Blocks; // coded, 32000 input bytes each
  size_t CodedSize = 0;
  std::vector<uint8_t> Deflated; // zlib level 6, one stream
  std::vector<uint8_t> Out;

  Corpus() {
    AddFiles("/usr/bin", 24u << 20, Plain, FileSizes);
    AddFiles("/usr/share/doc", 8u << 20, Plain, FileSizes);
    codec::TLzrEncoder Encoder;
    std::vector<uint8_t> Block(codec::kMaxCodedBlock);
    for (size_t Pos = 0; Pos < Plain.size(); Pos += codec::kBlockInput) {
      const uint32_t N = uint32_t(std::min<size_t>(codec::kBlockInput, Plain.size() - Pos));
      const uint32_t B = Encoder.EncodeBlock(Plain.data() + Pos, N, Block.data());
      Blocks.emplace_back(Block.begin(), Block.begin() + B);
      CodedSize += 4 + B;
    }
    uLongf Len = compressBound(uLong(Plain.size()));
    Deflated.resize(Len);
    compress2(Deflated.data(), &Len, Plain.data(), uLong(Plain.size()), 6);
    Deflated.resize(Len);
    Out.resize(Plain.size() + codec::kBlockBufferSize);
  }
};

Corpus &TheCorpus() {
  static Corpus C;
  return C;
}

void BM_Memcpy(benchmark::State &State) {
  Corpus &C = TheCorpus();
  for (auto _ : State) {
    for (size_t Pos = 0; Pos < C.Plain.size(); Pos += codec::kBlockInput)
      std::memcpy(C.Out.data() + Pos, C.Plain.data() + Pos,
                  std::min<size_t>(codec::kBlockInput, C.Plain.size() - Pos));
    benchmark::DoNotOptimize(C.Out.data());
    benchmark::ClobberMemory();
  }
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_DecompressBlock(benchmark::State &State) {
  Corpus &C = TheCorpus();
  // The launcher's shape: every block into the same 65535-byte buffer.
  std::vector<uint8_t> Dest(codec::kBlockBufferSize);
  for (auto _ : State) {
    size_t Total = 0;
    for (const auto &B : C.Blocks)
      Total +=
          codec::DecompressBlock(B.data(), Dest.data(), uint16_t(B.size()), codec::kDecodeLimit);
    benchmark::DoNotOptimize(Total);
    if (Total != C.Plain.size())
      State.SkipWithError("decoded size differs");
  }
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_ZlibInflate(benchmark::State &State) {
  Corpus &C = TheCorpus();
  for (auto _ : State) {
    uLongf Len = uLongf(C.Out.size());
    uncompress(C.Out.data(), &Len, C.Deflated.data(), uLong(C.Deflated.size()));
    if (Len != C.Plain.size())
      State.SkipWithError("inflated size differs");
  }
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_Crc32(benchmark::State &State) {
  Corpus &C = TheCorpus();
  for (auto _ : State)
    benchmark::DoNotOptimize(codec::UpdateCrc32(C.Plain.data(), C.Plain.size(), 0));
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_Crc32Sliced(benchmark::State &State) {
  Corpus &C = TheCorpus();
  for (auto _ : State)
    benchmark::DoNotOptimize(codec::UpdateCrc32Sliced(C.Plain.data(), C.Plain.size(), 0));
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_Crc32ByteWise(benchmark::State &State) {
  Corpus &C = TheCorpus();
  for (auto _ : State) {
    uint32_t Crc = 0;
    for (uint8_t B : C.Plain)
      Crc = codec::UpdateCrc32(B, Crc);
    benchmark::DoNotOptimize(Crc);
  }
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_Encode(benchmark::State &State) {
  Corpus &C = TheCorpus();
  codec::TLzrEncoder Encoder(uint32_t(State.range(0)));
  std::vector<uint8_t> Block(codec::kMaxCodedBlock);
  size_t Coded = 0;
  for (auto _ : State) {
    Coded = 0;
    for (size_t Pos = 0; Pos < C.Plain.size(); Pos += codec::kBlockInput)
      Coded += 4 + Encoder.EncodeBlock(
                       C.Plain.data() + Pos,
                       uint32_t(std::min<size_t>(codec::kBlockInput, C.Plain.size() - Pos)),
                       Block.data());
  }
  State.counters["size_percent"] = 100.0 * double(Coded) / double(C.Plain.size());
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_ZlibDeflate6(benchmark::State &State) {
  Corpus &C = TheCorpus();
  std::vector<uint8_t> Out(compressBound(uLong(C.Plain.size())));
  uLongf Len = 0;
  for (auto _ : State) {
    Len = uLongf(Out.size());
    compress2(Out.data(), &Len, C.Plain.data(), uLong(C.Plain.size()), 6);
  }
  State.counters["size_percent"] = 100.0 * double(Len) / double(C.Plain.size());
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

void BM_Xz6(benchmark::State &State) {
  Corpus &C = TheCorpus();
  std::vector<uint8_t> Out(lzma_stream_buffer_bound(C.Plain.size()));
  size_t Len = 0;
  for (auto _ : State) {
    Len = 0;
    if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC32, nullptr, C.Plain.data(), C.Plain.size(),
                                Out.data(), &Len, Out.size()) != LZMA_OK)
      State.SkipWithError("xz failed");
  }
  State.counters["size_percent"] = 100.0 * double(Len) / double(C.Plain.size());
  State.SetBytesProcessed(int64_t(State.iterations() * C.Plain.size()));
}

// Collects each run's speed for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> Speed, Size;
  void ReportRuns(const std::vector<Run> &Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run &R : Runs) {
      auto It = R.counters.find("bytes_per_second");
      if (It != R.counters.end())
        Speed[R.benchmark_name()] = It->second;
      auto S = R.counters.find("size_percent");
      if (S != R.counters.end())
        Size[R.benchmark_name()] = S->second;
    }
  }
};

// Wall and processor time of one piece of work (processor time of every
// thread of the process).
struct Timed {
  double Wall = 0, Cpu = 0;
};

template <class F> Timed Time(F &&Work) {
  const auto W0 = std::chrono::steady_clock::now();
  const std::clock_t C0 = std::clock();
  Work();
  Timed T;
  T.Cpu = double(std::clock() - C0) / CLOCKS_PER_SEC;
  T.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - W0).count();
  return T;
}

// The shorter wall time and the shorter processor time of A and B: on a
// machine shared with other work a run is only ever slowed down.
Timed Shorter(const Timed &A, const Timed &B) {
  return {std::min(A.Wall, B.Wall), std::min(A.Cpu, B.Cpu)};
}

// The decoder alone over the corpus Passes times, as BM_DecompressBlock runs
// it: the same bytes as a package test of Passes copies of the corpus.
void DecodeCorpus(const Corpus &C, unsigned Passes) {
  std::vector<uint8_t> Dest(codec::kBlockBufferSize);
  size_t Total = 0;
  for (unsigned p = 0; p < Passes; ++p)
    for (const auto &B : C.Blocks)
      Total +=
          codec::DecompressBlock(B.data(), Dest.data(), uint16_t(B.size()), codec::kDecodeLimit);
  benchmark::DoNotOptimize(Total);
}

// The package tool on the corpus: its files written to a temporary folder
// (and linked Copies times more below it for the large package), a script
// made for them, `build` and `test` timed. The folder is removed after.
class PackageRun {
public:
  explicit PackageRun(const Corpus &C) {
    FDir = fs::temp_directory_path() / ("codec_bench." + std::to_string(getpid()));
    fs::remove_all(FDir);
    fs::create_directories(FDir / "one");
    size_t Pos = 0;
    for (size_t k = 0; k < C.FileSizes.size(); ++k) {
      char Name[32];
      std::snprintf(Name, sizeof Name, "f%05zu.bin", k);
      std::ofstream(FDir / "one" / Name, std::ios::binary)
          .write(reinterpret_cast<const char *>(C.Plain.data() + Pos),
                 std::streamsize(C.FileSizes[k]));
      Pos += C.FileSizes[k];
    }
    // A launcher stub: a PE header whose image ends where the file does.
    std::vector<uint8_t> Stub(1024);
    Stub[0] = 'M', Stub[1] = 'Z', Stub[60] = 64;
    std::memcpy(&Stub[64], "PE\0\0", 4);
    const uint32_t Fields[4] = {512, 256, 0, 1024 - 768}; // code, data, bss; headers at +60
    std::memcpy(&Stub[64 + 24 + 4], Fields, 12);
    std::memcpy(&Stub[64 + 24 + 60], &Fields[3], 4);
    std::ofstream(FDir / "stub.exe", std::ios::binary)
        .write(reinterpret_cast<const char *>(Stub.data()), std::streamsize(Stub.size()));
  }
  ~PackageRun() {
    std::error_code Ec;
    fs::remove_all(FDir, Ec);
  }

  // Copies of the corpus files (hard links where the file system has them).
  void MakeLarge(unsigned Copies) {
    for (unsigned c = 0; c < Copies; ++c) {
      const fs::path To = FDir / "large" / ("copy" + std::to_string(c));
      fs::create_directories(To);
      for (const auto &E : fs::directory_iterator(FDir / "one")) {
        std::error_code Ec;
        fs::create_hard_link(E.path(), To / E.path().filename(), Ec);
        if (Ec)
          fs::copy_file(E.path(), To / E.path().filename());
      }
    }
  }

  // Builds the package of folder Name; false with the message printed.
  bool Build(const std::string &Name, unsigned Threads, uint32_t Depth, Timed &T, uint64_t &Size,
             uint32_t &Sum) {
    platform::posix::PosixFileSystem Files;
    mksetup::InitOptions I;
    I.SourceDir = (FDir / Name).string();
    I.Title = "Bench";
    std::string Script, Error;
    if (!mksetup::MakeStarterScript(Files, I, Script, Error))
      return Fail(Error);
    const fs::path ScriptPath = FDir / (Name + ".txt");
    std::ofstream(ScriptPath, std::ios::binary) << Script;
    mksetup::BuildOptions O;
    O.ScriptPath = ScriptPath.string();
    O.SourceRoot = I.SourceDir;
    O.StubPath = (FDir / "stub.exe").string();
    O.OutputPath = (FDir / (Name + ".exe")).string();
    O.ChainDepth = Depth;
    O.Threads = Threads;
    bool Ok = false;
    T = Time([&] { Ok = mksetup::BuildPackage(Files, O, Error); });
    if (!Ok)
      return Fail(Error);
    // The package's checksum stands for its bytes, to compare builds.
    std::ifstream In(O.OutputPath, std::ios::binary);
    std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)), {});
    Size = Bytes.size();
    Sum = codec::Crc32Of(Bytes.data(), Bytes.size());
    return true;
  }

  // `mksetup test` of a built package: every entry decoded and checked.
  bool Test(const std::string &Name, Timed &T) {
    platform::posix::PosixFileSystem Files;
    mksetup::OpenedPackage P;
    std::string Error, Problems;
    bool Ok = false;
    T = Time([&] {
      Ok = mksetup::TestPackageFile(Files, (FDir / (Name + ".exe")).string(), P, Error, Problems) ==
           mksetup::TestResult::Sound;
    });
    return Ok ? true : Fail(Error + Problems);
  }

private:
  static bool Fail(const std::string &Text) {
    std::printf("package run failed: %s\n", Text.c_str());
    return false;
  }
  fs::path FDir;
};

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32Sliced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32ByteWise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)->Arg(8)->Arg(32)->Arg(256)->Unit(benchmark::kMillisecond);
// The exhaustive search: the smallest blocks the format allows. Slow, so once.
BENCHMARK(BM_Encode)->Arg(codec::kExhaustiveDepth)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Xz6)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
  // --no_package leaves out the package tool's build and test (minutes).
  bool SkipPackage = false;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--no_package") {
      SkipPackage = true;
      std::copy(argv + i + 1, argv + argc, argv + i);
      --argc;
      break;
    }
  benchmark::Initialize(&argc, argv);
  Corpus &C = TheCorpus();
  std::printf("corpus: %zu files, %.1f MB (/usr/bin, then /usr/share/doc without .gz)\n",
              C.FileSizes.size(), double(C.Plain.size()) / 1e6);
  RatioReporter R;
  benchmark::RunSpecifiedBenchmarks(&R);
  auto Get = [&](const char *Name) { return R.Speed.count(Name) ? R.Speed[Name] : 0.0; };
  auto Ratio = [&](const char *What, const char *A, const char *B) {
    const double X = Get(A), Y = Get(B);
    if (X > 0 && Y > 0)
      std::printf("%-44s %8.1f MB/s vs %8.1f MB/s  ratio %.2f\n", What, X / 1e6, Y / 1e6, X / Y);
  };
  std::printf("\nratios (same run):\n");
  Ratio("decoder output / memcpy", "BM_DecompressBlock", "BM_Memcpy");
  Ratio("decoder output / zlib inflate output", "BM_DecompressBlock", "BM_ZlibInflate");
  Ratio("crc32 (as chosen) / memcpy", "BM_Crc32", "BM_Memcpy");
  Ratio("crc32 (tables, sliced) / memcpy", "BM_Crc32Sliced", "BM_Memcpy");
  Ratio("crc32 (as chosen) / crc32 byte-wise", "BM_Crc32", "BM_Crc32ByteWise");
  Ratio("coder depth 32 / zlib level 6 (input speed)", "BM_Encode/32", "BM_ZlibDeflate6");
  Ratio("coder depth 8 / zlib level 6 (input speed)", "BM_Encode/8", "BM_ZlibDeflate6");
  Ratio("coder depth 256 / zlib level 6 (input speed)", "BM_Encode/256", "BM_ZlibDeflate6");
  for (const auto &[Name, Pct] : R.Size)
    std::printf("%-44s %6.2f %% of the corpus\n", (Name + " size").c_str(), Pct);
  std::printf("coded stream as the launcher reads it (depth 32): %.2f %% of the corpus\n",
              100.0 * double(C.CodedSize) / double(C.Plain.size()));
  auto Pct = [&](const char *Name) { return R.Size.count(Name) ? R.Size[Name] : 0.0; };
  const double Z6 = Pct("BM_ZlibDeflate6"), Xz = Pct("BM_Xz6/iterations:1");
  for (const char *D :
       {"BM_Encode/8", "BM_Encode/32", "BM_Encode/256", "BM_Encode/4096/iterations:1"})
    if (Pct(D) > 0 && Z6 > 0 && Xz > 0)
      std::printf("%-44s %.3f x zlib level 6, %.3f x xz -6\n", (std::string(D) + " size").c_str(),
                  Pct(D) / Z6, Pct(D) / Xz);

  if (SkipPackage) {
    benchmark::Shutdown();
    return 0;
  }
  // The package tool, on all processors at the default depth.
  const unsigned Cores = codec::HardwareThreads();
  const uint32_t Depth = mksetup::BuildOptions().ChainDepth;
  const double Input = double(C.Plain.size());
  std::printf("\npackage tool (default depth %u, %u processors; wall time, and processor "
              "time of all threads):\n",
              Depth, Cores);
  PackageRun Run(C);
  Timed One, All;
  uint64_t SizeOne = 0, SizeAll = 0;
  uint32_t SumOne = 0, SumAll = 0;
  if (Run.Build("one", 1, Depth, One, SizeOne, SumOne) &&
      Run.Build("one", 0, Depth, All, SizeAll, SumAll)) {
    std::printf("build, 1 thread        %8.1f MB/s wall  %8.1f MB/s per processor second\n",
                Input / One.Wall / 1e6, Input / One.Cpu / 1e6);
    std::printf("build, %u threads       %8.1f MB/s wall  %8.1f MB/s per processor second  "
                "speed-up %.2f, same package: %s\n",
                Cores, Input / All.Wall / 1e6, Input / All.Cpu / 1e6, One.Wall / All.Wall,
                SizeOne == SizeAll && SumOne == SumAll ? "yes" : "NO");
    const double Zlib = Get("BM_ZlibDeflate6");
    if (Zlib > 0)
      std::printf("build (all threads, wall) / zlib level 6 (one thread)  ratio %.2f\n",
                  Input / All.Wall / Zlib);
  }
  const unsigned Copies = unsigned((500e6 + Input - 1) / Input);
  Run.MakeLarge(Copies);
  Timed Big, Test;
  uint64_t SizeBig = 0;
  uint32_t SumBig = 0;
  const double Decoded = Input * Copies;
  // What a user waits for is the wall time; the test reads the package on a
  // second thread, so its processor time is more than that. The decoder
  // decodes the same bytes (the corpus Copies times) in turn with the test,
  // and each keeps its best run.
  const unsigned Runs = 5;
  bool Ok = Run.Build("large", 0, Depth, Big, SizeBig, SumBig);
  Timed Dec;
  for (unsigned r = 0; Ok && r < Runs; ++r) {
    Timed T;
    Ok = Run.Test("large", T);
    const Timed D = Time([&] { DecodeCorpus(C, Copies); });
    Test = r ? Shorter(Test, T) : T;
    Dec = r ? Shorter(Dec, D) : D;
  }
  if (Ok) {
    std::printf("build of %.0f MB (%u copies)  %8.1f MB/s wall  %8.1f MB/s per processor second, "
                "package %.0f MB\n",
                Decoded / 1e6, Copies, Decoded / Big.Wall / 1e6, Decoded / Big.Cpu / 1e6,
                double(SizeBig) / 1e6);
    std::printf("test of that package   %8.1f MB/s wall  %8.1f MB/s per processor second "
                "(decoded bytes, best of %u runs)\n",
                Decoded / Test.Wall / 1e6, Decoded / Test.Cpu / 1e6, Runs);
    std::printf("decoder, same bytes    %8.1f MB/s wall  %8.1f MB/s per processor second "
                "(best of %u runs, in turn with the test)\n",
                Decoded / Dec.Wall / 1e6, Decoded / Dec.Cpu / 1e6, Runs);
    std::printf("%-44s %8.1f MB/s vs %8.1f MB/s  ratio %.2f\n",
                "test (wall time) / decoder (wall time)", Decoded / Test.Wall / 1e6,
                Decoded / Dec.Wall / 1e6, Dec.Wall / Test.Wall);
    std::printf("%-44s %8.1f MB/s vs %8.1f MB/s  ratio %.2f\n",
                "test (processor time) / decoder (proc. time)", Decoded / Test.Cpu / 1e6,
                Decoded / Dec.Cpu / 1e6, Dec.Cpu / Test.Cpu);
  }
  benchmark::Shutdown();
  return 0;
}
