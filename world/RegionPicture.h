#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "run/MapRun.h"
#include "terrain/CellGrid.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "terrain/WorldSize.h"
#include "world/GrownRegion.h"
#include "world/WorldTile.h"

namespace morvik {

// What the finish makes of a world's heights: each is rescaled between the
// extremes and lowered by the passes; where the sea was chosen before (the
// erosion's, at and below seaTop), every cell above it stays land, 1 at
// least.
struct WorldFinish {
    HeightExtremes extremes;
    int32_t passes;
    std::optional<int32_t> seaTop = std::nullopt;

    int32_t Finished(int32_t height) const {
        const int32_t lowered = Rescaling(extremes)(height) - passes;
        return seaTop && height > *seaTop ? std::max(lowered, 1) : lowered;
    }
};

// A region's part of the map's picture in a view, as the whole map's draws
// it, each pixel one of a few colours, and what a colour reduction of the
// whole picture, made in passes over every region, needs of it. Positions
// count through the whole picture's BMP scan: its stored rows from the
// bottom, each from the left.
class RegionPicture {
  public:
    // From the grown region's heights: the coastline view looks at the
    // cells around the region. `water`, the region's cells row by row (or
    // none), are drawn as the sea's surface.
    RegionPicture(WorldSize world, const GrownRegion& grown, const CellGrid& heights,
                  const WorldFinish& finish, MapView view, std::span<const uint8_t> water);

    // Lowers each lattice cell's entry of `first` to the first position at
    // which one of the region's pixels falls in it, in a pass of `levels`,
    // dithered or not.
    void LowerFirstPositions(int32_t levels, bool dither, std::span<int64_t> first) const;

    // The region's stored rows, bottom-up, each pixel the index its lattice
    // cell has in the pass (`indexOf`), of `bits` a pixel.
    std::vector<uint8_t> IndexedRows(int32_t levels, bool dither, std::span<const int32_t> indexOf,
                                     int32_t bits) const;

  private:
    void DrawLand(const GrownRegion& grown, const CellGrid& heights, const WorldFinish& finish,
                  MapView view);
    // Each colour's lattice cell in the pass, for each of the four dither
    // offsets (all the same undithered).
    std::vector<uint32_t> CellsOfColours(int32_t levels, bool dither) const;
    // The dither offset of pixel (x, y) of the region.
    int32_t Offset(int32_t x, int32_t y) const;

    WorldSize world_;
    WorldRegion region_;
    std::vector<uint32_t> colours_;  // as the picture's pixels hold them
    std::vector<uint16_t> pixels_;   // each an index into colours_, row by row from the top
};

}  // namespace morvik
