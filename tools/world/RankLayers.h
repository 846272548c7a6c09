#pragma once

#include <cstdint>
#include <vector>

#include "layers/LandLayers.h"
#include "layers/TerrainMasks.h"
#include "terrain/ZeroedVector.h"
#include "tools/BatchOptions.h"
#include "tools/LayerFiles.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankLand.h"
#include "tools/world/RankShare.h"
#include "tools/world/WorldNumbers.h"

namespace morvik {

// A rank's tiles' layers, each drawn from its window of the world as the
// whole map's are drawn from the whole: the heightmap's values, the finer
// heights, the eroded land's cut and fill, and the water where the files
// show it, traced with every other rank's; and what the world's files are
// measured against.
struct RankLayers {
    std::vector<LandLayers> layers;
    std::vector<ZeroedVector<uint8_t>> water;  // where masks or rivers show it
    std::vector<LayerRegion> regions;          // each tile within its window
    float mostFlow = 0;                        // the world's most drained cell's
    MaskScales scales{};
};

RankLayers MakeRankLayers(const BatchOptions& options, const RankGroup& ranks,
                          const RankShare& share, const RankLand& land,
                          const WorldNumbers& numbers);

}  // namespace morvik
