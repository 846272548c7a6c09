#pragma once

#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// The highest height DrainToSea takes: its lifting adds at most half the
// longest side, and the heights must still fit 16 bits.
inline constexpr int32_t kDrainableTop = 65535 - MapSize::kLargestSide / 2;

// Raises every cell above seaTop that water could not leave, to one above
// the cell the water then leaves by: afterwards each of them away from the
// map's edge has a neighbour, of its eight, strictly lower, so that from
// every land cell a way strictly downhill leads to the sea or the edge. No
// cell is lowered, sea cells and edge cells stay as they are, and no cell
// ends higher than the highest height by more than its distance, in cells,
// from the nearest of them. A wrapped edge is no edge: water crosses it, and
// on a map that wraps both ways the sea is the only way out.
// Throws ERangeError, changing nothing, unless the heights lie within
// 0..kDrainableTop.
void DrainToSea(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap = Wrap::kNone);

// Whether every cell above seaTop away from such an edge already has a
// strictly lower neighbour, so that DrainToSea would change nothing.
bool Drains(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, int32_t threads);

}  // namespace morvik
