// Speed of the block decoder, the checksum and the block coder, measured in
// one run against memcpy and zlib over a corpus of real files (programs from
// /usr/bin and texts from /usr/share/doc), and printed as ratios.
#include "codec/CRC32.h"
#include "codec/LZR.h"
#include "codec/LZREncoder.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

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
void AddFiles(const fs::path &Dir, size_t Budget, std::vector<uint8_t> &Out, size_t &Files) {
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
    ++Files;
  }
}

struct Corpus {
  std::vector<uint8_t> Plain;
  size_t Files = 0;
  std::vector<std::vector<uint8_t>> Blocks; // coded, 32000 input bytes each
  size_t CodedSize = 0;
  std::vector<uint8_t> Deflated; // zlib level 6, one stream
  std::vector<uint8_t> Out;

  Corpus() {
    AddFiles("/usr/bin", 24u << 20, Plain, Files);
    AddFiles("/usr/share/doc", 8u << 20, Plain, Files);
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

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32Sliced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32ByteWise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)->Arg(8)->Arg(32)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate6)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  Corpus &C = TheCorpus();
  std::printf("corpus: %zu files, %.1f MB (/usr/bin, then /usr/share/doc without .gz)\n", C.Files,
              double(C.Plain.size()) / 1e6);
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
  benchmark::Shutdown();
  return 0;
}
