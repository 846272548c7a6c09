#pragma once

#include <cstdint>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// A run's heights before the finish, as unsigned 16-bit values for a game
// engine: row by row from the top row, higher ground never lower, the lowest
// cell 0 and the highest 65535 (all 0 on a flat map), distinct heights
// distinct whenever there are at most 65536 of them, and every cell that the
// finish makes sea at most seaLevel, every land cell above it.
struct Heightmap {
    MapSize size;
    ZeroedVector<uint16_t> values;
    uint16_t seaLevel;
};

// From the heights as the last iteration left them, and the run's sea target;
// on up to `threads` threads, with the same values for any number.
Heightmap MakeHeightmap(const CellGrid& heights, MapSize size, int32_t seaTarget,
                        int32_t threads = 1);

}  // namespace morvik
