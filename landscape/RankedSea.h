#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "landscape/LandSurface.h"
#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Terrain.h"
#include "terrain/Wrap.h"

namespace morvik {

// The circles' heights as a surface parted by a sea level, with the sea
// taken by rank: the lowest ceil(seaTarget / 1000 of the cells) cells, so
// that the sea's share is the first at or above the target, as the finish
// would have it, but met to the cell. Among the cells of the level the
// share ends in, those whose eight neighbours lie lowest are sea first (then
// by place), so that the coast follows the ground.
struct RankedSurface {
    LandSurface land;  // the heights less the sea's level
    float seaLevel;
};
RankedSurface RankSea(const CellGrid& heights, MapSize size, int32_t seaTarget, Wrap wrap,
                      int32_t threads);

// The ranking's pieces, for a world whose parts count their cells.

// The level the sea of `seaCells` cells ends in, among heights within
// `extremes`, and how many of that level's cells are sea: the heights
// counted in kSeaBuckets buckets of 2^shift heights from the lowest, then
// within the bucket the sea ends in, as countByBucket(lowest, shift,
// onlyBucket) counts them (every bucket for an onlyBucket below 0).
inline constexpr int32_t kSeaBuckets = 1 << 16;
struct SeaEnd {
    int32_t level;
    int64_t tiedSea;
};
using BucketCounter =
    std::function<std::vector<int64_t>(int64_t lowest, int32_t shift, int64_t onlyBucket)>;
SeaEnd FindSeaEnd(HeightExtremes extremes, int64_t seaCells, const BucketCounter& countByBucket);

// A cell of the level the sea ends in: the sum of its neighbourhood's
// heights, the cell's own and its eight's (one beyond an edge that does not
// wrap counting as the level), and its index in the world, column by
// column. The lowest are sea first.
struct TiedCell {
    int64_t around;
    int64_t cell;
    friend bool operator<(const TiedCell& a, const TiedCell& b) {
        return a.around != b.around ? a.around < b.around : a.cell < b.cell;
    }
};

// The indices of the level's cells that are sea, in order.
std::vector<int64_t> SeaOfTied(std::vector<TiedCell> tied, int64_t tiedSea);

}  // namespace morvik
