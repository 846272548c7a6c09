#include <algorithm>
#include <array>
#include <cstdint>

#include "terrain/Terrain.h"

namespace morvik {

namespace {

constexpr int32_t kRescaledTop = 100;

using HeightCounts = std::array<int32_t, kRescaledTop + 1>;

// Maps the corner's heights onto 0..100 (a flat corner becomes all 0) and
// counts the cells of each new height.
HeightCounts Rescale(CellGrid& heights, MapSize size) {
    int32_t highest = -50000;
    int32_t lowest = 50000;
    for (int32_t x = 0; x < size.Width(); ++x) {
        const int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) {
            highest = std::max(highest, column[y]);
            lowest = std::min(lowest, column[y]);
        }
    }
    const int64_t span = int64_t{highest} - lowest;
    HeightCounts cellsAt{};
    for (int32_t x = 0; x < size.Width(); ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) {
            column[y] =
                span == 0
                    ? 0
                    : static_cast<int32_t>((column[y] - int64_t{lowest}) * kRescaledTop / span);
            ++cellsAt[column[y]];
        }
    }
    return cellsAt;
}

// Lowers every cell of the corner by `depth`.
void LowerBy(CellGrid& heights, MapSize size, int32_t depth) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) column[y] -= depth;
    }
}

}  // namespace

// After the rescale every cell lies in 0..100, so lowering pass k leaves
// exactly the cells of height k or less at or below 0: one count of cells per
// height tells every pass's report. The cells are then lowered once, by the
// number of passes, in place of one pass over the map per pass.
void Terrain::FinishGeneration(MapSize size, const SeaCellsReport& report) {
    RequireHeld(size);
    CellGrid& heights = heightField_.Cells();
    const HeightCounts cellsAt = Rescale(heights, size);
    int32_t passes = 0;
    int32_t seaCells = cellsAt[0];
    int32_t permille = 0;
    // Ends within 100 passes: after pass 100 every cell is sea.
    while (permille < job_.SeaTarget) {
        ++passes;
        seaCells += cellsAt[passes];
        permille = static_cast<int32_t>(int64_t{seaCells} * 1000 / size.Cells());
        if (report) report(seaCells);
    }
    LowerBy(heights, size, passes);
}

void Terrain::LowerAllCells(MapSize size) {
    RequireHeld(size);
    LowerBy(heightField_.Cells(), size, 1);
}

}  // namespace morvik
