#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "terrain/ParallelFor.h"

#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"

namespace morvik {

namespace {

// Lowers every cell of the corner by `depth`.
void LowerBy(CellGrid& heights, MapSize size, int32_t depth) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) column[y] -= depth;
    }
}

}  // namespace

// Taken from the cells themselves: a corner wholly beyond any fixed starting
// guess would otherwise rescale outside 0..100.
HeightExtremes FindExtremes(const CellGrid& heights, MapSize size, int32_t threads) {
    std::vector<HeightExtremes> bands(BandsOf(size.Width()));
    // Plain minima and maxima, which the compiler takes many at a time.
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        int32_t highest = std::numeric_limits<int32_t>::min();
        int32_t lowest = std::numeric_limits<int32_t>::max();
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                highest = std::max(highest, column[y]);
                lowest = std::min(lowest, column[y]);
            }
        }
        bands[band] = {.highest = highest, .lowest = lowest};
    });
    return Widest(bands);
}

RescaledCounts CountRescaled(const CellGrid& heights, MapSize size, HeightExtremes extremes,
                             int32_t threads) {
    // A band's cells fit 32 bits (a held map does), and its counts count
    // faster so.
    std::vector<std::array<int32_t, kRescaledTop + 1>> bands(BandsOf(size.Width()));
    const Rescaling rescaled(extremes);
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        std::array<int32_t, kRescaledTop + 1>& counts = bands[band];
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                ++counts[rescaled(column[y])];
            }
        }
    });
    RescaledCounts cellsAt{};
    for (const auto& band : bands) {
        for (std::size_t height = 0; height < cellsAt.size(); ++height) {
            cellsAt[height] += band[height];
        }
    }
    return cellsAt;
}

// After the rescale every cell lies in 0..100, so lowering pass k leaves
// exactly the cells of height k or less at or below 0: one count of cells per
// height tells every pass's report. There is always a first pass; after pass
// 100 every cell is sea.
int32_t LoweringPasses(const RescaledCounts& cellsAt, WorldSize size, int32_t seaTarget,
                       const SeaCellsReport& report) {
    int32_t passes = 0;
    int64_t seaCells = cellsAt[0];
    do {
        ++passes;
        seaCells += cellsAt[passes];
        if (report) report(seaCells);
    } while (SeaPermille(seaCells, size) < seaTarget && passes < kRescaledTop);
    return passes;
}

// The rescale never falls as heights rise, so the sea's heights are the
// ones up to the last that rescales within the passes.
int32_t HighestSea(const CellGrid& heights, MapSize size, int32_t seaTarget, int32_t threads) {
    const HeightExtremes extremes = FindExtremes(heights, size, threads);
    return HighestSeaOf(
        extremes, LoweringPasses(CountRescaled(heights, size, extremes, threads), size, seaTarget));
}

int32_t HighestSeaOf(HeightExtremes extremes, int32_t passes) {
    const Rescaling rescaled(extremes);
    int64_t sea = extremes.lowest;  // always within the passes
    int64_t land = int64_t{extremes.highest} + 1;
    while (land - sea > 1) {
        const int64_t middle = sea + (land - sea) / 2;
        (rescaled(static_cast<int32_t>(middle)) <= passes ? sea : land) = middle;
    }
    return static_cast<int32_t>(sea);
}

namespace {

// Rescales every cell and lowers it by `passes`, at once in place of one
// pass over the map a pass. At a sea chosen before, cells above seaTop are
// land, 1 at least, and the cells at or below 0 are counted and returned;
// the finish's own sea needs neither, and goes without their cost.
template <bool kAtSea>
int32_t RescaleAndLower(CellGrid& heights, MapSize size, HeightExtremes extremes, int32_t passes,
                        int32_t seaTop, int32_t threads) {
    std::vector<int32_t> seaCells(BandsOf(size.Width()), 0);
    const int32_t rows = size.Height();
    // Everything the loop reads, by value: a cell written could be any of
    // it for all the compiler knows, which would be read again at every one.
    ForEachBand(size.Width(), threads,
                [&, rows, passes, seaTop, rescaled = Rescaling(extremes)](
                    int32_t band, int32_t first, int32_t end) {
                    static_cast<void>(seaTop);  // read at a sea chosen before alone
                    int32_t sea = 0;
                    for (int32_t x = first; x < end; ++x) {
                        int32_t* column = heights.Column(x);
                        for (int32_t y = 0; y < rows; ++y) {
                            const int32_t lowered = rescaled(column[y]) - passes;
                            if constexpr (kAtSea) {
                                column[y] = column[y] > seaTop ? std::max(lowered, 1) : lowered;
                                sea += column[y] <= 0 ? 1 : 0;
                            } else {
                                column[y] = lowered;
                            }
                        }
                    }
                    seaCells[band] = sea;
                });
    return std::accumulate(seaCells.begin(), seaCells.end(), 0);
}

}  // namespace

void Terrain::FinishGeneration(MapSize size, const SeaCellsReport& report) {
    RequireHeld(size);
    CellGrid& heights = heightField_.Cells();
    const HeightExtremes extremes = FindExtremes(heights, size, threads_);
    const int32_t passes = LoweringPasses(CountRescaled(heights, size, extremes, threads_), size,
                                          job_.SeaTarget, report);
    RescaleAndLower<false>(heights, size, extremes, passes, 0, threads_);
}

void Terrain::FinishAtSea(MapSize size, int32_t seaTop, const SeaCellsReport& report) {
    RequireHeld(size);
    CellGrid& heights = heightField_.Cells();
    const HeightExtremes extremes = FindExtremes(heights, size, threads_);
    const RescaledCounts cellsAt = CountRescaled(heights, size, extremes, threads_);
    const int32_t passes =
        std::max(1, Rescaling(extremes)(std::clamp(seaTop, extremes.lowest, extremes.highest)));
    int64_t seaCells = cellsAt[0];
    for (int32_t pass = 1; pass < passes; ++pass) {
        seaCells += cellsAt[pass];
        if (report) report(seaCells);
    }
    seaCells = RescaleAndLower<true>(heights, size, extremes, passes, seaTop, threads_);
    if (report) report(seaCells);
}

void Terrain::LowerAllCells(MapSize size) {
    RequireHeld(size);
    LowerBy(heightField_.Cells(), size, 1);
}

}  // namespace morvik
