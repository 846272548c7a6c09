#pragma once

#include <cstddef>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"
#include "tools/BatchOptions.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankLand.h"
#include "tools/world/RankLayers.h"
#include "tools/world/RankShare.h"
#include "tools/world/WorldNumbers.h"
#include "world/PassOrder.h"
#include "world/RegionPicture.h"

namespace morvik {

// A tile's layer files, drawn as the whole map's are drawn from the whole:
// from its window's layers where the rank holds them (`windows`), else from
// its grown region's, the finer heights only where a file takes more than
// the heightmap.
void WriteTileLayers(const BatchOptions& options, const RankShare& share, std::size_t tile,
                     const WorldNumbers& numbers, const RankLayers* windows);

// The map's tiles, reduced together as the whole picture is: each pass
// counts the lattice cells every rank's tiles meet, in the order a scan of
// the whole picture meets them. Every rank takes part in every pass.
struct ReducedMaps {
    std::vector<RegionPicture> pictures;
    Reduction reduction;  // its counts; the tiles hold the image
    bool dithered = false;
    PassOrder order;
};

// The pictures are drawn from the eroded land where `land` holds it, and
// with the rivers of `windows`' water where asked.
ReducedMaps ReduceMaps(const BatchOptions& options, const RankGroup& ranks, const RankShare& share,
                       const WorldNumbers& numbers, const RankLand& land,
                       const RankLayers* windows);

// The rank's map tiles, from the reduction every rank made.
void WriteMaps(const BatchOptions& options, const RankShare& share, const ReducedMaps& maps);

}  // namespace morvik
