#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "terrain/Circle.h"
#include "terrain/Terrain.h"
#include "tests/terrain/CircleOracle.h"

namespace morvik {
namespace {

// About a day and a half of uptime: draws span their whole ranges.
constexpr uint32_t kTicks = 123456789;
const MapSize kLargest(MapSize::MaxWidth, MapSize::MaxHeight);

void BM_CircleIterationNaive(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    RandomSource random;
    auto heights = std::make_unique<CellGrid>();
    const auto draw = [&] { return static_cast<int32_t>(random.RandomBelow(ticks.Ticks())); };
    for (auto _ : state) {
        const int32_t d1 = draw(), d2 = draw(), d3 = draw(), d4 = draw();
        ApplyCircleCellByCell(*heights, kLargest, CircleFromDraws(kLargest, d1, d2, d3, d4));
        benchmark::DoNotOptimize(heights->At(0, 0));
    }
}
BENCHMARK(BM_CircleIterationNaive)->Unit(benchmark::kMicrosecond);

void BM_CircleIterationFast(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    auto terrain = std::make_unique<Terrain>(ticks);
    for (auto _ : state) {
        terrain->CircleIteration(kLargest);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CircleIterationFast)->Unit(benchmark::kMicrosecond);

// The heaviest run the program offers, from start to the drawn map.
void BM_FullRun(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    auto terrain = std::make_unique<Terrain>(ticks);
    terrain->BuildColourTable();
    std::vector<uint32_t> pixels(kLargest.Cells());
    for (auto _ : state) {
        terrain->StartGeneration(kLargest, 5, 5, kLargest.Width(), kLargest.Height());
        while (terrain->Job().IterationsDone < terrain->Job().TotalIterations) {
            terrain->CircleIteration(kLargest);
        }
        terrain->FinishGeneration(kLargest, {});
        benchmark::DoNotOptimize(
            terrain->RenderMap(PixelView(pixels.data(), kLargest.Width(), kLargest)));
    }
    state.counters["iterations"] = terrain->Job().TotalIterations;
}
BENCHMARK(BM_FullRun)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvik
