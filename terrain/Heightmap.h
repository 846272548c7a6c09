#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// A run's heights before the finish, as unsigned 16-bit values for a game
// engine: row by row from the top row, higher ground never lower, the lowest
// cell 0 and the highest 65535 (all 0 on a flat map), distinct heights
// distinct whenever there are at most 65536 of them, and every cell up to
// the sea's highest height at most seaLevel, every higher cell above it.
struct Heightmap {
    MapSize size;
    ZeroedVector<uint16_t> values;
    uint16_t seaLevel;
};

// From a run's heights before its finish, and the highest of them that is
// sea (HighestSea's, for a run whose finish sets the sea); on up to
// `threads` threads, with the same values for any number.
Heightmap MakeHeightmap(const CellGrid& heights, MapSize size, int32_t seaTop, int32_t threads = 1);

// The same heights finer, in the heightmap's units and order: each cell's
// value, plus the share of the way to the next height up that `levels`
// (the heights before they were made whole, column by column as they lie;
// none: whole heights) gives it above its own, or for sea the share of the
// way down to the next height below. So cells keep the heightmap's order
// and the sea stays at or below its level.
ZeroedVector<float> MakeFineHeights(const CellGrid& heights, MapSize size, int32_t seaTop,
                                    std::span<const float> levels, int32_t threads = 1);

}  // namespace morvik
