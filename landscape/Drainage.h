#pragma once

#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// The highest height DrainToSea takes, and the levels the erosion counts
// its heights in, so that every eroded map depends on it: it stays where
// maps of 8192 a side put it, their lift kept within 16 bits. The lift adds
// at most half the longest side.
inline constexpr int32_t kDrainableTop = 61439;

// What becomes of a hollow, ground water cannot leave: filled, with the
// least lift that lets the water out, or breached, its way out cut down.
enum class Hollows { kFill, kBreach };

// Makes every cell above seaTop drain: afterwards each of them away from
// the map's edge has a neighbour, of its eight, strictly lower, so that
// from every land cell a way strictly downhill leads to the sea or the edge.
// Sea cells stay as they are, and no land cell ends at or below seaTop.
// Filling lifts the cells of each hollow, each to one above the cell its
// water then leaves by, and lowers none: no cell ends higher than the
// highest height by more than its distance, in cells, from the nearest sea
// or edge cell, and edge cells stay as they are. Breaching lowers, along
// the lowest way out of each hollow, the cells that stand in the water's
// way (an edge cell among them), each to one below the cell before, and
// lifts only a hollow it cannot breach without cutting land down to the
// sea. A wrapped edge is no edge: water crosses it, and on a map that wraps
// both ways the sea is the only way out.
// Throws ERangeError, changing nothing, unless the heights lie within
// 0..kDrainableTop.
// The flood is one thread's; what is around it spreads over `threads`.
void DrainToSea(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap = Wrap::kNone,
                Hollows hollows = Hollows::kFill, int32_t threads = 1);

// Whether every cell above seaTop away from such an edge already has a
// strictly lower neighbour, so that DrainToSea would change nothing.
bool Drains(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, int32_t threads);

}  // namespace morvik
