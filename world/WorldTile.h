#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "run/RunSettings.h"
#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"

namespace morvik {

// A part of a world: its top left cell and its size.
struct WorldRegion {
    int32_t left;
    int32_t top;
    MapSize size;
};

// The heights a whole run with these settings would have in each region
// before its finish, the same numbers cell for cell, from one pass over the
// run's circles: each region takes those that reach it, and what every
// circle does to every cell alike.
std::vector<CellGrid> RegionHeights(const RunSettings& settings,
                                    std::span<const WorldRegion> regions);

}  // namespace morvik
