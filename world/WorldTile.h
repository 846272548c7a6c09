#pragma once

#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Wrap.h"
#include "world/WorldCircles.h"

namespace morvik {

// A part of a world: its top left cell and its size.
struct WorldRegion {
    int32_t left;
    int32_t top;
    MapSize size;
};

// The heights a whole run of the world would have in the region before
// its finish, from the circles that reach it alone and what all of them do
// to every cell: the same numbers, cell for cell.
CellGrid RegionHeights(const WorldCircles& world, MapSize worldSize, Wrap wrap,
                       const WorldRegion& region);

}  // namespace morvik
