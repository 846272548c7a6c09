#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "terrain/Circle.h"
#include "terrain/Terrain.h"
#include "tests/terrain/CircleOracle.h"
#include "tests/terrain/FinishOracle.h"

namespace morvik {
namespace {

// About a day and a half of uptime: the numbers taken span their whole ranges.
constexpr uint32_t kTicks = 123456789;
const MapSize kLargest = kLargestProgramMap;

void BM_CircleIterationNaive(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    RandomSource random;
    auto heights = std::make_unique<CellGrid>(kLargestProgramMap);
    const auto take = [&] { return static_cast<int32_t>(random.RandomBelow(ticks.Ticks())); };
    for (auto _ : state) {
        const int32_t d1 = take(), d2 = take(), d3 = take(), d4 = take();
        ApplyCircleCellByCell(*heights, kLargest, CircleFromNumbers(kLargest, d1, d2, d3, d4));
        benchmark::DoNotOptimize(heights->At(0, 0));
    }
}
BENCHMARK(BM_CircleIterationNaive)->Unit(benchmark::kMicrosecond);

void BM_CircleIterationFast(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    auto terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
    for (auto _ : state) {
        terrain->CircleIteration(kLargest);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CircleIterationFast)->Unit(benchmark::kMicrosecond);

// The heaviest run the program offers, from start to the drawn map, on one
// thread as the program runs it, and on two.
void BM_FullRun(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    auto terrain =
        std::make_unique<Terrain>(ticks, kLargestProgramMap, static_cast<int32_t>(state.range(0)));
    terrain->BuildColourTable();
    std::vector<uint32_t> pixels(kLargest.Cells());
    for (auto _ : state) {
        terrain->StartGeneration(kLargest, 5, 5, kLargest.Width(), kLargest.Height());
        terrain->CompleteIterations(kLargest);
        terrain->FinishGeneration(kLargest, {});
        benchmark::DoNotOptimize(
            terrain->RenderMap(PixelView(pixels.data(), kLargest.Width(), kLargest)));
    }
    state.counters["iterations"] = terrain->Job().TotalIterations;
}
BENCHMARK(BM_FullRun)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr int32_t kMostSea = 900;  // per mille: the most lowering passes

// The heights of a whole roughness 5 run at the largest size, made once.
const CellGrid& RunHeights() {
    static const std::unique_ptr<CellGrid> heights = [] {
        FixedTickSource ticks(kTicks);
        auto terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
        terrain->StartGeneration(kLargest, 5, 9, kLargest.Width(), kLargest.Height());
        terrain->CompleteIterations(kLargest);
        return std::make_unique<CellGrid>(terrain->Heights());
    }();
    return *heights;
}

// The finish with sea 9, and beside it the pass-by-pass loop it replaces.
void BM_FinishGeneration(benchmark::State& state) {
    FixedTickSource ticks(kTicks);
    auto terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
    terrain->StartGeneration(kLargest, 5, 9, kLargest.Width(), kLargest.Height());
    for (auto _ : state) {
        state.PauseTiming();
        for (int32_t x = 0; x < kLargest.Width(); ++x) {
            for (int32_t y = 0; y < kLargest.Height(); ++y) {
                terrain->SetHeight(x, y, RunHeights().At(x, y));
            }
        }
        state.ResumeTiming();
        terrain->FinishGeneration(kLargest, {});
    }
}
BENCHMARK(BM_FinishGeneration)->Unit(benchmark::kMillisecond);

void BM_FinishGenerationPassByPass(benchmark::State& state) {
    auto heights = std::make_unique<CellGrid>(kLargestProgramMap);
    std::size_t passes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        *heights = RunHeights();
        state.ResumeTiming();
        passes = FinishPassByPass(*heights, kLargest, kMostSea).size();
    }
    state.counters["passes"] = static_cast<double>(passes);
}
BENCHMARK(BM_FinishGenerationPassByPass)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvik
