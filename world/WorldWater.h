#pragma once

#include <cstdint>
#include <vector>

#include "landscape/LandSurface.h"
#include "layers/WaterLevels.h"
#include "terrain/ZeroedVector.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The water of one window, as TraceWater traces a whole map's, the same
// numbers cell for cell, ring included, column by column.
struct WindowWater {
    ZeroedVector<float> flow;
    ZeroedVector<uint8_t> lakes;
    float mostFlow = 0;  // the most its own part's cells hold
};

// The water of the windows of a world's parts, from their heightmap values
// (column by column, rings in place) and the levels the whole world's
// values take; the windows' rings at least 2 cells wide. Each step that
// water crosses parts by (the filling of the hollows, and the flow
// accumulation) goes on, rank by rank, from what the rings last brought,
// until it is done on every rank. Every rank calls it.
std::vector<WindowWater> TraceWorldWater(const PartWindows& windows,
                                         const std::vector<std::vector<uint16_t>>& values,
                                         const WaterLevels& levels, const RankLinks& links);

// The same for eroded land, whose finer heights (`ground`, rings in place)
// drain every cell already, as TraceWater takes them: no lakes.
std::vector<WindowWater> TraceWorldWater(const PartWindows& windows,
                                         const std::vector<LandSurface>& ground, float seaLevel,
                                         const RankLinks& links);

}  // namespace morvik
