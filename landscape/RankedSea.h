#pragma once

#include <cstdint>

#include "landscape/LandSurface.h"
#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
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

}  // namespace morvik
