// Timings of the compensation engine on one scan revolution of 3,600 samples (a typical
// scan) and of 1,000,000 samples (to show every step stays linear).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "src/engine/circle_preparation.h"
#include "src/engine/compensation.h"
#include "src/engine/filters.h"
#include "src/engine/map_grid.h"
#include "src/files/raw_scan_file.h"

using namespace ombrixdc;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

double Part(double a) {
  return 10.0 + 0.004 * std::sin(3.0 * a) + 0.002 * std::cos(7.0 * a);
}

struct TipLists {
  CMaDoubleArray x, y, z;
};

// A bore scan of tip centres from the +X axis round to 3/4 of a turn past a revolution.
TipLists Scan(std::size_t n) {
  TipLists tips;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = (kTwoPi + 0.75 * kPi) * static_cast<double>(i) / static_cast<double>(n);
    const double r = Part(a) - 1.0;
    tips.x.Add(100.0 + r * std::cos(a));
    tips.y.Add(50.0 + r * std::sin(a));
    tips.z.Add(-5.0);
  }
  return tips;
}

RadialProfile Profile(std::size_t n, double lag) {
  RadialProfile p;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = kPi / 2 + 1e-4 + kTwoPi * static_cast<double>(i) / static_cast<double>(n);
    p.angles.Add(a);
    p.radii.Add(Part(a) + lag * std::sin(2.0 * a + 0.4));
  }
  return p;
}

CompensationParameters Parameters() {
  CompensationParameters p;
  p.mapPitch = 0.5;
  p.featureRadius = 10.0;
  return p;
}

void BM_PrepareScanProfile(benchmark::State& state) {
  const TipLists scan = Scan(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    // Preparation works in place; the copy (three arrays) is timed with it, because pausing
    // the clock costs more than the copy on this machine.
    TipLists tips = scan;
    benchmark::DoNotOptimize(PrepareScanProfile(0, 0, 1.0, tips.x, tips.y, tips.z));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FilterFirstOrder(benchmark::State& state) {
  const RadialProfile p = Profile(static_cast<std::size_t>(state.range(0)), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FilterFirstOrder(20, p.radii));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FilterSecondOrder(benchmark::State& state) {
  const RadialProfile p = Profile(static_cast<std::size_t>(state.range(0)), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FilterSecondOrder(20, p.radii));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The run's grid: pitch 0.5 on radius 10, 125 angles.
void BM_ResampleToMapGrid(benchmark::State& state) {
  const RadialProfile p = Profile(static_cast<std::size_t>(state.range(0)), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A grid of half as many angles as samples: the walk over grid and profile together stays
// linear where a search from the start for every angle would be quadratic.
void BM_ResampleToMapGridFine(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const RadialProfile p = Profile(n, 0.0);
  const double pitch = 10.0 * kTwoPi / static_cast<double>(n / 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ResampleToMapGrid(pitch, 10.0, kMapGridStartAngle, p.radii, p.angles));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Dominated by the least-squares circle fit of the geometry library.
void BM_FitToMapGrid(benchmark::State& state) {
  const RadialProfile p = Profile(static_cast<std::size_t>(state.range(0)), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FitToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The least-squares circle fit alone, on the profile's points (built once, outside the loop).
void BM_CircleFit(benchmark::State& state) {
  const RadialProfile p = Profile(static_cast<std::size_t>(state.range(0)), 0.0);
  const CMaPointArray points = ProfileToPoints(p.radii, p.angles, CMaPoint());
  for (auto _ : state) {
    CMaCircle circle(1.0);
    benchmark::DoNotOptimize(circle.Fit(points));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Everything a learning run computes from its two prepared profiles: both filters passes,
// both resamplings, the least-squares fit, the three map slots and the six data sets.
void BM_ComputeLearning(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const RadialProfile slow = Profile(n, 0.0);
  const RadialProfile fast = Profile(n, 0.003);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputeLearning(Parameters(), slow, fast));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same from the raw tip lists: both scans prepared first.
void BM_LearningFromRawScans(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const TipLists slowScan = Scan(n);
  const TipLists fastScan = Scan(n);
  for (auto _ : state) {
    TipLists slowTips = slowScan, fastTips = fastScan;
    const PreparedScan slow = PrepareScanProfile(0, 0, 1.0, slowTips.x, slowTips.y, slowTips.z);
    const PreparedScan fast = PrepareScanProfile(0, 0, 1.0, fastTips.x, fastTips.y, fastTips.z);
    benchmark::DoNotOptimize(ComputeLearning(Parameters(), slow.profile, fast.profile));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A raw scan file of the scan's tip centres, as a run writes it, in the temporary folder
// (named after the process, so that benchmarks run side by side do not share one).
class RawScanFile {
 public:
  RawScanFile(const char* name, std::size_t n)
      : path_(std::filesystem::temp_directory_path() /
              (std::string(name) + "-" + std::to_string(::getpid()) + "-" + std::to_string(n) +
               ".dat")) {
    const TipLists tips = Scan(n);
    std::ofstream(path_, std::ios::binary) << WriteRawScanFile(tips.x, tips.y, tips.z);
  }
  ~RawScanFile() { std::filesystem::remove(path_); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

RawScanPoints ReadScan(const std::filesystem::path& path) {
  std::optional<TokenReader> reader = TokenReader::FromFile(path);
  return reader ? ReadRawScanFile(*reader) : RawScanPoints{};
}

// One raw scan file read into its three lists.
void BM_ReadRawScanFile(benchmark::State& state) {
  const RawScanFile file("ombrixdc-bench-scan", static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadScan(file.Path()));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A learning run's computation from its two raw scan files: both read, prepared, filtered,
// resampled and the premap's circle fitted.
void BM_LearningFromRawScanFiles(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const RawScanFile slowFile("ombrixdc-bench-slow", n), fastFile("ombrixdc-bench-fast", n);
  for (auto _ : state) {
    RawScanPoints slowTips = ReadScan(slowFile.Path()), fastTips = ReadScan(fastFile.Path());
    const PreparedScan slow = PrepareScanProfile(0, 0, 1.0, slowTips.x, slowTips.y, slowTips.z);
    const PreparedScan fast = PrepareScanProfile(0, 0, 1.0, fastTips.x, fastTips.y, fastTips.z);
    benchmark::DoNotOptimize(ComputeLearning(Parameters(), slow.profile, fast.profile));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_PrepareScanProfile)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterFirstOrder)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterSecondOrder)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResampleToMapGrid)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResampleToMapGridFine)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FitToMapGrid)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CircleFit)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComputeLearning)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LearningFromRawScans)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadRawScanFile)->Arg(3600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LearningFromRawScanFiles)->Arg(3600)->Unit(benchmark::kMicrosecond);
