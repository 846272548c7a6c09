#pragma once

#include <cstdint>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/Heightmap.h"
#include "terrain/MapSize.h"
#include "terrain/SeaLevel.h"

namespace morvik {

// What each region of a world tells of its heights before the finish, so
// that the world's sea and heightmap come out as a whole run's: its
// extremes (FindExtremes), then, within the world's, the heights it holds
// and its rescaled counts (CountRescaled). Gathered, the extremes'
// extremes, any region's heights and the counts' sums are the world's.

// Which heights within the world's extremes the region holds: a byte for
// each from within.lowest to within.highest, 1 where the region has it.
std::vector<uint8_t> OccurringHeights(const CellGrid& heights, MapSize size, HeightExtremes within);

// The highest height a world of these extremes and rescaled counts makes
// sea, for its sea target per mille.
int32_t WorldSeaTop(HeightExtremes extremes, const RescaledCounts& counts, MapSize worldSize,
                    int32_t seaTarget);

// The region's part of the world's heightmap, row by row from its top.
Heightmap RegionHeightmap(const CellGrid& heights, MapSize size, const HeightValues& values);

}  // namespace morvik
