#include <benchmark/benchmark.h>

#include <memory>

#include "landscape/ErodedLand.h"
#include "terrain/ParallelFor.h"
#include "terrain/Terrain.h"

namespace morvik {
namespace {

// The erosion alone, with the default storms, of a roughness 3 run's
// heights at an engine's size.
void BM_Erosion(benchmark::State& state) {
    const auto side = static_cast<int32_t>(state.range(0));
    const MapSize size(side, side);
    FixedTickSource ticks(123456789);
    auto terrain = std::make_unique<Terrain>(ticks, size, MachineThreads());
    terrain->StartGeneration(size, 3, 4, side, side);
    terrain->CompleteIterations(size);
    for (auto _ : state) {
        state.PauseTiming();
        auto heights = std::make_unique<CellGrid>(terrain->Heights());
        state.ResumeTiming();
        ErodeLand(*heights, size, terrain->Job().SeaTarget, {.threads = MachineThreads()});
        benchmark::DoNotOptimize(heights->At(0, 0));
    }
}
BENCHMARK(BM_Erosion)
    ->Arg(2017)
    ->Arg(4033)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
