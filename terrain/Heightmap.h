#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Terrain.h"
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

// The 16-bit value of every height that occurs among a run's heights
// before its finish, by its slot above the lowest: the heightmap's rule,
// for a map held whole or for a world whose regions told which heights
// they hold.
struct HeightValues {
    HeightExtremes extremes;
    std::vector<int32_t> values;  // -1 for a height that does not occur
    uint16_t seaLevel;

    std::size_t SlotOf(int32_t height) const {
        return static_cast<std::size_t>(int64_t{height} - extremes.lowest);
    }
    // For a height that occurs.
    uint16_t Of(int32_t height) const { return static_cast<uint16_t>(values[SlotOf(height)]); }
};

// Which heights within these extremes the corner holds: a byte for each
// from within.lowest to within.highest, 1 where one occurs.
std::vector<uint8_t> OccurringHeights(const CellGrid& heights, MapSize size, HeightExtremes within,
                                      int32_t threads = 1);

// From which heights occur (as OccurringHeights gives them, or any
// regions' together) and the highest that is sea.
HeightValues ValuesOfHeights(std::span<const uint8_t> occurs, HeightExtremes extremes,
                             int32_t seaTop);

// The corner's heights as their values, row by row from the top.
Heightmap HeightmapOf(const CellGrid& heights, MapSize size, const HeightValues& values,
                      int32_t threads = 1);

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

// The same for a region of a run, whose heights' values the whole run's
// table gives.
ZeroedVector<float> FineHeightsOf(const CellGrid& heights, MapSize size, int32_t seaTop,
                                  const HeightValues& table, std::span<const float> levels,
                                  int32_t threads = 1);

}  // namespace morvik
