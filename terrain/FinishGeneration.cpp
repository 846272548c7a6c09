#include <algorithm>
#include <cstdint>

#include "terrain/Terrain.h"

namespace morvik {

namespace {

// Maps the corner's heights onto 0..100. A flat corner becomes all 0.
void Rescale(CellGrid& heights, MapSize size) {
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
    for (int32_t x = 0; x < size.Width(); ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) {
            column[y] =
                span == 0 ? 0 : static_cast<int32_t>((column[y] - int64_t{lowest}) * 100 / span);
        }
    }
}

// Lowers every cell of the corner by one; returns how many are then sea.
int32_t LowerOnce(CellGrid& heights, MapSize size) {
    int32_t seaCells = 0;
    for (int32_t x = 0; x < size.Width(); ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) {
            seaCells += --column[y] <= 0;
        }
    }
    return seaCells;
}

}  // namespace

void Terrain::FinishGeneration(MapSize size, const SeaCellsReport& report) {
    CellGrid& heights = heightField_.Cells();
    Rescale(heights, size);
    // Ends within 100 passes: after pass k every cell is at most 100 - k.
    int32_t permille = 0;
    while (permille < job_.SeaTarget) {
        const int32_t seaCells = LowerOnce(heights, size);
        permille = static_cast<int32_t>(int64_t{seaCells} * 1000 / size.Cells());
        if (report) report(seaCells);
    }
}

void Terrain::LowerAllCells(MapSize size) { LowerOnce(heightField_.Cells(), size); }

}  // namespace morvik
