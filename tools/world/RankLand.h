#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "landscape/ErosionSettings.h"
#include "landscape/ErosionTraces.h"
#include "terrain/CellGrid.h"
#include "tools/BatchOptions.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankShare.h"
#include "world/PartWindows.h"

namespace morvik {

// Whether the files show the world's water: its flow, its water mask or
// its rivers on the map.
bool ShowsWater(const BatchOptions& options);

// Whether a rank holds its tiles as windows of the world: for eroded land,
// or where the water is traced. How many cells each way around a tile's
// part its window holds then: as many as the erosion's boxes, the rivers'
// reach and the flow take.
bool HoldsWindows(const BatchOptions& options);
int32_t WindowRing(const BatchOptions& options);

// The erosion's settings for a world's run.
ErosionSettings WorldErosion(const BatchOptions& options);

// A rank's tiles' land as windows of the world, the rings brought from the
// ranks that own them: the circles' heights, or the land they eroded into,
// its finer heights and its cut and fill where the files take them.
struct RankLand {
    std::optional<PartWindows> parts;
    std::vector<CellGrid> heights;
    std::vector<ErosionTraces> traces;
    std::optional<int32_t> seaTop;  // the eroded land's sea
};

RankLand MakeRankLand(const BatchOptions& options, const RankGroup& ranks, const RankShare& share);

}  // namespace morvik
