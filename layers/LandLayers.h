#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "landscape/ErosionTraces.h"
#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "terrain/CellGrid.h"
#include "terrain/Heightmap.h"
#include "terrain/MapSize.h"
#include "terrain/ParallelFor.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The land of one run as the files an engine builds its terrain from see
// it: every grid row by row from the top, as the heightmap's values are.
struct LandLayers {
    Heightmap heightmap;
    Wrap wrap;
    // The heights finer than the heightmap's whole values, in its units and
    // order (MakeFineHeights).
    ZeroedVector<float> heights = {};
    // Once TraceWater has traced them: the cells whose water passes through
    // each cell, itself included, a cell never more than the cell its water
    // goes to (the sea takes the land's water where it comes and passes it
    // no further); and the land the water fills before it finds a way out.
    ZeroedVector<float> flow = {};
    ZeroedVector<uint8_t> lakes = {};
    // Rock worn away and sediment left by the erosion, in the heightmap's
    // units; none without it.
    ZeroedVector<float> wear = {};
    ZeroedVector<float> deposit = {};

    MapSize Size() const { return heightmap.size; }
    std::size_t Index(int32_t x, int32_t y) const {
        return static_cast<std::size_t>(y) * Size().Width() + x;
    }
    bool IsSea(std::size_t cell) const { return heightmap.values[cell] <= heightmap.seaLevel; }
    bool Eroded() const { return !wear.empty(); }
};

// Calls visit(row index, column index) for every cell, a band of columns a
// thread.
template <typename Visit>
void ForEachRowAndColumnIndex(MapSize size, int32_t threads, Visit visit) {
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            for (int32_t x = first; x < end; ++x) {
                visit(static_cast<std::size_t>(y) * size.Width() + x,
                      static_cast<std::size_t>(x) * size.Height() + y);
            }
        }
    });
}

// A grid of the cells column by column as the layers lie, row by row, each
// times `scale`.
template <typename Value>
ZeroedVector<Value> ToRows(const ZeroedVector<Value>& columns, MapSize size, Value scale,
                           int32_t threads) {
    ZeroedVector<Value> rows(columns.size());
    ForEachRowAndColumnIndex(size, threads, [&](std::size_t row, std::size_t column) {
        rows[row] = static_cast<Value>(columns[column] * scale);
    });
    return rows;
}

// From a run's heights between the shaping and the finish, the highest of
// them that is sea, and what the erosion left (none without one). The same
// for any number of threads.
LandLayers MakeLandLayers(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap,
                          const ErosionTraces* traces, int32_t threads);

// The flow and the lakes of the layers' land, for what needs the water:
// it costs a flood of the land's hollows where the erosion left them.
void TraceWater(LandLayers& layers, int32_t threads);

// The flow TraceWater gives a cell of the ground it routed: a land cell's
// drainage area; a sea cell holds only what the land gives it.
float FlowThrough(const ReceiverTree& tree, const LandSurface& ground, float seaLevel,
                  std::span<const float> area, int32_t cell);

}  // namespace morvik
