#include <benchmark/benchmark.h>

#include <vector>

#include "world/WorldTile.h"

namespace morvik {
namespace {

// A world's heights by region, as one rank of morvik-world builds its
// tiles: the whole world as one region (arg 1), or cut into n x n tiles
// that share their edges, all of them on the one rank. Against the first,
// the rest show what cutting a world into tiles costs its circles.
void BM_RegionHeights(benchmark::State& state) {
    const auto side = static_cast<int32_t>(state.range(0));
    const auto across = static_cast<int32_t>(state.range(1));
    const RunSettings settings{
        .width = side, .height = side, .roughness = 3, .seaShare = 5, .tick = 123456789};
    const int32_t tile = (side - 1) / across + 1;
    std::vector<WorldRegion> regions;
    for (int32_t row = 0; row < across; ++row) {
        for (int32_t column = 0; column < across; ++column) {
            regions.push_back({column * (tile - 1), row * (tile - 1), MapSize(tile, tile)});
        }
    }
    for (auto _ : state) {
        const std::vector<CellGrid> heights = RegionHeights(settings, regions);
        benchmark::DoNotOptimize(heights.front().At(0, 0));
    }
}
BENCHMARK(BM_RegionHeights)
    ->Args({2049, 1})
    ->Args({2049, 4})
    ->Args({4097, 1})
    ->Args({4097, 4})
    ->Args({4097, 8})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
