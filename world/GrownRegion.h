#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/WorldSize.h"
#include "terrain/Wrap.h"
#include "world/WorldTile.h"

namespace morvik {

// A region grown by a cell each way where the world has cells there, for
// whatever looks at a cell's neighbours: across a wrapped edge they are the
// other edge's; beyond an edge that does not wrap there are none, and the
// grown region ends there as the world does.
class GrownRegion {
  public:
    GrownRegion(WorldSize world, const WorldRegion& region, Wrap wrap);
    // The region alone, not grown, for what looks at no neighbour.
    explicit GrownRegion(const WorldRegion& region);

    const WorldRegion& Region() const { return parts_.front(); }
    // The region's cells within the grown one: (Left(), Above()) is its
    // top left cell.
    int32_t Left() const { return left_; }
    int32_t Above() const { return above_; }
    MapSize Size() const { return size_; }

    // The region, then the cells around it, each part of them a region of
    // the world.
    const std::vector<WorldRegion>& Parts() const { return parts_; }

    // The grown region's heights from those of its parts, in their order.
    CellGrid Heights(std::span<const CellGrid> parts) const;

  private:
    int32_t left_ = 0;
    int32_t above_ = 0;
    MapSize size_;
    std::vector<WorldRegion> parts_;
    std::vector<std::pair<int32_t, int32_t>> at_;  // each part's top left cell in the grown region
};

}  // namespace morvik
