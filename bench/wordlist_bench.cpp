// Loading and shuffling a million-row deck, beside a bare line-reading loop over the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "bench/deck_generator.h"
#include "wordlist/word_list.h"

namespace {

constexpr size_t kRows = 1000000;

std::string DeckPath() {
  static const std::string path = [] {
    const std::string p = "bench-deck-1m.csv";
    pelmo::bench::WriteDeck(p, kRows);
    return p;
  }();
  return path;
}

void BareGetlineLoop(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in(DeckPath());
    std::string line;
    size_t lines = 0;
    while (std::getline(in, line)) {
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BareGetlineLoop)->Unit(benchmark::kMillisecond);

void Load(benchmark::State& state) {
  for (auto _ : state) {
    pelmo::WordList list;
    benchmark::DoNotOptimize(list.Load(DeckPath()));
    state.PauseTiming();  // freeing two million rows is not part of loading
    list = pelmo::WordList();
    state.ResumeTiming();
  }
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

void ShuffleOnThenOff(benchmark::State& state) {
  pelmo::WordList list;
  list.Load(DeckPath());
  for (auto _ : state) {
    list.SetShuffle(true);
    list.SetShuffle(false);
  }
}
BENCHMARK(ShuffleOnThenOff)->Unit(benchmark::kMillisecond);

// Remembers each benchmark's time per iteration so the ratios can be printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> milliseconds;
};

long StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == key) {
      long kib = 0;
      status >> kib;
      return kib;
    }
  }
  return -1;
}

// Peak resident memory of one Load, per byte of file: the high-water mark is reset first.
double PeakBytesPerFileByte(size_t fileBytes) {
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKiB("VmRSS:");
  {
    pelmo::WordList list;
    list.Load(DeckPath());
    benchmark::DoNotOptimize(list.rows.data());
  }
  const long peak = StatusKiB("VmHWM:");
  return (peak - before) * 1024.0 / static_cast<double>(fileBytes);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string path = DeckPath();
  std::ifstream probe(path, std::ios::binary | std::ios::ate);
  const size_t fileBytes = static_cast<size_t>(probe.tellg());
  std::printf("deck: %zu rows, %.1f MB\n", kRows, fileBytes / 1e6);
  const double bytesPerByte = PeakBytesPerFileByte(fileBytes);

  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto& ms = reporter.milliseconds;
  if (ms.count("Load") && ms.count("BareGetlineLoop")) {
    std::printf("Load / bare getline loop: %.2fx (goal: within 8x)\n",
                ms["Load"] / ms["BareGetlineLoop"]);
  }
  std::printf("peak resident memory of Load: %.2f bytes per file byte (goal: under 7)\n",
              bytesPerByte);
  if (ms.count("ShuffleOnThenOff")) {
    std::printf("shuffle on + off at %zu rows: %.1f ms (goal: under 150 ms)\n", kRows,
                ms["ShuffleOnThenOff"]);
  }
  std::remove(path.c_str());
  return 0;
}
