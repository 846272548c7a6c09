#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "bench/LandformMeasures.h"
#include "landscape/ErodedLand.h"
#include "run/MapRun.h"
#include "terrain/Terrain.h"
#include "tools/ThreadCount.h"

namespace morvik {
namespace {

// The erosion alone, with the default amount, of a roughness 3 run's
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

// The heightmap of one whole run, eroded for `amount` or not at all.
Heightmap RunHeightmap(MapSize size, int32_t roughness, int32_t seaShare,
                       std::optional<int32_t> amount) {
    std::optional<Heightmap> heightmap;
    MapRun run({.width = size.Width(),
                .height = size.Height(),
                .roughness = roughness,
                .seaShare = seaShare,
                .tick = 2026120901,
                .erosion = amount},
               MachineThreads());
    run.Complete({}, [&] { heightmap = run.MakeHeightmap(); });
    return std::move(*heightmap);
}

// What an eroded map's land measures against its uneroded twin's, as
// counters: side, roughness, sea share and amount. The time is the whole
// eroded run's. The aims: the sea within half a point of the share asked;
// flats at most 1 % of the land (median of the maps), none over 0.2 %;
// concavity 0.35..0.70 and Hack's exponent 0.45..0.65; gentle ground near
// the edges at most 1.5 times as common as inland; half the islets kept and
// a coastline dimension of 1.25 or more; at amount 100 the inland 99th
// percentile at least half its value at amount 1.
void BM_ErodedLandforms(benchmark::State& state) {
    const MapSize size(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(0)));
    const auto roughness = static_cast<int32_t>(state.range(1));
    const auto seaShare = static_cast<int32_t>(state.range(2));
    const auto amount = static_cast<int32_t>(state.range(3));
    const LandformMeasures plain = MeasureLandforms(RunHeightmap(size, roughness, seaShare, {}));
    std::optional<Heightmap> eroded;
    for (auto _ : state) eroded = RunHeightmap(size, roughness, seaShare, amount);
    const LandformMeasures measures = MeasureLandforms(*eroded);
    state.counters["sea_asked"] = seaShare * 10;
    state.counters["sea"] = measures.seaPercent;
    state.counters["sea_plain"] = plain.seaPercent;
    state.counters["flat"] = measures.flatPercent;
    state.counters["flat_largest"] = measures.largestFlatPercent;
    state.counters["concavity"] = measures.concavity;
    state.counters["concavity_fit"] = measures.concavityFit;
    state.counters["hack"] = measures.hack;
    state.counters["edge_gentle"] = measures.edgeGentle;
    state.counters["islets_kept"] = plain.islets > 0 ? measures.islets / plain.islets : 1;
    state.counters["coast_dim"] = measures.coastDimension;
    state.counters["coast_dim_plain"] = plain.coastDimension;
    state.counters["inland_p99"] = measures.inlandP99;
}
BENCHMARK(BM_ErodedLandforms)
    ->Args({1009, 3, 2, kDefaultErosion})
    ->Args({1009, 1, 5, kDefaultErosion})
    ->Args({1009, 5, 7, kDefaultErosion})
    ->Args({1009, 3, 4, kLeastErosion})
    ->Args({1009, 3, 4, kDefaultErosion})
    ->Args({1009, 3, 4, kMostErosion})
    ->Args({2017, 3, 4, kDefaultErosion})
    ->Args({2017, 5, 2, kDefaultErosion})
    ->Args({4033, 3, 4, kDefaultErosion})
    ->Args({4033, 1, 7, kDefaultErosion})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
