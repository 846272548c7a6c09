#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "run/MapRun.h"
#include "terrain/Circle.h"
#include "terrain/RandomSource.h"
#include "tests/terrain/CircleOracle.h"
#include "tools/ThreadCount.h"

namespace morvik {
namespace {

constexpr uint32_t kTicks = 123456789;

// What one iteration costs the cell-by-cell loop at this size, from a few
// of the run's own first circles. The first only brings the grid's pages in.
double CellByCellSecondsPerIteration(MapSize size) {
    constexpr int kSampled = 3;
    auto heights = std::make_unique<CellGrid>(size);
    RandomSource random;
    const auto take = [&] { return static_cast<int32_t>(random.RandomBelow(kTicks)); };
    const auto iterate = [&] {
        const int32_t d1 = take(), d2 = take(), d3 = take(), d4 = take();
        ApplyCircleCellByCell(*heights, size, CircleFromNumbers(size, d1, d2, d3, d4));
    };
    iterate();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSampled; ++i) iterate();
    benchmark::DoNotOptimize(heights->At(0, 0));
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kSampled;
}

// A game engine's square map at roughness 1 through the batch tool's whole
// generate path, heightmap included, on every core; files aside.
void BM_EngineSizeRun(benchmark::State& state) {
    const auto side = static_cast<int32_t>(state.range(0));
    const RunSettings settings{
        .width = side, .height = side, .roughness = 1, .seaShare = 5, .tick = kTicks};
    const int32_t threads = MachineThreads();
    uint16_t seaLevel = 0;
    int32_t iterations = 0;
    std::chrono::duration<double> run{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        MapRun map(settings, threads);
        map.Complete({}, [&] { seaLevel = map.MakeHeightmap().seaLevel; });
        benchmark::DoNotOptimize(map.Picture(MapView::kColour).extremes);
        run = std::chrono::steady_clock::now() - start;
        iterations = map.Job().TotalIterations;
        benchmark::DoNotOptimize(seaLevel);
    }
    const double estimate = CellByCellSecondsPerIteration(settings.Size()) * iterations;
    state.counters["iterations"] = iterations;
    state.counters["threads"] = threads;
    state.counters["cell_by_cell_s"] = estimate;
    state.counters["cell_by_cell_ratio"] = estimate / run.count();
}
BENCHMARK(BM_EngineSizeRun)
    ->Arg(4033)
    ->Arg(8129)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
