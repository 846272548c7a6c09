#include "layers/LandLayers.h"

#include <algorithm>
#include <span>
#include <vector>

#include "landscape/Drainage.h"
#include "landscape/DrainageArea.h"
#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "layers/WaterLevels.h"
#include "terrain/ParallelFor.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

// The ground water runs over: the finer heights where the erosion left
// every cell a way down; else the heightmap with its hollows filled, each
// filled cell a lake. Returns the level that parts sea from land.
float GroundForWater(LandLayers& layers, int32_t threads, LandSurface& ground) {
    const MapSize size = layers.Size();
    if (layers.Eroded()) {
        ForEachRowAndColumnIndex(size, threads, [&](std::size_t row, std::size_t column) {
            ground.heights[column] = layers.heights[row];
        });
        layers.lakes = ZeroedVector<uint8_t>(layers.heights.size());
        return layers.heightmap.seaLevel + 0.5F;
    }
    const WaterLevels level(OccurringValues(layers.heightmap.values), layers.heightmap.seaLevel);
    CellGrid grid(size);
    ForEachRowAndColumnIndex(size, threads, [&](std::size_t row, std::size_t) {
        const int32_t x = static_cast<int32_t>(row % size.Width());
        const int32_t y = static_cast<int32_t>(row / size.Width());
        grid.At(x, y) = level(layers.heightmap.values[row]);
    });
    const int32_t seaTop = level.SeaTop();
    DrainToSea(grid, size, seaTop, layers.wrap, Hollows::kFill, threads);
    layers.lakes = ZeroedVector<uint8_t>(layers.heights.size());
    ForEachRowAndColumnIndex(size, threads, [&](std::size_t row, std::size_t column) {
        const int32_t filled = grid.Column(0)[column];
        ground.heights[column] = static_cast<float>(filled);
        layers.lakes[row] = filled > level(layers.heightmap.values[row]) ? 1 : 0;
    });
    return SeaLevelAbove(seaTop);
}

}  // namespace

LandLayers MakeLandLayers(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap,
                          const ErosionTraces* traces, int32_t threads) {
    std::span<const float> levels;
    if (traces) levels = std::span<const float>(traces->levels.heights);
    LandLayers layers{.heightmap = MakeHeightmap(heights, size, seaTop, threads),
                      .wrap = wrap,
                      .heights = MakeFineHeights(heights, size, seaTop, levels, threads)};
    if (traces) {
        // A level is the heightmap's span over the levels' span.
        const HeightExtremes extremes = FindExtremes(heights, size, threads);
        const float unit = extremes.highest > extremes.lowest
                               ? 65535.0F / static_cast<float>(extremes.highest - extremes.lowest)
                               : 0.0F;
        layers.wear = ToRows(traces->wear.heights, size, unit, threads);
        layers.deposit = ToRows(traces->deposit.heights, size, unit, threads);
    }
    return layers;
}

float FlowThrough(const ReceiverTree& tree, const LandSurface& ground, float seaLevel,
                  std::span<const float> area, int32_t cell) {
    // Rivers end in the sea: a sea cell holds what the land gives it, and
    // the sea floor's own drainage stays out of the flow.
    if (ground.heights[cell] > seaLevel) return area[cell];
    float given = 1;
    tree.ForEachDonor(cell, [&](int32_t donor) {
        if (ground.heights[donor] > seaLevel) given += area[donor];
    });
    return given;
}

void TraceWater(LandLayers& layers, int32_t threads) {
    const MapSize size = layers.Size();
    const Wrap wrap = layers.wrap;
    LandSurface ground(size);
    const float seaLevel = GroundForWater(layers, threads, ground);
    ReceiverTree tree(size, wrap);
    tree.RouteSteepest(ground, seaLevel, threads);
    ZeroedVector<float> area(ground.heights.size());
    AccumulateDrainageArea(tree, area, threads);
    ZeroedVector<float> flow(area.size());
    ForEachCell(size.Width(), size.Height(), threads, [&](int32_t cell) {
        flow[cell] = FlowThrough(tree, ground, seaLevel, area, cell);
    });
    layers.flow = ToRows(flow, size, 1.0F, threads);
}

}  // namespace morvik
