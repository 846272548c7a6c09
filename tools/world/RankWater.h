#pragma once

#include <cstdint>
#include <vector>

#include "layers/LandLayers.h"
#include "terrain/ZeroedVector.h"
#include "tools/BatchOptions.h"
#include "tools/LayerFiles.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankShare.h"
#include "tools/world/WorldNumbers.h"

namespace morvik {

// Whether the files show the world's water: its flow, its water mask or
// its rivers on the map.
bool ShowsWater(const BatchOptions& options);

// The cells each way around a part its window needs for the water: the
// rivers' reach beyond the part's tile, and the flow's two.
int32_t WaterRing(WorldSize world);

// A rank's tiles' layers with the water traced across every rank's, each
// tile's from a window of the world around it: its heightmap values, finer
// heights, flow and lakes, and its water cells.
struct RankWater {
    std::vector<LandLayers> layers;
    std::vector<ZeroedVector<uint8_t>> water;  // where masks or rivers show it
    std::vector<LayerRegion> regions;          // each tile within its window
    float mostFlow = 0;                        // the world's most drained cell's
};

RankWater TraceRankWater(const BatchOptions& options, const RankGroup& ranks,
                         const RankShare& share, const WorldNumbers& numbers);

}  // namespace morvik
