#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "run/RunSettings.h"
#include "terrain/CellGrid.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "world/PartWindows.h"

namespace morvik {

// A whole run's heights before its finish.
inline CellGrid WholeRunHeights(const RunSettings& settings) {
    FixedTickSource ticks(settings.tick);
    auto terrain = std::make_unique<Terrain>(ticks, settings.Size(), 2);
    terrain->StartGeneration(settings.Size(), settings.roughness, settings.seaShare, settings.width,
                             settings.height, settings.wrap);
    terrain->CompleteIterations(settings.Size());
    return terrain->Heights();
}

// A world and how it is cut into parts: evenly, unevenly, into parts
// narrower than a ring (which then reaches past the next part), and as one
// part whose ring is its own other edge.
struct WorldCut {
    int32_t width;
    int32_t height;
    std::vector<int32_t> columns;
    std::vector<int32_t> rows;

    PartWindows Windows(Wrap wrap, int32_t ring, const RankLinks& links) const {
        return PartWindows(WorldSize(width, height), wrap, ring, {columns, rows},
                           std::vector<int32_t>(columns.size() * rows.size()), links);
    }
};

// The world's column and row of a window's cell.
inline std::pair<int32_t, int32_t> WorldCell(const PartWindows& parts, const PartWindow& window,
                                             int32_t x, int32_t y) {
    const int32_t width = parts.World().Width();
    const int32_t height = parts.World().Height();
    return {((window.region.left + x - window.left) % width + width) % width,
            ((window.region.top + y - window.above) % height + height) % height};
}

}  // namespace morvik
